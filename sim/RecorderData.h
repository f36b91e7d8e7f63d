#pragma once
// What the simulated recorder holds: its live state, its configuration items and its event records,
// with the byte layouts the recorder uses on the line.

#include <QByteArray>
#include <QDateTime>
#include <QVector>
#include <QtGlobal>

// The live state carried by the status reply (13 bytes).
struct SimLiveState {
    quint8 inputs = 0x1F;         // IN1..IN5 in bits 0..4 (set: input active)
    quint8 outputs = 0x00;        // OUT1..OUT4 in bits 0..3
    quint8 eventsWaiting = 0;     // events waiting to be handled, 0..63
    bool fFlag = true;            // the "F" flag
    quint8 modemState = 20;       // 20: "Połączony z siecią GSM"
    quint8 rssi = 18;             // 0..31 as the modem reports it; 99: no reading
    quint8 smsToday = 0;          // SMS messages sent today
    quint8 voiceToday = 0;        // voice calls made today
    quint16 supplyRaw = 265;      // 5 V supply, raw (265: +4,9V)
    quint16 batteryRaw = 700;     // battery, raw (700: +13,1V)
    quint16 temperatureRaw = 300; // temperature, raw (300: +23,2)
    quint8 temperatureState = 1;  // 0 none, 1 normal, 2 high, 3 low
    bool supplyOk = true;
    bool batteryOk = true;

    QByteArray toPayload() const;
};

// Raw temperature of the status reply and of the event records for a temperature in tenths of a degree
// (232 for +23,2); the nearest raw value.
quint16 RawForTenths(int tenths);
// Tenths of a degree for a raw value, by the recorder's own rule.
int TenthsForRaw(quint16 raw);

// One event record of the register (8 bytes on the line).
struct SimEventRecord {
    enum Code : int {
        PeriodicTemperature = 4,
        Start = 5,
        GsmLink = 6,
        MainsLost = 7,
        MainsBack = 8,
        BatteryLow = 9,
        BatteryCharged = 10,
        TemperatureHigh = 11,
        TemperatureNormal = 12,
        TemperatureLow = 13,
    };
    int year = 2024;  // 2000..2255
    int month = 1;    // 1..12 (any 0..15 goes on the line)
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int code = PeriodicTemperature;  // 0..15
    quint16 sample = 0;              // raw temperature

    static SimEventRecord at(const QDateTime& when, int code, quint16 sample);
    // year - 2000, (code << 4) | month, day, hour, minute, second, sample LSB, MSB.
    QByteArray toBytes() const;
    static SimEventRecord fromBytes(const QByteArray& bytes);
    bool operator==(const SimEventRecord& o) const { return toBytes() == o.toBytes(); }
};

// A realistic register of `count` records in time order, starting at `start`: a start-up and GSM link,
// then mostly periodic temperature logs with mains losses and returns, battery low and charged, high and
// low temperature alarms with their returns, and now and then a restart. With `withUnlisted` a few
// records carry codes that the program shows no line for (0..3, 14, 15). The same seed gives the same
// register.
QVector<QByteArray> MakeRegister(int count, quint32 seed, const QDateTime& start, bool withUnlisted = false);

// The 41 configuration items: item n (1..41) is read with code 2n + 2 and written with 2n + 3.
namespace SimItems {
constexpr int kCount = 41;
constexpr int kMatrixItem = 23;       // notification matrix, 16 bytes
constexpr int kOptionsItem = 24;      // options record, 13 bytes
constexpr int kTemperatureItem = 34;  // temperature record, 4 bytes
constexpr int readCode(int item) { return 2 * item + 2; }
constexpr int writeCode(int item) { return 2 * item + 3; }
// The item a read or write code belongs to; 0 for any other code.
constexpr int itemForCode(int code) { return code >= 4 && code <= 85 ? (code - 2) / 2 : 0; }
constexpr bool isReadCode(int code) { return code >= 4 && code <= 84 && code % 2 == 0; }
constexpr bool isWriteCode(int code) { return code >= 5 && code <= 85 && code % 2 == 1; }
// A configured recorder: index 0 holds item 1. Texts in Windows-1250.
QVector<QByteArray> defaults();
}  // namespace SimItems
