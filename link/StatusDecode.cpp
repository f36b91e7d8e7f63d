#include "link/StatusDecode.h"

namespace {
int word(const QByteArray& p, int at) { return quint8(p.at(at)) + 256 * quint8(p.at(at + 1)); }
}  // namespace

QString ModemStateText(int s) {
    if (s == 0) return QStringLiteral("Modem GSM wylaczony");
    if (s == 1 || s == 2) return QStringLiteral("Załączenie modemu GSM");
    if (s >= 3 && s <= 6) return QStringLiteral("Wykrywanie modemu GSM");
    if (s == 7 || s == 8) return QStringLiteral("Sprawdzenie karty SIM");
    if (s == 9 || s == 10) return QStringLiteral("Wprowadzanie PIN");
    if (s == 11) return QStringLiteral("Logowanie do sieci GSM");
    if (s == 12) return QStringLiteral("Kasowanie SMS");
    if (s == 13 || s == 14) return QStringLiteral("Konfiguracja SMS");
    if (s == 15 || s == 16) return QStringLiteral("Zapis SMSC");
    if (s == 17) return QStringLiteral("Odczyt poziomu RSSI");
    if (s >= 18 && s <= 20) return QStringLiteral("Połączony z siecią GSM");
    if (s == 100) return QStringLiteral("RESET modemu GSM");
    return QString();
}

int SignalGauge(int level) {
    if (level == 99) return 0;
    if (level > 22) return 20;
    return std::min(level, 20);
}

QString VoltageText(int raw) {
    const int d = raw * 1885 / 10000;
    return QStringLiteral("+%1,%2V").arg(d / 10).arg(d % 10);
}

int TemperatureTenths(int raw) { return raw * 2500 / 1024 - 500; }

QString TemperatureText(int raw) {
    const int tenths = TemperatureTenths(raw);
    const int m = tenths >= 0 ? tenths : -tenths;
    return QStringLiteral("%1%2,%3").arg(tenths >= 0 ? QLatin1Char('+') : QLatin1Char('-')).arg(m / 10).arg(m % 10);
}

std::optional<LiveStatus> DecodeStatus(const QByteArray& p) {
    if (p.size() < kStatusPayloadSize) return std::nullopt;
    LiveStatus s;
    const quint8 b0 = quint8(p.at(0)), b1 = quint8(p.at(1)), b12 = quint8(p.at(12));
    for (int i = 0; i < 5; ++i) s.inputs[i] = b0 & (1 << i);
    s.outputs[0] = b0 & 0x20;
    s.outputs[1] = b0 & 0x40;
    s.outputs[2] = b0 & 0x80;
    s.outputs[3] = b1 & 0x40;
    s.fFlag = b1 & 0x80;
    s.eventsWaiting = b1 & 0x3F;
    s.modemState = quint8(p.at(2));
    s.signalGauge = SignalGauge(quint8(p.at(3)));
    s.smsUsed = quint8(p.at(4));
    s.voiceUsed = quint8(p.at(5));
    s.supplyText = VoltageText(word(p, 6));
    s.batteryText = VoltageText(word(p, 8));
    s.temperatureText = TemperatureText(word(p, 10));
    s.temperatureState = b12 & 0x03;
    s.supplyOk = b12 & 0x04;
    s.batteryOk = b12 & 0x08;
    return s;
}

std::optional<QString> VersionText(const QByteArray& p) {
    if (p.size() < 2 || quint8(p.at(1)) < quint8('0')) return std::nullopt;
    const int c = quint8(p.at(1)) - 0x30;
    return QStringLiteral("MX-4 v %1.%2").arg(c / 10 + 1).arg(c % 10);
}
