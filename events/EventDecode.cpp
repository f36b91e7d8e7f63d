#include "events/EventDecode.h"

#include "link/StatusDecode.h"

namespace {
QString twoDigits(int n) { return n < 10 ? QLatin1Char('0') + QString::number(n) : QString::number(n); }
int byteAt(const QByteArray& bytes, int i) { return quint8(bytes.at(i)); }

struct EventKind {
    const char16_t* text;
    bool withTemperature;
    QColor colour;
};

// Codes 4..13; the others have no line.
const EventKind* kindOf(int code) {
    static const EventKind kinds[] = {
        {u"       Zapis cykliczny temperatury  ", true, EventColour::Black},
        {u"  Start urządzenia ", false, EventColour::Black},
        {u"  Zestawienie łącza GSM ", false, EventColour::Black},
        {u"  Brak 230V ", false, EventColour::Red},
        {u"  Powrót 230V ", false, EventColour::Green},
        {u"  Bateria rozładowana ", false, EventColour::Red},
        {u"  Bateria naładowana ", false, EventColour::Green},
        {u"  Alarm!, Wysoka temperatura ", true, EventColour::Red},
        {u"  Powrót do normy temperatury ", true, EventColour::Green},
        {u"  Alarm!, Niska temperatura ", true, EventColour::Blue},
    };
    if (code < 4 || code > 13) return nullptr;
    return &kinds[code - 4];
}
}  // namespace

std::optional<RegisterHeader> DecodeRegisterHeader(const QByteArray& payload, const QDateTime& now) {
    if (payload.size() < kEventHeaderSize) return std::nullopt;
    RegisterHeader h;
    const int size = byteAt(payload, 0) + 256 * byteAt(payload, 1);
    h.gaugeMaximum = qMin(size, kLargestRegisterBytes);
    h.eventCount = h.gaugeMaximum / kEventRecordSize;
    h.lines << QStringLiteral(" Wydruk zdarzeń z dnia :  ") + now.date().toString(QStringLiteral("yyyy-MM-dd"))
            << QStringLiteral(" Godzina wydruku zdarzeń : ") + now.time().toString(QStringLiteral("hh:mm:ss"))
            << QStringLiteral(" %1 zdarzeń w pamięci").arg(h.eventCount)
            << QLatin1Char(' ') + QString(73, QLatin1Char('*')) << QStringLiteral(" ");
    return h;
}

QString EventTimestampText(const QByteArray& r) {
    if (r.size() < 6) return QString();
    return QStringLiteral(" %1-%2-%3  %4:%5:%6")
        .arg(2000 + byteAt(r, 0))
        .arg(twoDigits(byteAt(r, 1) & 0x0F), twoDigits(byteAt(r, 2)), twoDigits(byteAt(r, 3)),
             twoDigits(byteAt(r, 4)), twoDigits(byteAt(r, 5)));
}

QString EventTemperatureText(quint16 sample) { return EventTemperatureTextOfTenths(TemperatureTenths(sample)); }

QString EventTemperatureTextOfTenths(int tenths) {
    const int a = tenths >= 0 ? tenths : -tenths;
    const QString number = QStringLiteral("%1,%2").arg(a / 10).arg(a % 10);
    if (a / 10 == 127) return number;
    return QString(tenths >= 0 ? QStringLiteral(" +") : QStringLiteral(" -")) + number;
}

int EventCode(const QByteArray& record) { return record.size() < 2 ? -1 : byteAt(record, 1) >> 4; }

bool EventCodeHasLine(int code) { return kindOf(code) != nullptr; }

std::optional<EventLine> DecodeEventRecord(const QByteArray& payload) {
    if (payload.size() < kEventRecordSize) return std::nullopt;
    const EventKind* kind = kindOf(EventCode(payload));
    if (!kind) return std::nullopt;
    EventLine line;
    line.text = EventTimestampText(payload) + QString::fromUtf16(kind->text);
    if (kind->withTemperature)
        line.text += EventTemperatureText(quint16(byteAt(payload, 6) + 256 * byteAt(payload, 7)));
    line.colour = kind->colour;
    return line;
}

QString EndOfRegisterText() { return QStringLiteral(" Koniec historii"); }
