#include "archive/HistoryText.h"

#include "events/EventDecode.h"
#include "events/EventRecords.h"
#include "link/Text.h"

#include <QRegularExpression>

namespace {
constexpr int kFirstCode = 4;
constexpr int kLastCode = 13;

// The six bytes of a time stamp; the event list's own formatting turns them into its text.
QByteArray stampBytes(const ArchiveTimeFields& f, int code) {
    QByteArray r(kEventRecordSize, '\0');
    r[0] = char(f.year - 2000);
    r[1] = char(((code & 0x0F) << 4) | (f.month & 0x0F));
    r[2] = char(f.day);
    r[3] = char(f.hour);
    r[4] = char(f.minute);
    r[5] = char(f.second);
    return r;
}

// What follows the time stamp in the line of each code, up to the temperature: the list's own line for
// a record of that code with its temperature cut off.
const QStringList& eventTexts() {
    static const QStringList texts = [] {
        QStringList out;
        for (int code = kFirstCode; code <= kLastCode; ++code) {
            const QByteArray probe = stampBytes({}, code);
            QString line = DecodeEventRecord(probe)->text.mid(EventTimestampText(probe).size());
            if (EventCarriesTemperature(code)) line.chop(EventTemperatureText(0).size());
            out << line;
        }
        return out;
    }();
    return texts;
}

QString withoutTrailingBlanks(const QString& s) {
    int n = int(s.size());
    while (n > 0 && s.at(n - 1).isSpace())
        --n;
    return s.left(n);
}

// The lines of the list's frame: the header of a download and its end.
bool isFrameLine(const QString& line) {
    static const QRegularExpression count(QStringLiteral("^ \\d+ zdarzeń w pamięci$"));
    static const QRegularExpression stars(QStringLiteral("^ \\*+$"));
    const QString bare = withoutTrailingBlanks(line);
    return bare.isEmpty() || bare.startsWith(QStringLiteral(" Wydruk zdarzeń z dnia :")) ||
           bare.startsWith(QStringLiteral(" Godzina wydruku zdarzeń :")) || bare == EndOfRegisterText() ||
           count.match(bare).hasMatch() || stars.match(bare).hasMatch();
}

std::optional<int> number(const QString& digits, int low, int high) {
    bool ok = false;
    const int n = digits.toInt(&ok);
    if (!ok || n < low || n > high) return std::nullopt;
    return n;
}

// The record of an event line, or nothing. Only a line that the window itself would write for the
// record is taken: the record's own line is built again and compared.
std::optional<ArchiveRecord> eventOf(const QString& line) {
    static const QRegularExpression stamp(
        QStringLiteral("^ (\\d{4})-(\\d{2})-(\\d{2,3})  (\\d{2,3}):(\\d{2,3}):(\\d{2,3})"));
    static const QRegularExpression temperature(QStringLiteral("^(?: [+-])?(\\d{1,6}),(\\d)$"));
    const QRegularExpressionMatch m = stamp.match(line);
    if (!m.hasMatch()) return std::nullopt;
    ArchiveTimeFields f;
    const auto year = number(m.captured(1), 2000, 2255);
    const auto month = number(m.captured(2), 0, 15);
    const auto day = number(m.captured(3), 0, 255);
    const auto hour = number(m.captured(4), 0, 255);
    const auto minute = number(m.captured(5), 0, 255);
    const auto second = number(m.captured(6), 0, 255);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    f = {*year, *month, *day, *hour, *minute, *second};

    const QString rest = withoutTrailingBlanks(line.mid(m.capturedLength()));
    const QStringList& texts = eventTexts();
    for (int code = kFirstCode; code <= kLastCode; ++code) {
        const QString& text = texts.at(code - kFirstCode);
        ArchiveRecord r;
        r.code = code;
        r.time = TimeKeyOf(f);
        if (!EventCarriesTemperature(code)) {
            if (rest != withoutTrailingBlanks(text)) continue;
        } else {
            if (!rest.startsWith(text)) continue;
            const QString t = rest.mid(text.size());
            const QRegularExpressionMatch tm = temperature.match(t);
            if (!tm.hasMatch()) continue;
            const int magnitude = tm.captured(1).toInt() * 10 + tm.captured(2).toInt();
            r.tenths = t.startsWith(QLatin1String(" -")) ? -magnitude : magnitude;
        }
        // The line exactly as the window writes it for this record (a "-0,0", a "+127,3" or a
        // "+021,5" is no line of the window's).
        if (withoutTrailingBlanks(HistoryLineOf(r)) != withoutTrailingBlanks(line)) return std::nullopt;
        return r;
    }
    return std::nullopt;
}
} // namespace

QString HistoryLineOf(const ArchiveRecord& r) {
    if (r.code < kFirstCode || r.code > kLastCode) return QString();
    QString line = EventTimestampText(stampBytes(TimeFieldsOf(r.time), r.code)) + eventTexts().at(r.code - kFirstCode);
    if (EventCarriesTemperature(r.code)) line += EventTemperatureTextOfTenths(r.tenths.value_or(0));
    return line;
}

HistoryText ReadHistoryText(const QByteArray& bytes) {
    HistoryText out;
    const QStringList lines = fromCp1250(bytes).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        // Nothing after the last line break: the file's end, not a line.
        if (line.isEmpty() && i == lines.size() - 1) break;
        if (isFrameLine(line)) continue;
        if (std::optional<ArchiveRecord> r = eventOf(line)) {
            out.records.append(*r);
            continue;
        }
        if (out.skippedLines++ == 0) out.firstSkippedLine = i + 1;
    }
    return out;
}
