// Event register replies as they come off the line: the header and the record decoders must hold for
// any bytes, and read none past the payload (the payload is the fuzzer's own buffer, so AddressSanitizer
// sees every byte read beyond it).

#include "events/EventDecode.h"
#include "link/Text.h"

#include <cstdint>
#include <cstdlib>

namespace {
const QDateTime kNow(QDate(2024, 3, 5), QTime(7, 8, 9));

bool wellFormed(const QString& text) {
    if (text.isEmpty() || !isCp1250(text)) return false;
    for (QChar c : text)
        if (c.unicode() < 0x20) return false;
    return true;
}

bool isDigits(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (!c.isDigit()) return false;
    return true;
}

// " 2009-03-07  08:05:03": every field a decimal number, the year 2000..2255, the others at least two
// digits.
bool timestampWellFormed(const QString& d) {
    if (!d.startsWith(QLatin1Char(' ')) || !wellFormed(d)) return false;
    const QStringList halves = d.mid(1).split(QStringLiteral("  "));
    if (halves.size() != 2) return false;
    const QStringList date = halves.at(0).split(QLatin1Char('-'));
    const QStringList time = halves.at(1).split(QLatin1Char(':'));
    if (date.size() != 3 || time.size() != 3) return false;
    const int year = date.at(0).toInt();
    if (!isDigits(date.at(0)) || year < 2000 || year > 2255) return false;
    for (const QString& f : {date.at(1), date.at(2), time.at(0), time.at(1), time.at(2)})
        if (!isDigits(f) || f.size() < 2 || f.size() > 3) return false;
    return true;
}

// " +21,5", " -3,2" or "127,x".
bool temperatureWellFormed(const QString& t) {
    QString number = t;
    if (t.startsWith(QLatin1String(" +")) || t.startsWith(QLatin1String(" -")))
        number = t.mid(2);
    else if (!t.startsWith(QLatin1String("127,")))
        return false;
    const QStringList parts = number.split(QLatin1Char(','));
    return parts.size() == 2 && isDigits(parts.at(0)) && parts.at(1).size() == 1 && isDigits(parts.at(1));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray payload = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    const std::optional<RegisterHeader> h = DecodeRegisterHeader(payload, kNow);
    if (h.has_value() != (size >= 2)) abort();
    if (h) {
        if (h->lines.size() != 5) abort();
        for (const QString& line : h->lines)
            if (!wellFormed(line)) abort();
        if (h->gaugeMaximum < 0 || h->gaugeMaximum > kLargestRegisterBytes) abort();
        if (h->eventCount != h->gaugeMaximum / 8 || h->eventCount > 4095) abort();
        if (h->lines.at(2) != QStringLiteral(" %1 zdarzeń w pamięci").arg(h->eventCount)) abort();
    }

    const std::optional<EventLine> line = DecodeEventRecord(payload);
    if (size < 8) {
        if (line) abort();
    } else {
        const int code = EventCode(payload);
        if (code < 0 || code > 15) abort();
        if (line.has_value() != (code >= 4 && code <= 13)) abort();
        const QString d = EventTimestampText(payload);
        if (!timestampWellFormed(d)) abort();
        const QString t = EventTemperatureText(quint16(data[6] | (data[7] << 8)));
        if (!temperatureWellFormed(t)) abort();
        if (line) {
            if (!wellFormed(line->text) || !line->text.startsWith(d)) abort();
            const bool withTemperature = code == 4 || code >= 11;
            if (withTemperature != line->text.endsWith(t)) abort();
            const QColor& c = line->colour;
            if (c != EventColour::Black && c != EventColour::Red && c != EventColour::Green && c != EventColour::Blue)
                abort();
        }
    }
    return 0;
}
