#pragma once
// The serial ports present on this PC: pairs of port name and device name in a stable order.

#include <QString>
#include <QVector>

struct PortEntry {
    QString portName;    // what the port list shows ("COM3", "ttyUSB0")
    QString deviceName;  // the system's device for it ("\\.\COM3", "/dev/ttyUSB0")
    bool usbAdapter = false;
};

class PortCatalog {
public:
    virtual ~PortCatalog() = default;
    // Empty when the system has no serial port.
    virtual QVector<PortEntry> listPorts() const = 0;
};

// Orders entries: USB and ACM adapters (where recorders usually hang) first, then the built-in ports;
// each group by name, numbers compared by value (COM2 before COM10).
void sortPorts(QVector<PortEntry>& ports);

// The ports the system knows, through QSerialPortInfo.
class SystemPortCatalog : public PortCatalog {
public:
    QVector<PortEntry> listPorts() const override;
};

// A fixed list, for the tests and the demo.
class FixedPortCatalog : public PortCatalog {
public:
    explicit FixedPortCatalog(QVector<PortEntry> ports = {}) : ports_(std::move(ports)) {}
    void setPorts(QVector<PortEntry> ports) { ports_ = std::move(ports); }
    QVector<PortEntry> listPorts() const override { return ports_; }

private:
    QVector<PortEntry> ports_;
};
