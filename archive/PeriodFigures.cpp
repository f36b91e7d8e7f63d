#include "archive/PeriodFigures.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {
// ΔH/R: 83.144 kJ/mol over 8.3144 J/(mol·K).
constexpr double kActivationOverGas = 10000.0;
constexpr double kZeroCelsius = 273.15;

QDate dayOf(qint64 clock) { return QDateTime::fromSecsSinceEpoch(clock, Qt::UTC).date(); }

bool within(const std::vector<qint64>& sorted, qint64 from, qint64 to) {
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), from);
    return it != sorted.end() && *it <= to;
}
}  // namespace

qint64 ClockOfDay(const QDate& day) { return QDateTime(day, QTime(0, 0), Qt::UTC).toSecsSinceEpoch(); }

double MeanKineticTemperature(const QVector<double>& celsius, const QVector<qint64>& weights) {
    if (celsius.isEmpty()) return 0;
    double total = 0;
    for (int i = 0; i < celsius.size(); ++i) total += double(weights.value(i));
    const bool plain = total <= 0;
    if (plain) total = celsius.size();
    // The exponents are near -36: taken relative to the largest, the sum keeps its digits.
    double largest = -std::numeric_limits<double>::infinity();
    for (double c : celsius) largest = std::max(largest, -kActivationOverGas / (c + kZeroCelsius));
    double sum = 0;
    for (int i = 0; i < celsius.size(); ++i) {
        const double w = plain ? 1.0 : double(weights.value(i));
        sum += w * std::exp(-kActivationOverGas / (celsius.at(i) + kZeroCelsius) - largest);
    }
    const double kelvin = kActivationOverGas / -(largest + std::log(sum / total));
    return kelvin - kZeroCelsius;
}

PeriodFigures ComputePeriodFigures(const QVector<TimedEvent>& events, const FigureLimits& limits,
                                   const FigurePeriod& period) {
    return ComputePeriodFigures(events, BuildSampleTimeline(events), limits, period);
}

PeriodFigures ComputePeriodFigures(const QVector<TimedEvent>& events, const SampleTimeline& timeline,
                                   const FigureLimits& limits, const FigurePeriod& period) {
    PeriodFigures f;
    f.gapLimit = timeline.gapLimit;
    if (events.isEmpty()) return f;
    qint64 earliest = events.first().clock, latest = earliest;
    for (const TimedEvent& e : events) {
        earliest = qMin(earliest, e.clock);
        latest = qMax(latest, e.clock);
    }
    f.firstDay = period.first.isValid() ? period.first : dayOf(earliest);
    f.lastDay = period.last.isValid() ? period.last : dayOf(latest);
    f.from = ClockOfDay(f.firstDay);
    f.to = qMax(f.from, ClockOfDay(f.lastDay.addDays(1)));

    // The period's samples, each standing no further than its end; the archive's last sample stands for
    // nothing (the rule gives it nothing to stand until).
    const QVector<SampleSpan> spans = SpansWithin(events, timeline, f.from, f.to);
    f.samples = spans.size();
    f.secondsWithoutData = UncoveredSeconds(events, spans, f.from, f.to);

    std::vector<qint64> highAlarms, lowAlarms;
    for (const TimedEvent& e : events) {
        if (e.code == 11) highAlarms.push_back(e.clock);
        if (e.code == 13) lowAlarms.push_back(e.clock);
        if (e.clock < f.from || e.clock >= f.to) continue;
        int* count = nullptr;
        switch (e.code) {
        case 5: count = &f.startUps; break;
        case 7: count = &f.mainsLost; break;
        case 8: count = &f.mainsBack; break;
        case 9: count = &f.batteryLow; break;
        case 10: count = &f.batteryCharged; break;
        case 11: count = &f.alarmsHigh; break;
        case 13: count = &f.alarmsLow; break;
        default: break;
        }
        if (!count) continue;
        ++*count;
        f.events.append(PeriodEvent{e.clock, e.code});
    }
    std::sort(highAlarms.begin(), highAlarms.end());
    std::sort(lowAlarms.begin(), lowAlarms.end());

    if (spans.isEmpty()) return f;
    const int maxTenths = limits.max * 10, minTenths = limits.min * 10;
    int lowest = *events.at(spans.first().index).tenths, highest = lowest;
    qint64 weighted = 0, seconds = 0, plain = 0;
    QVector<double> celsius;
    QVector<qint64> weights;
    celsius.reserve(spans.size());
    weights.reserve(spans.size());

    std::optional<Excursion> run;
    const auto finish = [&] {
        if (!run) return;
        run->alarmRaised = within(run->high ? highAlarms : lowAlarms, run->start, run->end);
        f.excursions.append(*run);
        run.reset();
    };
    const SampleSpan* previous = nullptr;
    for (const SampleSpan& span : spans) {
        const TimedEvent& e = events.at(span.index);
        const int t = *e.tenths;
        lowest = qMin(lowest, t);
        highest = qMax(highest, t);
        weighted += qint64(t) * span.seconds;
        seconds += span.seconds;
        plain += t;
        celsius.append(t / 10.0);
        weights.append(span.seconds);

        const int side = t > maxTenths ? 1 : t < minTenths ? -1 : 0;
        if (side > 0) f.secondsAboveMax += span.seconds;
        if (side < 0) f.secondsBelowMin += span.seconds;
        // A run goes on only from a sample that stood until this one.
        const bool goesOn = run && previous && previous->end == SampleEnd::Next && side == (run->high ? 1 : -1);
        if (!goesOn) finish();
        if (side != 0) {
            if (!run) {
                run = Excursion{};
                run->high = side > 0;
                run->start = e.clock;
                run->extreme = t / 10.0;
            }
            ++run->samples;
            run->extreme = run->high ? qMax(run->extreme, t / 10.0) : qMin(run->extreme, t / 10.0);
            run->end = e.clock + span.seconds;
        }
        previous = &span;
    }
    finish();

    f.minimum = lowest / 10.0;
    f.maximum = highest / 10.0;
    f.mean = seconds > 0 ? double(weighted) / double(seconds) / 10.0 : double(plain) / spans.size() / 10.0;
    f.meanKinetic = MeanKineticTemperature(celsius, weights);
    return f;
}
