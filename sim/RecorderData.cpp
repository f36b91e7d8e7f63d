#include "sim/RecorderData.h"

#include "link/Text.h"

#include <QRandomGenerator>

namespace {
void appendLe16(QByteArray& out, quint16 value) {
    out.append(char(value & 0xFF));
    out.append(char(value >> 8));
}
}  // namespace

QByteArray SimLiveState::toPayload() const {
    QByteArray p;
    p.reserve(13);
    p.append(char((inputs & 0x1F) | ((outputs & 0x07) << 5)));
    p.append(char((eventsWaiting & 0x3F) | ((outputs & 0x08) ? 0x40 : 0) | (fFlag ? 0x80 : 0)));
    p.append(char(modemState));
    p.append(char(rssi));
    p.append(char(smsToday));
    p.append(char(voiceToday));
    appendLe16(p, supplyRaw);
    appendLe16(p, batteryRaw);
    appendLe16(p, temperatureRaw);
    p.append(char((temperatureState & 0x03) | (supplyOk ? 0x04 : 0) | (batteryOk ? 0x08 : 0)));
    return p;
}

quint16 RawForTenths(int tenths) {
    const int scaled = (tenths + 500) * 1024;
    const int raw = (scaled + 1250) / 2500;
    return quint16(qBound(0, raw, 0xFFFF));
}

int TenthsForRaw(quint16 raw) { return int(raw) * 2500 / 1024 - 500; }

SimEventRecord SimEventRecord::at(const QDateTime& when, int code, quint16 sample) {
    SimEventRecord r;
    r.year = when.date().year();
    r.month = when.date().month();
    r.day = when.date().day();
    r.hour = when.time().hour();
    r.minute = when.time().minute();
    r.second = when.time().second();
    r.code = code;
    r.sample = sample;
    return r;
}

QByteArray SimEventRecord::toBytes() const {
    QByteArray b;
    b.reserve(8);
    b.append(char(quint8(year - 2000)));
    b.append(char(((code & 0x0F) << 4) | (month & 0x0F)));
    b.append(char(quint8(day)));
    b.append(char(quint8(hour)));
    b.append(char(quint8(minute)));
    b.append(char(quint8(second)));
    appendLe16(b, sample);
    return b;
}

SimEventRecord SimEventRecord::fromBytes(const QByteArray& bytes) {
    SimEventRecord r;
    if (bytes.size() < 8) return r;
    const auto at = [&](int i) { return int(quint8(bytes.at(i))); };
    r.year = 2000 + at(0);
    r.code = at(1) >> 4;
    r.month = at(1) & 0x0F;
    r.day = at(2);
    r.hour = at(3);
    r.minute = at(4);
    r.second = at(5);
    r.sample = quint16(at(6) | (at(7) << 8));
    return r;
}

