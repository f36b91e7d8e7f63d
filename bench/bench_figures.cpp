// The figures of an archive period for a year recorded every 15 minutes: 35,040 samples among 100,000
// records (GSM links, mains and battery events, start-ups between them), in time order.
//  1. a new period from scratch: the time rule over the whole archive and the figures of the period
//     (target: well under 300 ms), for the whole year, one month and one day;
//  2. the same with the time rule built once, as a window asking for one period after another.
// Usage: bench_figures [runs, default 15]

#include "bench/Timings.h"
#include "archive/PeriodFigures.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

namespace {


QVector<TimedEvent> yearOfRecords() {
    constexpr int kSamples = 35040, kRecords = 100000;
    QRandomGenerator rng(2026);
    QVector<TimedEvent> out;
    out.reserve(kRecords);
    const qint64 start = ClockOfDay(QDate(2025, 1, 1));
    int tenths = 40;
    int others = kRecords - kSamples;
    // Mostly GSM links, now and then mains and battery events, a start-up rarely; the samples are the
    // periodic ones alone.
    static const int kCodes[] = {6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 7, 8, 9, 10};
    for (int i = 0; i < kSamples; ++i) {
        const qint64 at = start + qint64(i) * 900;
        tenths = qBound(-100, tenths + rng.bounded(11) - 5 + (40 - tenths) / 8, 200);
        out.append(TimedEvent{at, 4, tenths});
        // The other records spread evenly between the samples.
        const int here = others / (kSamples - i);
        for (int k = 0; k < here; ++k) {
            const int code = rng.bounded(1000) < 2 ? 5 : kCodes[rng.bounded(int(std::size(kCodes)))];
            out.append(TimedEvent{at + 1 + rng.bounded(898), code, std::nullopt});
        }
        others -= here;
        std::sort(out.end() - here, out.end(), [](const TimedEvent& a, const TimedEvent& b) { return a.clock < b.clock; });
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 15;
    const QVector<TimedEvent> records = yearOfRecords();
    const FigureLimits limits{8, 2};
    struct Period {
        const char* name;
        FigurePeriod days;
    };
    const Period periods[] = {{"the whole year", {}},
                              {"one month     ", {QDate(2025, 6, 1), QDate(2025, 6, 30)}},
                              {"one day       ", {QDate(2025, 6, 15), QDate(2025, 6, 15)}}};

    int samples = 0;
    for (const TimedEvent& e : records) samples += IsTemperatureSample(e) ? 1 : 0;
    std::printf("figures of an archive period, a year at 15 minutes, %d runs\n\n", runs);
    std::printf("archive: %d records, %d samples\n", int(records.size()), samples);

    std::printf("1. a new period from scratch (time rule and figures; target: well under 300 ms)\n");
    for (const Period& p : periods) {
        std::vector<double> t;
        PeriodFigures f;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            f = ComputePeriodFigures(records, limits, p.days);
            t.push_back(ms(timer.nsecsElapsed()));
        }
        std::printf("   %s: median %7.2f ms   worst %7.2f ms   (%d samples, %d excursions, MKT %+.1f)\n", p.name,
                    median(t), worst(t), f.samples, int(f.excursions.size()), f.meanKinetic);
    }

    std::vector<double> rule;
    SampleTimeline timeline;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        timeline = BuildSampleTimeline(records);
        rule.push_back(ms(timer.nsecsElapsed()));
    }
    std::printf("2. the time rule built once (median %.2f ms), then each period\n", median(rule));
    for (const Period& p : periods) {
        std::vector<double> t;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            (void)ComputePeriodFigures(records, timeline, limits, p.days);
            t.push_back(ms(timer.nsecsElapsed()));
        }
        std::printf("   %s: median %7.2f ms   worst %7.2f ms\n", p.name, median(t), worst(t));
    }
    return 0;
}
