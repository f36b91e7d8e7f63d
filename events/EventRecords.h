#pragma once
// The event register kept as records beside its text: what each record says (time, code, temperature),
// and the rows a spreadsheet opens. No widgets: the window and the command-line tool share it.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <optional>

struct EventRecord {
    QByteArray raw;  // the 8 bytes as received
    int code = -1;   // bits 7-4 of byte 1
    // Local time of the record; invalid when its bytes cannot be a date or a time (month 0 or 13, day 0,
    // hour 24...).
    QDateTime time;
    // The recorder's clock as it stands: seconds since 1970-01-01 00:00:00 with the date and time read
    // without time-zone rules (as if UTC), so that durations are plain differences, whatever daylight
    // saving did. Empty when the bytes cannot be a date or a time.
    std::optional<qint64> clock;
    // The sample of the codes that carry one (4, 11, 12, 13), as the list shows it ("+23,2", "127,3").
    QString temperatureText;
    // The sample in degrees, when the record carries one and the sensor gave one (127 whole degrees is
    // what the recorder stores without a sensor).
    std::optional<double> celsius;
    // The sample in tenths of a degree for the codes that carry one, the 127-degree marker included
    // (+1270..+1279).
    std::optional<int> tenths;
    // Whether the record makes a line of the event list (codes 4-13).
    bool hasLine = false;
};

// The record in a reply 91 payload; nothing for a payload shorter than 8 bytes.
std::optional<EventRecord> DecodeEventData(const QByteArray& payload);

// The event's text as the list shows it, without the time stamp, the temperature and the surrounding
// blanks ("Zapis cykliczny temperatury", "Brak 230V"); empty for the codes that have no line.
QString EventName(int code);

// Codes with a temperature sample.
bool EventCarriesTemperature(int code);
enum class EventKindOf { Sample, AlarmHigh, BackToNormal, AlarmLow, Other, None };
EventKindOf KindOfEvent(int code);

// The rows of a spreadsheet in a Polish locale: UTF-8 with a byte order mark, semicolons, decimal comma,
// CR LF; "Data;Godzina;Temperatura;Zdarzenie" then one row per line of the list, in register order.
QByteArray EventsCsv(const QVector<EventRecord>& records);

// One row of that spreadsheet: the date and the time as the list shows them ("2009-03-07", "08:05:03"),
// the temperature text ("+21,5", empty for the codes without one) and the event's code (4-13).
struct EventsCsvRow {
    QString date;
    QString time;
    QString temperature;
    int code = -1;
};
// The spreadsheet of these rows: the one writer behind EventsCsv and the archive's rows.
QByteArray EventsCsvOfRows(const QVector<EventsCsvRow>& rows);
