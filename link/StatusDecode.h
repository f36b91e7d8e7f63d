#pragma once
// The recorder's live state (reply 253) and firmware version (reply 1), turned into display values.

#include <QByteArray>
#include <QString>
#include <optional>

constexpr int kStatusPayloadSize = 13;

struct LiveStatus {
    bool inputs[5] = {};   // IN1..IN5: set shows green
    bool outputs[4] = {};  // OUT1..OUT4: set shows red
    bool fFlag = false;
    int eventsWaiting = 0;    // 0..63
    int modemState = 0;       // 0..255
    int signalGauge = 0;      // 0..20 as the gauge shows it
    int smsUsed = 0;
    int voiceUsed = 0;
    QString supplyText;       // "+4,9V"
    QString batteryText;      // "+13,1V"
    QString temperatureText;  // "+23,2"
    int temperatureState = 0; // 0 grey, 1 green, 2 red, 3 sky blue
    bool supplyOk = false;
    bool batteryOk = false;
};

// Empty for a payload shorter than 13 bytes: nothing is read past its end.
std::optional<LiveStatus> DecodeStatus(const QByteArray& payload);

QString ModemStateText(int state);
// 99 (no reading) shows empty; above 22 shows full (20); 21 and 22 pass as they are.
int SignalGauge(int level);
// Raw 16-bit readings: volts with one decimal ("+4,9V"), degrees in tenths ("+23,2", "-0,2").
QString VoltageText(int raw);
// The recorder's temperature rule: tenths of a degree above -50,0 from a raw sample.
int TemperatureTenths(int raw);
QString TemperatureText(int raw);

// "MX-4 v 1.2" from the login reply's second byte; empty when the byte is missing or below "0".
std::optional<QString> VersionText(const QByteArray& loginPayload);
