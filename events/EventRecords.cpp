#include "events/EventRecords.h"

#include "events/EventDecode.h"
#include "link/StatusDecode.h"

#include <QTimeZone>

namespace {
int byteAt(const QByteArray& bytes, int i) { return quint8(bytes.at(i)); }

// The local time of a record through the system's time zone, read once: a local QDateTime asks the C
// library, which looks at the zone's file again for every record of a 4,095-record register.
QDateTime localTime(const QDate& date, const QTime& time) {
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return zone.isValid() ? QDateTime(date, time, zone) : QDateTime(date, time);
}
}  // namespace

bool EventCarriesTemperature(int code) { return code == 4 || (code >= 11 && code <= 13); }

EventKindOf KindOfEvent(int code) {
    switch (code) {
    case 4: return EventKindOf::Sample;
    case 11: return EventKindOf::AlarmHigh;
    case 12: return EventKindOf::BackToNormal;
    case 13: return EventKindOf::AlarmLow;
    default: return code >= 5 && code <= 10 ? EventKindOf::Other : EventKindOf::None;
    }
}

QString EventName(int code) {
    // The list's own line, cut to the event's words: one record with this code, time and sample zero.
    QByteArray probe(kEventRecordSize, '\0');
    probe[1] = char((code & 0x0F) << 4);
    const auto line = DecodeEventRecord(probe);
    if (!line) return QString();
    QString text = line->text.mid(EventTimestampText(probe).size());
    if (EventCarriesTemperature(code)) text.chop(EventTemperatureText(0).size());
    return text.trimmed();
}

std::optional<EventRecord> DecodeEventData(const QByteArray& payload) {
    if (payload.size() < kEventRecordSize) return std::nullopt;
    EventRecord r;
    r.raw = payload.left(kEventRecordSize);
    r.code = EventCode(r.raw);
    r.hasLine = EventCodeHasLine(r.code);
    const QDate date(2000 + byteAt(r.raw, 0), byteAt(r.raw, 1) & 0x0F, byteAt(r.raw, 2));
    const QTime time(byteAt(r.raw, 3), byteAt(r.raw, 4), byteAt(r.raw, 5));
    if (date.isValid() && time.isValid()) {
        r.time = localTime(date, time);
        r.clock = QDateTime(date, time, Qt::UTC).toSecsSinceEpoch();
    }
    if (EventCarriesTemperature(r.code)) {
        const quint16 sample = quint16(byteAt(r.raw, 6) + 256 * byteAt(r.raw, 7));
        r.temperatureText = EventTemperatureText(sample).trimmed();
        const int tenths = TemperatureTenths(sample);
        r.tenths = tenths;
        if ((tenths >= 0 ? tenths : -tenths) / 10 != 127) r.celsius = tenths / 10.0;
    }
    return r;
}

QByteArray EventsCsv(const QVector<EventRecord>& records) {
    QVector<EventsCsvRow> rows;
    rows.reserve(records.size());
    for (const EventRecord& r : records) {
        if (!r.hasLine) continue;
        // The date and time as the list shows them, whether or not they make a real date.
        const QStringList stamp = EventTimestampText(r.raw).simplified().split(QLatin1Char(' '));
        rows.append({stamp.value(0), stamp.value(1), r.temperatureText, r.code});
    }
    return EventsCsvOfRows(rows);
}

QByteArray EventsCsvOfRows(const QVector<EventsCsvRow>& rows) {
    QString out = QStringLiteral("\uFEFFData;Godzina;Temperatura;Zdarzenie\r\n");
    for (const EventsCsvRow& r : rows)
        out += r.date + QLatin1Char(';') + r.time + QLatin1Char(';') + r.temperature + QLatin1Char(';') +
               EventName(r.code) + QStringLiteral("\r\n");
    return out.toUtf8();
}
