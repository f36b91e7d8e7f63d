#pragma once
// The event register's bytes turned into the lines of the event list: the header that opens a download
// and one line per event record, each with its colour. Pure functions: the clock is a parameter.

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace EventColour {
inline const QColor Black{0, 0, 0};
inline const QColor Red{255, 0, 0};
inline const QColor Green{0, 128, 0};
inline const QColor Blue{0, 0, 255};
}  // namespace EventColour

constexpr int kEventHeaderSize = 2;
constexpr int kEventRecordSize = 8;
// The register holds at most 4095 records of 8 bytes; a larger size in the header is capped here.
constexpr int kLargestRegisterBytes = 32760;
// What the gauge advances per record.
constexpr int kGaugeStep = kEventRecordSize;

struct EventLine {
    QString text;
    QColor colour;
};

struct RegisterHeader {
    QStringList lines;    // date, time, count, asterisks, one blank; all black
    int gaugeMaximum = 0; // register size in bytes, capped at 32760
    int eventCount = 0;   // as shown in the count line
};

// The header of a download (reply 93): empty for a payload shorter than 2 bytes.
std::optional<RegisterHeader> DecodeRegisterHeader(const QByteArray& payload, const QDateTime& now);

// " 2009-03-07  08:05:03" from the first six bytes of a record (at least 6 bytes).
QString EventTimestampText(const QByteArray& record);
// " +21,5", " -3,2" from a raw sample; "127,3" (no blank, no sign) when the whole degrees are 127.
QString EventTemperatureText(quint16 sample);
// The same text from the temperature in tenths of a degree (215 -> " +21,5", 1273 -> "127,3").
QString EventTemperatureTextOfTenths(int tenths);
// The event code in bits 7-4 of byte 1.
int EventCode(const QByteArray& record);
// Whether a record with this code makes a line of the list (DecodeEventRecord gives one).
bool EventCodeHasLine(int code);

// The line of one record (reply 91), or nothing: for a payload shorter than 8 bytes and for the codes
// that have no line (0-3, 14, 15).
std::optional<EventLine> DecodeEventRecord(const QByteArray& payload);

// The last line of a complete download; shown in the colour of the line before it.
QString EndOfRegisterText();
