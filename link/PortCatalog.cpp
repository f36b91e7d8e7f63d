#include "link/PortCatalog.h"

#include <QSerialPortInfo>
#include <algorithm>

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
    for (const QSerialPortInfo& info : infos)
        ports.append({info.portName(), info.systemLocation(), looksLikeAdapter(info)});
    sortPorts(ports);
    return ports;
}