QVector<QByteArray> MakeRegister(int count, quint32 seed, const QDateTime& start, bool withUnlisted) {
    using C = SimEventRecord;
    QVector<QByteArray> out;
    if (count <= 0) return out;
    out.reserve(count);
    QRandomGenerator rng(seed);

    int temp = 220;  // tenths of a degree; the default thresholds are +15 and +30 degrees
    int trend = 0;
    bool mainsOn = true, batteryLow = false, high = false, low = false;
    int hoursOffMains = 0, hoursCharging = 0;
    QDateTime hour = start;

    const auto add = [&](const QDateTime& when, int code) {
        if (out.size() < count) out.append(C::at(when, code, RawForTenths(temp)).toBytes());
    };
    add(hour, C::Start);
    add(hour.addSecs(35), C::GsmLink);

    static const int kUnlisted[] = {0, 1, 2, 3, 14, 15};
    while (out.size() < count) {
        // Events of the coming hour, in time order, then the periodic log at its end.
        int minute = 0;
        const auto next = [&] {
            minute = qMin(59, minute + 1 + rng.bounded(9));
            return hour.addSecs(minute * 60 + rng.bounded(60));
        };

        if (trend == 0 && rng.bounded(100) < 3) trend = rng.bounded(2) ? 30 : -30;
        else if (trend != 0 && rng.bounded(100) < 25) trend = 0;
        temp += trend + rng.bounded(21) - 10;
        if (trend == 0) temp += (220 - temp) / 6;
        temp = qBound(-200, temp, 600);

        if (!high && temp > 300) {
            high = true;
            add(next(), C::TemperatureHigh);
        } else if (high && temp <= 290) {
            high = false;
            add(next(), C::TemperatureNormal);
        }
        if (!low && temp < 150) {
            low = true;
            add(next(), C::TemperatureLow);
        } else if (low && temp >= 160) {
            low = false;
            add(next(), C::TemperatureNormal);
        }

        if (mainsOn && rng.bounded(100) < 2) {
            mainsOn = false;
            hoursOffMains = 0;
            add(next(), C::MainsLost);
        } else if (!mainsOn) {
            ++hoursOffMains;
            if (!batteryLow && hoursOffMains >= 3 && rng.bounded(3) == 0) {
                batteryLow = true;
                add(next(), C::BatteryLow);
            }
            if (rng.bounded(100) < 35) {
                mainsOn = true;
                hoursCharging = 0;
                add(next(), C::MainsBack);
            }
        } else if (batteryLow && ++hoursCharging >= 3) {
            batteryLow = false;
            add(next(), C::BatteryCharged);
        }

        if (rng.bounded(1000) < 4) {
            add(next(), C::Start);
            add(next(), C::GsmLink);
        }
        if (withUnlisted && rng.bounded(100) < 3) add(next(), kUnlisted[rng.bounded(6)]);

        hour = hour.addSecs(3600);
        add(hour, C::PeriodicTemperature);
    }
    return out;
}

namespace SimItems {
QVector<QByteArray> defaults() {
    const auto text = [](const char* utf8) { return toCp1250(QString::fromUtf8(utf8), QStringLiteral("sim")); };
    QVector<QByteArray> items(kCount);
    const auto set = [&](int item, const QByteArray& bytes) { items[item - 1] = bytes; };

    set(1, "1234");                               // SIM PIN
    set(2, QByteArray("+48602951111") + '\0');    // SMS centre, as the modem keeps it
    set(3, "+48601234567");
    set(4, "+48602345678");
    set(5, "+48503456789");
    set(6, "+48604567890");
    set(7, text("Drzwi zamknięte"));
    set(8, text("Okno zamknięte"));
    set(9, text("Ruch ustał"));
    set(10, text("Zalanie ustąpiło"));
    set(11, text("Czujnik dymu w normie"));
    set(12, text("Drzwi otwarte!"));
    set(13, text("Okno otwarte!"));
    set(14, text("Wykryto ruch!"));
    set(15, text("Zalanie pomieszczenia!"));
    set(16, text("Wykryto dym!"));
    set(17, "OUT2 ZAL");
    set(18, "OUT2 WYL");
    set(19, "OUT3 ZAL");
    set(20, "OUT3 WYL");
    set(21, "OUT4 ZAL");
    set(22, "OUT4 WYL");
    // SMS and voice per row IN1..IN5, T1, BT, ZS; number 1 in bit 7.
    set(kMatrixItem, QByteArray::fromHex("C080C0008000E080E080C0008000C080"));
    // Output 1 monostable, 20 SMS and 5 calls a day, 5 s pulses, confirmation and autotest on, autotest
    // every 24 h, no temperature roles.
    set(kOptionsItem, QByteArray::fromHex("08140505050505031800000000"));
    set(25, text("MX-4 potwierdza"));
    set(26, text("Autotest MX-4"));
    // The row "Bateria" (items 27 and 28), then the row "Zasilanie" (items 29 and 30).
    set(27, text("Bateria rozładowana"));
    set(28, text("Bateria naładowana"));
    set(29, text("Brak zasilania 230V"));
    set(30, text("Powrót zasilania 230V"));
    set(31, text("Wysoka temperatura!"));
    set(32, text("Temperatura w normie"));
    set(33, text("Niska temperatura!"));
    // +15 and +30 degrees, no correction, a log every 60 minutes.
    set(kTemperatureItem, QByteArray::fromHex("8F9E003C"));
    set(35, "+48505678901");
    set(36, "");
    set(37, "");
    set(38, "");
    set(39, "STAN");
    set(40, "OUT1 ZAL");
    set(41, "OUT1 WYL");
    return items;
}
}  // namespace SimItems
