#pragma once
// One record of the register archive: the recorder's date and time to the second, the event code, the
// temperature in tenths of a degree for the codes that carry one, and the 8 bytes as the recorder sent
// them when the record came from a download. Two records are the same event when time, code and
// temperature are equal. The canonical bytes of a record are what the import log's hashes cover.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVector>
#include <optional>

struct EventRecord;

// The recorder's clock as its fields say it, packed so that it sorts as date and time do: year - 2000,
// month, day, hour, minute, second, a byte each (the year and the month from their bits). A record whose
// bytes make no real date (month 0, day 31 in April, hour 24) keeps its fields and its place.
using ArchiveTimeKey = qint64;

struct ArchiveTimeFields {
    int year = 2000;                               // 2000..2255
    int month = 0;                                 // 0..15
    int day = 0, hour = 0, minute = 0, second = 0; // 0..255 each
};

ArchiveTimeKey TimeKeyOf(const ArchiveTimeFields& fields);
ArchiveTimeFields TimeFieldsOf(ArchiveTimeKey key);
// The first and the last key of a calendar day (years outside 2000..2255 are taken as the nearest end).
ArchiveTimeKey DayStartKey(const QDate& day);
ArchiveTimeKey DayEndKey(const QDate& day);

struct ArchiveRecord {
    ArchiveTimeKey time = 0;
    int code = -1;
    std::optional<int> tenths; // codes 4, 11, 12, 13: the list's value x 10 ("127,3" is +1273)
    QByteArray raw;            // the 8 bytes from the recorder; empty for a record read from a text file
    int entry = 0;             // read from an archive: the number of the log entry that added it

    bool sameEvent(const ArchiveRecord& other) const {
        return time == other.time && code == other.code && tenths == other.tenths;
    }
    // Seconds since 1970-01-01 00:00:00 of the recorder's clock read without time-zone rules (as if UTC);
    // empty when the fields make no real date and time.
    std::optional<qint64> clock() const;
};

// The record of a download.
ArchiveRecord ArchiveRecordOf(const EventRecord& record);
QVector<ArchiveRecord> ArchiveRecordsOf(const QVector<EventRecord>& records);
// The record of the recorder's 8 bytes; nothing for fewer bytes.
std::optional<ArchiveRecord> ArchiveRecordOfBytes(const QByteArray& raw);

// "2026-12-09 10:15:00": each field as the event list writes it (a "0" before a number below 10).
QString TimeKeyText(ArchiveTimeKey key);
// "+21,5", "-3,2", "127,3"; empty for a record without a temperature.
QString TemperatureTextOf(const ArchiveRecord& record);

// One line a record, UTF-8: "2026-12-09 10:15:00;4;215\n", the temperature empty for the codes without
// one. Defined once: the import log's hash chain and a period's checksum both go through it.
QByteArray CanonicalBytes(const ArchiveRecord& record);
QByteArray CanonicalBytes(const QVector<ArchiveRecord>& records);
QByteArray CanonicalBytes(QVector<ArchiveRecord>::const_iterator begin, QVector<ArchiveRecord>::const_iterator end);

// The rows of the chart's spreadsheet (EventsCsv's format) for the records that make a line of the list.
QByteArray ArchiveCsv(const QVector<ArchiveRecord>& records);
