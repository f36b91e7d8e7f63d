#include "sim/DemoPort.h"

#include "link/QtSerialPort.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"

QString DemoPort::simulatorPortName() { return SimWire::defaultPortName(); }

PortEntry DemoPort::simulatorEntry() {
    PortEntry entry;
    entry.portName = simulatorPortName();
    entry.deviceName = QStringLiteral("symulator");
    entry.description = QStringLiteral("MX-4 wbudowany w program");
    entry.usbAdapter = false;
    return entry;
}

DemoPort::DemoPort(SimWire* wire, SerialPort* other, QObject* parent)
    : SerialPort(parent), wire_(wire), other_(other ? other : new QtSerialPort(this)), name_(other_->portName()) {
    forward(wire_);
    forward(other_);
}

void DemoPort::forward(SerialPort* from) {
    connect(from, &SerialPort::OnRxChar, this, [this, from](int count) {
        if (active() == from) Q_EMIT OnRxChar(count);
    });
    connect(from, &SerialPort::portLost, this, [this, from](const QString& message) {
        if (active() == from) Q_EMIT portLost(message);
    });
}

SerialPort* DemoPort::active() const {
    return name_ == simulatorPortName() ? static_cast<SerialPort*>(wire_) : other_;
}

bool DemoPort::routedToSimulator() const { return name_ == simulatorPortName(); }

void DemoPort::ClosePort() {
    wire_->ClosePort();
    other_->ClosePort();
}

void DemoPort::setPortName(const QString& name) {
    name_ = name;
    if (name != simulatorPortName()) other_->Port(name);
}

DemoPortCatalog::DemoPortCatalog(std::unique_ptr<PortCatalog> system, Recorder* recorder)
    : system_(std::move(system)), recorder_(recorder) {}

std::unique_ptr<SerialPort> DemoPortCatalog::makePort(const PortEntry& entry) const {
    if (entry.portName == DemoPort::simulatorPortName() && recorder_) return std::make_unique<SimWire>(recorder_);
    return system_ ? system_->makePort(entry) : PortCatalog::makePort(entry);
}

QVector<PortEntry> DemoPortCatalog::listPorts() const {
    QVector<PortEntry> ports{DemoPort::simulatorEntry()};
    if (system_) ports += system_->listPorts();
    return ports;
}

DemoSimulator MakeDemoSimulator(QObject* parent) {
    DemoSimulator demo;
    demo.recorder = new Recorder(parent);
    SimFaults faults;
    faults.paced = true;
    demo.recorder->setFaults(faults);
    demo.recorder->setLiveDrift(true);
    demo.recorder->fillRegister(300, 2024, QDateTime::currentDateTime().addDays(-14));
    demo.wire = new SimWire(demo.recorder, parent);
    demo.port = new DemoPort(demo.wire, nullptr, parent);
    demo.entry = DemoPort::simulatorEntry();
    return demo;
}
