#include "events/EventChartData.h"


#include <QDateTime>
#include <algorithm>
#include <iterator>
#include <map>

namespace {
qint64 floorDiv(qint64 a, qint64 b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
qint64 ceilDiv(qint64 a, qint64 b) { return -floorDiv(-a, b); }

QDateTime clockTime(qint64 msecs) { return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC); }
}  // namespace

QString ThresholdText(quint8 code) {
    return code >= 128 ? QStringLiteral("+%1").arg(int(code) - 128) : QStringLiteral("-%1").arg(128 - int(code));
}

ChartKindStyle ChartStyleOf(int code) {
    switch (code) {
    case 5: return {QColor(0, 0, 0), ChartMark::Square};
    case 6: return {QColor(120, 120, 120), ChartMark::Star};
    case 7: return {QColor(230, 120, 0), ChartMark::Cross};
    case 8: return {QColor(0, 128, 0), ChartMark::Plus};
    case 9: return {QColor(130, 60, 190), ChartMark::Diamond};
    case 10: return {QColor(150, 95, 40), ChartMark::Pentagon};
    case 11: return {QColor(255, 0, 0), ChartMark::TriangleUp};
    case 12: return {QColor(200, 0, 140), ChartMark::Circle};
    case 13: return {QColor(0, 0, 255), ChartMark::TriangleDown};
    default: return {QColor(120, 120, 120), ChartMark::Circle};
    }
}

ChartSeries BuildChartSeries(const QVector<EventRecord>& records, const ChartThresholds& thresholds) {
    QVector<TimedEvent> timed;
    timed.reserve(records.size());
    int badDates = 0;
    for (const EventRecord& r : records) {
        if (!r.hasLine) continue;
        if (const std::optional<TimedEvent> t = TimedEventOf(r))
            timed.append(*t);
        else
            ++badDates;
    }
    ChartSeries s = BuildTimedChartSeries(timed, thresholds);
    s.badDates = badDates;
    return s;
}

