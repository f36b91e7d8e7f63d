#pragma once
// The demo build's serial port: the simulator's entry of the port list leads to an in-process recorder,
// every other entry to a real serial port.

#include "link/PortCatalog.h"
#include "link/SerialPort.h"

#include <memory>

class Recorder;
class SimWire;

class DemoPort : public SerialPort {
    Q_OBJECT
public:
    // The port name that leads to the simulator: "MX-4 (symulator)".
    static QString simulatorPortName();
    // The entry to put first in the port list.
    static PortEntry simulatorEntry();

    // `other` serves every other port name; a real QtSerialPort (owned) when none is given.
    explicit DemoPort(SimWire* wire, SerialPort* other = nullptr, QObject* parent = nullptr);

    SimWire* wire() const { return wire_; }
    SerialPort* other() const { return other_; }
    // The port the current name leads to.
    SerialPort* active() const;
    bool routedToSimulator() const;

    QString portName() const override { return name_; }
    void OpenPort() override { active()->OpenPort(); }
    bool Connected() const override { return active()->Connected(); }
    void SetDtrLine(bool on) override { active()->SetDtrLine(on); }
    void SetRtsLine(bool on) override { active()->SetRtsLine(on); }
    bool dtr() const override { return active()->dtr(); }
    bool rts() const override { return active()->rts(); }
    qint64 WriteBytes(const QByteArray& bytes) override { return active()->WriteBytes(bytes); }
    QByteArray ReadBytes(int n) override { return active()->ReadBytes(n); }
    int bytesWaiting() const override { return active()->bytesWaiting(); }
    void ClosePort() override;

protected:
    void setPortName(const QString& name) override;

private:
    void forward(SerialPort* from);

    SimWire* wire_;
    SerialPort* other_;
    QString name_;
};

// The simulator's entry first, then the ports of `system`. The search for a recorder reaches `recorder`
// through a wire of its own on the simulator's entry.
class DemoPortCatalog : public PortCatalog {
public:
    explicit DemoPortCatalog(std::unique_ptr<PortCatalog> system, Recorder* recorder = nullptr);
    QVector<PortEntry> listPorts() const override;
    std::unique_ptr<SerialPort> makePort(const PortEntry& entry) const override;

private:
    std::unique_ptr<PortCatalog> system_;
    Recorder* recorder_;
};

// What the demo's main() needs: a recorder paced at 4800 baud with its live state drifting and a register
// of a few hundred records, the wire to it, and the port that routes to it or to a real port. Every
// object is a child of `parent`.
struct DemoSimulator {
    Recorder* recorder = nullptr;
    SimWire* wire = nullptr;
    DemoPort* port = nullptr;
    PortEntry entry;  // first in the port list
};
DemoSimulator MakeDemoSimulator(QObject* parent);
