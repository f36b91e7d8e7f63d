#pragma once
// The serial ports present on this PC: pairs of port name and device name in a stable order, with what
// the system knows of each device, and a port object for any of them.

#include <QMutex>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

class SerialPort;

struct PortEntry {
    QString portName;    // what the port list shows ("COM3", "ttyUSB0")
    QString deviceName;  // the system's device for it ("\\.\COM3", "/dev/ttyUSB0")
    bool usbAdapter = false;
    // What the system knows of the device; empty, or -1 for an identifier, where it knows nothing.
    QString description = {};   // "FT232R USB UART"
    QString manufacturer = {};  // "FTDI"
    int vendorId = -1;          // USB vendor and product identifiers
    int productId = -1;
    QString serialNumber = {};
};

// The device column of "Porty COM" and of `mx4ctl ports`: the device, then what the system knows of it,
// "/dev/ttyUSB0 — FT232R USB UART (FTDI, 0403:6001, A50285BI)"; the bare device where it knows nothing.
QString deviceColumnText(const PortEntry& port);
// The USB identifiers as "0403:6001" ("0403" without a product); empty without a vendor.
QString usbIdText(const PortEntry& port);

// The port names of a list, in its order.
QStringList portNamesOf(const QVector<PortEntry>& ports);

class PortCatalog {
public:
    virtual ~PortCatalog() = default;
    // Empty when the system has no serial port. May be called from a worker thread (one call at a time).
    virtual QVector<PortEntry> listPorts() const = 0;
    // A closed port object for a listed entry (the search for a recorder opens each port with its own):
    // the real serial port named as the port list names it.
    virtual std::unique_ptr<SerialPort> makePort(const PortEntry& entry) const;
};

// Orders entries: USB and ACM adapters (where recorders usually hang) first, then the built-in ports;
// each group by name, numbers compared by value (COM2 before COM10).
void sortPorts(QVector<PortEntry>& ports);

// The ports the system knows, through QSerialPortInfo. A look-up walks the system's device tables and
// can take tens of milliseconds: the window does it off its thread.
class SystemPortCatalog : public PortCatalog {
public:
    QVector<PortEntry> listPorts() const override;
};

// A fixed list, for the tests and the demo. The list may change while a look-up runs on another thread
// (an adapter plugged in a test).
class FixedPortCatalog : public PortCatalog {
public:
    using PortMaker = std::function<std::unique_ptr<SerialPort>(const PortEntry&)>;

    explicit FixedPortCatalog(QVector<PortEntry> ports = {}) : ports_(std::move(ports)) {}
    void setPorts(QVector<PortEntry> ports) {
        QMutexLocker lock(&mutex_);
        ports_ = std::move(ports);
    }
    QVector<PortEntry> listPorts() const override {
        QMutexLocker lock(&mutex_);
        return ports_;
    }
    // Where the port objects come from; the real serial port when unset.
    void setPortMaker(PortMaker maker) { maker_ = std::move(maker); }
    std::unique_ptr<SerialPort> makePort(const PortEntry& entry) const override;

private:
    mutable QMutex mutex_;
    QVector<PortEntry> ports_;
    PortMaker maker_;
};
