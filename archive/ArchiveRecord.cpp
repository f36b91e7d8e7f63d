#include "archive/ArchiveRecord.h"

#include "events/EventDecode.h"
#include "events/EventRecords.h"

#include <QDateTime>
#include <QTimeZone>
#include <charconv>

namespace {
QString twoDigits(int n) {
    return n < 10 ? QLatin1Char('0') + QString::number(n) : QString::number(n);
}
int byteAt(const QByteArray& bytes, int i) {
    return quint8(bytes.at(i));
}
} // namespace

ArchiveTimeKey TimeKeyOf(const ArchiveTimeFields& f) {
    ArchiveTimeKey key = qBound(0, f.year - 2000, 255);
    key = key * 16 + qBound(0, f.month, 15);
    for (int field : {f.day, f.hour, f.minute, f.second})
        key = key * 256 + qBound(0, field, 255);
    return key;
}

ArchiveTimeFields TimeFieldsOf(ArchiveTimeKey key) {
    ArchiveTimeFields f;
    f.second = int(key % 256);
    key /= 256;
    f.minute = int(key % 256);
    key /= 256;
    f.hour = int(key % 256);
    key /= 256;
    f.day = int(key % 256);
    key /= 256;
    f.month = int(key % 16);
    f.year = 2000 + int(qBound(qint64(0), key / 16, qint64(255)));
    return f;
}

ArchiveTimeKey DayStartKey(const QDate& day) {
    if (day.year() < 2000) return 0;
    if (day.year() > 2255) return TimeKeyOf({2255, 15, 255, 255, 255, 255});
    return TimeKeyOf({day.year(), day.month(), day.day(), 0, 0, 0});
}

ArchiveTimeKey DayEndKey(const QDate& day) {
    if (day.year() < 2000) return -1;
    if (day.year() > 2255) return TimeKeyOf({2255, 15, 255, 255, 255, 255});
    return TimeKeyOf({day.year(), day.month(), day.day(), 255, 255, 255});
}

std::optional<qint64> ArchiveRecord::clock() const {
    const ArchiveTimeFields f = TimeFieldsOf(time);
    const QDate date(f.year, f.month, f.day);
    const QTime at(f.hour, f.minute, f.second);
    if (!date.isValid() || !at.isValid()) return std::nullopt;
    return QDateTime(date, at, QTimeZone::utc()).toSecsSinceEpoch();
}

std::optional<ArchiveRecord> ArchiveRecordOfBytes(const QByteArray& raw) {
    const std::optional<EventRecord> decoded = DecodeEventData(raw);
    if (!decoded) return std::nullopt;
    return ArchiveRecordOf(*decoded);
}

ArchiveRecord ArchiveRecordOf(const EventRecord& e) {
    ArchiveRecord r;
    r.code = e.code;
    r.tenths = e.tenths;
    r.raw = e.raw;
    if (e.raw.size() >= 6)
        r.time = TimeKeyOf({2000 + byteAt(e.raw, 0), byteAt(e.raw, 1) & 0x0F, byteAt(e.raw, 2), byteAt(e.raw, 3),
                            byteAt(e.raw, 4), byteAt(e.raw, 5)});
    return r;
}

QVector<ArchiveRecord> ArchiveRecordsOf(const QVector<EventRecord>& records) {
    QVector<ArchiveRecord> out;
    out.reserve(records.size());
    for (const EventRecord& e : records)
        out.append(ArchiveRecordOf(e));
    return out;
}

QString TimeKeyText(ArchiveTimeKey key) {
    const ArchiveTimeFields f = TimeFieldsOf(key);
    return QString::number(f.year) + QLatin1Char('-') + twoDigits(f.month) + QLatin1Char('-') + twoDigits(f.day) +
           QLatin1Char(' ') + twoDigits(f.hour) + QLatin1Char(':') + twoDigits(f.minute) + QLatin1Char(':') +
           twoDigits(f.second);
}

QString TemperatureTextOf(const ArchiveRecord& record) {
    return record.tenths ? EventTemperatureTextOfTenths(*record.tenths).trimmed() : QString();
}

namespace {
// TimeKeyText's fields written straight into bytes: a period's sum goes over a hundred thousand lines
// while the window waits.
char* putNumber(char* at, int n) {
    return std::to_chars(at, at + 12, n).ptr;
}
char* putField(char* at, int n) {
    if (n < 10) *at++ = '0';
    return putNumber(at, n);
}

void appendCanonical(QByteArray& out, const ArchiveRecord& r) {
    const ArchiveTimeFields f = TimeFieldsOf(r.time);
    char line[80];
    char* at = putNumber(line, f.year);
    *at++ = '-';
    at = putField(at, f.month);
    *at++ = '-';
    at = putField(at, f.day);
    *at++ = ' ';
    at = putField(at, f.hour);
    *at++ = ':';
    at = putField(at, f.minute);
    *at++ = ':';
    at = putField(at, f.second);
    *at++ = ';';
    at = putNumber(at, r.code);
    *at++ = ';';
    if (r.tenths) at = putNumber(at, *r.tenths);
    *at++ = '\n';
    out.append(line, int(at - line));
}
} // namespace

QByteArray CanonicalBytes(const ArchiveRecord& r) {
    QByteArray out;
    appendCanonical(out, r);
    return out;
}

QByteArray CanonicalBytes(const QVector<ArchiveRecord>& records) {
    return CanonicalBytes(records.constBegin(), records.constEnd());
}

QByteArray CanonicalBytes(QVector<ArchiveRecord>::const_iterator begin, QVector<ArchiveRecord>::const_iterator end) {
    QByteArray out;
    out.reserve(int(end - begin) * 28);
    for (auto r = begin; r != end; ++r)
        appendCanonical(out, *r);
    return out;
}

QByteArray ArchiveCsv(const QVector<ArchiveRecord>& records) {
    QVector<EventsCsvRow> rows;
    rows.reserve(records.size());
    for (const ArchiveRecord& r : records) {
        if (!EventCodeHasLine(r.code)) continue;
        const QString stamp = TimeKeyText(r.time);
        rows.append({stamp.section(QLatin1Char(' '), 0, 0), stamp.section(QLatin1Char(' '), 1, 1), TemperatureTextOf(r),
                     r.code});
    }
    return EventsCsvOfRows(rows);
}
