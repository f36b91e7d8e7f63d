#include "link/PortCatalog.h"

#include "link/QtSerialPort.h"

#include <QSerialPortInfo>
#include <algorithm>

QString usbIdText(const PortEntry& port) {
    if (port.vendorId < 0) return QString();
    QString text = QStringLiteral("%1").arg(port.vendorId, 4, 16, QLatin1Char('0'));
    if (port.productId >= 0) text += QStringLiteral(":%1").arg(port.productId, 4, 16, QLatin1Char('0'));
    return text;
}

QString deviceColumnText(const PortEntry& port) {
    const QString device = port.deviceName.isEmpty() ? port.portName : port.deviceName;
    QStringList known;
    for (const QString& part : {port.manufacturer, usbIdText(port), port.serialNumber})
        if (!part.trimmed().isEmpty()) known.append(part.trimmed());
    QString about = port.description.trimmed();
    if (!known.isEmpty()) {
        if (!about.isEmpty()) about += QLatin1Char(' ');
        about += QLatin1Char('(') + known.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return about.isEmpty() ? device : device + QStringLiteral(" — ") + about;
}

QStringList portNamesOf(const QVector<PortEntry>& ports) {
    QStringList names;
    for (const PortEntry& p : ports) names.append(p.portName);
    return names;
}

std::unique_ptr<SerialPort> PortCatalog::makePort(const PortEntry& entry) const {
    auto port = std::make_unique<QtSerialPort>();
    port->Port(entry.portName);
    return port;
}

std::unique_ptr<SerialPort> FixedPortCatalog::makePort(const PortEntry& entry) const {
    return maker_ ? maker_(entry) : PortCatalog::makePort(entry);
}

// Compares names so that runs of digits count by value.
static bool naturalLess(const QString& a, const QString& b) {
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            int ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit()) ++ei;
            while (ej < b.size() && b[ej].isDigit()) ++ej;
            const QString na = a.mid(i, ei - i), nb = b.mid(j, ej - j);
            // Strip leading zeros, then a longer number is larger.
            int za = 0, zb = 0;
            while (za < na.size() - 1 && na[za] == '0') ++za;
            while (zb < nb.size() - 1 && nb[zb] == '0') ++zb;
            const QString va = na.mid(za), vb = nb.mid(zb);
            if (va.size() != vb.size()) return va.size() < vb.size();
            if (va != vb) return va < vb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return (a.size() - i) < (b.size() - j);
}

void sortPorts(QVector<PortEntry>& ports) {
    std::stable_sort(ports.begin(), ports.end(), [](const PortEntry& x, const PortEntry& y) {
        if (x.usbAdapter != y.usbAdapter) return x.usbAdapter;
        if (x.portName != y.portName) return naturalLess(x.portName, y.portName);
        return x.deviceName < y.deviceName;
    });
}

static bool looksLikeAdapter(const QSerialPortInfo& info) {
    const QString name = info.portName();
    return info.hasVendorIdentifier() || name.startsWith(QLatin1String("ttyUSB")) ||
           name.startsWith(QLatin1String("ttyACM"));
}

QVector<PortEntry> SystemPortCatalog::listPorts() const {
    QVector<PortEntry> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        PortEntry p{info.portName(), info.systemLocation(), looksLikeAdapter(info)};
        p.description = info.description();
        p.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier()) p.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) p.productId = info.productIdentifier();
        p.serialNumber = info.serialNumber();
        ports.append(p);
    }
    sortPorts(ports);
    return ports;
}