ChartSeries BuildTimedChartSeries(const QVector<TimedEvent>& events, const ChartThresholds& thresholds) {
    ChartSeries s;
    s.high = ThresholdCelsius(thresholds.highCode);
    s.low = ThresholdCelsius(thresholds.lowCode);
    s.highLabel = QStringLiteral("MAX ") + ThresholdText(thresholds.highCode);
    s.lowLabel = QStringLiteral("MIN ") + ThresholdText(thresholds.lowCode);
    s.temperature.reserve(events.size());
    s.timed = events;

    std::map<int, ChartMarkers> marks;
    bool havePrevious = false;
    qint64 previous = 0;
    for (const TimedEvent& timed : events) {
        const qint64 t = timed.clock * 1000;
        if (havePrevious && t < previous) ++s.backwardSteps;
        previous = t;
        havePrevious = true;
        s.first = s.charted == 0 ? t : qMin(s.first, t);
        s.last = s.charted == 0 ? t : qMax(s.last, t);
        ++s.charted;

        const EventKindOf kind = KindOfEvent(timed.code);
        if (kind == EventKindOf::AlarmHigh || kind == EventKindOf::AlarmLow) ++s.alarms;
        const bool sample = IsTemperatureSample(timed);
        if (sample) s.temperature.append(QPointF(double(t), SampleCelsius(timed)));
        if (kind == EventKindOf::None || (kind == EventKindOf::Sample)) continue;
        ChartMarkers& m = marks[timed.code];
        if (sample)
            m.points.append(s.temperature.last());
        else
            m.times.append(t);
    }
    s.timeline = BuildSampleTimeline(s.timed);
    // The curve runs from a sample to the next only where the first stands until the second.
    for (int i = 0; i < s.temperature.size(); ++i) {
        if (i == 0 || s.timeline.samples.at(i - 1).end != SampleEnd::Next) s.curve.append(QVector<QPointF>());
        s.curve.last().append(s.temperature.at(i));
    }
    for (auto& [code, m] : marks) {
        m.code = code;
        m.name = EventName(code);
        const ChartKindStyle style = ChartStyleOf(code);
        m.colour = style.colour;
        m.mark = style.mark;
        std::stable_sort(m.times.begin(), m.times.end());
        std::stable_sort(m.points.begin(), m.points.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        s.markers.append(m);
    }
    return s;
}

ChartSummary SummariseChart(const ChartSeries& series) { return SummariseChart(series, series.first, series.last); }

ChartSummary SummariseChart(const ChartSeries& series, qint64 from, qint64 to) {
    ChartSummary sum;
    sum.badDates = series.badDates;
    const qint64 first = qMax(from, series.first), last = qMin(to, series.last);
    if (series.charted == 0 || last < first) return sum;
    sum.hasPeriod = true;
    sum.first = first;
    sum.last = last;
    // Whole seconds of the clock inside; the period's last record belongs to it.
    const qint64 fromS = ceilDiv(first, 1000), toS = floorDiv(last, 1000);
    const qint64 endS = last == series.last ? toS + 1 : toS;
    for (const TimedEvent& e : series.timed)
        if ((e.code == 11 || e.code == 13) && e.clock >= fromS && e.clock < endS) ++sum.alarms;

    const QVector<SampleSpan> spans = SpansWithin(series.timed, series.timeline, fromS, endS);
    sum.samples = spans.size();
    if (spans.isEmpty()) return sum;
    sum.minimum = sum.maximum = SampleCelsius(series.timed.at(spans.first().index));
    double total = 0;
    for (const SampleSpan& span : spans) {
        const double y = SampleCelsius(series.timed.at(span.index));
        sum.minimum = qMin(sum.minimum, y);
        sum.maximum = qMax(sum.maximum, y);
        total += y;
        if (y > series.high) sum.secondsAboveMax += span.seconds;
        if (y < series.low) sum.secondsBelowMin += span.seconds;
    }
    sum.mean = total / spans.size();
    sum.secondsWithoutData = UncoveredSeconds(series.timed, spans, fromS, qMax(fromS, toS));
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

QString ChartTimeText(qint64 msecs) { return clockTime(msecs).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }

QStringList ChartSummaryFigures(const ChartSummary& s) {
    QStringList parts;
    parts << (s.hasPeriod ? QStringLiteral("Okres: %1 – %2").arg(ChartTimeText(s.first), ChartTimeText(s.last))
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
    return parts;
}

QString ChartSummaryText(const ChartSummary& s) { return ChartSummaryFigures(s).join(QStringLiteral(" · ")); }

QString ChartReadoutText(const QPointF& sample) {
    return QStringLiteral("%1 · %2 °C")
        .arg(clockTime(qint64(sample.x())).toString(QStringLiteral("yyyy-MM-dd hh:mm")), CelsiusText(sample.y()));
}

std::optional<QPointF> NearestSample(const ChartSeries& series, double x, double from, double to) {
    std::optional<QPointF> best;
    for (const QPointF& p : series.temperature) {
        if (p.x() < from || p.x() > to) continue;
        if (!best || qAbs(p.x() - x) < qAbs(best->x() - x)) best = p;
    }
    return best;
}

QVector<ChartTick> TimeTicks(qint64 from, qint64 to, int most) {
    QVector<ChartTick> ticks;
    if (to < from) return ticks;
    constexpr qint64 kDay = 86400;
    // 1970-01-05 was a Monday: weeks are counted from there.
    constexpr qint64 kMonday = 4 * kDay;
    static const qint64 kSteps[] = {60,   120,   300,   600,   900,   1800,     3600,
                                    7200, 10800, 21600, 43200, kDay, 2 * kDay, 7 * kDay};
    const qint64 fromS = ceilDiv(from, 1000), toS = floorDiv(to, 1000);
    qint64 step = 0, offset = 0, firstTick = 0;
    for (int i = 0;; ++i) {
        step = i < int(std::size(kSteps)) ? kSteps[i] : step * 2;
        offset = step >= 7 * kDay ? kMonday : 0;
        firstTick = ceilDiv(fromS - offset, step) * step + offset;
        const qint64 count = firstTick > toS ? 0 : (toS - firstTick) / step + 1;
        if (count <= qMax(1, most)) break;
    }
    for (qint64 t = firstTick; t <= toS; t += step) {
        ChartTick tick;
        tick.at = t * 1000;
        const QDateTime when = clockTime(tick.at);
        if (step < kDay) tick.time = when.toString(QStringLiteral("hh:mm"));
        if (step >= kDay || ticks.isEmpty() || t % kDay == 0) tick.date = when.toString(QStringLiteral("yyyy-MM-dd"));
        ticks.append(tick);
    }
    return ticks;
}
