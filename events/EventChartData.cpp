#include "events/EventChartData.h"

#include "events/EventDecode.h"

#include <QDateTime>
#include <algorithm>
#include <map>

namespace {
QColor listColour(int code) {
    QByteArray probe(kEventRecordSize, '\0');
    probe[1] = char((code & 0x0F) << 4);
    const auto line = DecodeEventRecord(probe);
    return line ? line->colour : EventColour::Black;
}

bool byTime(const QPointF& a, const QPointF& b) { return a.x() < b.x(); }

QString stamp(qint64 msecs) {
    return QDateTime::fromMSecsSinceEpoch(msecs).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}
}  // namespace

QString ThresholdText(quint8 code) {
    return code >= 128 ? QStringLiteral("+%1").arg(int(code) - 128) : QStringLiteral("-%1").arg(128 - int(code));
}

ChartSeries BuildChartSeries(const QVector<EventRecord>& records, const ChartThresholds& thresholds) {
    ChartSeries s;
    s.high = ThresholdCelsius(thresholds.highCode);
    s.low = ThresholdCelsius(thresholds.lowCode);
    s.highLabel = QStringLiteral("MAX ") + ThresholdText(thresholds.highCode);
    s.lowLabel = QStringLiteral("MIN ") + ThresholdText(thresholds.lowCode);
    s.temperature.reserve(records.size());
    s.timed.reserve(records.size());

    std::map<int, ChartMarkers> marks;
    bool havePrevious = false;
    qint64 previous = 0;
    for (const EventRecord& r : records) {
        if (!r.hasLine) continue;
        const std::optional<TimedEvent> timed = TimedEventOf(r);
        if (!r.time.isValid() || !timed) {
            ++s.badDates;
            continue;
        }
        const qint64 t = r.time.toMSecsSinceEpoch();
        if (havePrevious && t < previous) ++s.backwardSteps;
        previous = t;
        havePrevious = true;
        s.first = s.charted == 0 ? t : qMin(s.first, t);
        s.last = s.charted == 0 ? t : qMax(s.last, t);
        s.firstClock = s.charted == 0 ? timed->clock : qMin(s.firstClock, timed->clock);
        s.lastClock = s.charted == 0 ? timed->clock : qMax(s.lastClock, timed->clock);
        ++s.charted;
        s.timed.append(*timed);

        const EventKindOf kind = KindOfEvent(r.code);
        if (kind == EventKindOf::AlarmHigh || kind == EventKindOf::AlarmLow) ++s.alarms;
        if (IsTemperatureSample(*timed)) {
            const QPointF p(double(t), SampleCelsius(*timed));
            s.temperature.append(p);
            if (kind == EventKindOf::AlarmHigh) s.alarmsHigh.append(p);
            if (kind == EventKindOf::AlarmLow) s.alarmsLow.append(p);
        } else if (kind == EventKindOf::Other || kind == EventKindOf::AlarmHigh || kind == EventKindOf::AlarmLow) {
            ChartMarkers& m = marks[r.code];
            m.times.append(t);
        }
    }
    s.timeline = BuildSampleTimeline(s.timed);
    // The curve runs from a sample to the next only where the first stands until the second.
    for (int i = 0; i < s.temperature.size(); ++i) {
        if (i == 0 || s.timeline.samples.at(i - 1).end != SampleEnd::Next) s.curve.append(QVector<QPointF>());
        s.curve.last().append(s.temperature.at(i));
    }
    std::stable_sort(s.alarmsHigh.begin(), s.alarmsHigh.end(), byTime);
    std::stable_sort(s.alarmsLow.begin(), s.alarmsLow.end(), byTime);
    for (auto& [code, m] : marks) {
        m.code = code;
        m.name = EventName(code);
        m.colour = listColour(code);
        std::stable_sort(m.times.begin(), m.times.end());
        s.markers.append(m);
    }
    return s;
}

ChartSummary SummariseChart(const ChartSeries& series) {
    ChartSummary sum;
    sum.hasPeriod = series.charted > 0;
    sum.first = series.first;
    sum.last = series.last;
    sum.alarms = series.alarms;
    sum.badDates = series.badDates;
    const QVector<QPointF>& t = series.temperature;
    sum.samples = t.size();
    if (t.isEmpty()) return sum;
    sum.minimum = sum.maximum = t.first().y();
    double total = 0;
    for (int i = 0; i < t.size(); ++i) {
        const double y = t.at(i).y();
        const qint64 seconds = series.timeline.samples.at(i).seconds;
        sum.minimum = qMin(sum.minimum, y);
        sum.maximum = qMax(sum.maximum, y);
        total += y;
        if (y > series.high) sum.secondsAboveMax += seconds;
        if (y < series.low) sum.secondsBelowMin += seconds;
    }
    sum.mean = total / t.size();
    sum.secondsWithoutData =
        UncoveredSeconds(series.timed, series.timeline.samples, series.firstClock, series.lastClock);
    return sum;
}

QString DurationText(qint64 seconds) {
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (h > 0) return QStringLiteral("%1 h %2 min %3 s").arg(h).arg(two(m), two(s));
    if (m > 0) return QStringLiteral("%1 min %2 s").arg(m).arg(two(s));
    return QStringLiteral("%1 s").arg(s);
}

QString CelsiusText(double celsius) {
    const qint64 tenths = qRound64(celsius * 10);
    const qint64 a = tenths < 0 ? -tenths : tenths;
    return QStringLiteral("%1%2,%3").arg(tenths < 0 ? QLatin1Char('-') : QLatin1Char('+')).arg(a / 10).arg(a % 10);
}

QString ChartSummaryText(const ChartSummary& s) {
    QStringList parts;
    parts << (s.hasPeriod ? QStringLiteral("Okres: %1 – %2").arg(stamp(s.first), stamp(s.last))
                          : QStringLiteral("Okres: –"));
    if (s.samples > 0) {
        parts << QStringLiteral("Min. %1 °C").arg(CelsiusText(s.minimum))
              << QStringLiteral("Maks. %1 °C").arg(CelsiusText(s.maximum))
              << QStringLiteral("Średnia %1 °C").arg(CelsiusText(s.mean))
              << QStringLiteral("Powyżej MAX %1").arg(DurationText(s.secondsAboveMax))
              << QStringLiteral("Poniżej MIN %1").arg(DurationText(s.secondsBelowMin))
              << QStringLiteral("Bez danych %1").arg(DurationText(s.secondsWithoutData));
    } else {
        parts << QStringLiteral("Brak pomiarów temperatury");
    }
    parts << QStringLiteral("Alarmy: %1").arg(s.alarms)
          << QStringLiteral("Pominięte (błędna data): %1").arg(s.badDates);
    return parts.join(QStringLiteral(" · "));
}
