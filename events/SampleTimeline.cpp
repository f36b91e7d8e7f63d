#include "events/SampleTimeline.h"

#include <algorithm>
#include <utility>
#include <vector>

std::optional<TimedEvent> TimedEventOf(const EventRecord& record) {
    if (!record.clock) return std::nullopt;
    return TimedEvent{*record.clock, record.code, record.tenths};
}

bool IsTemperatureSample(const TimedEvent& event) {
    if (!EventCarriesTemperature(event.code) || !event.tenths) return false;
    // 127 whole degrees is what the recorder stores without a sensor, as EventRecord::celsius has it.
    const int tenths = *event.tenths;
    return (tenths >= 0 ? tenths : -tenths) / 10 != 127;
}

qint64 SampleGapLimit(const QVector<TimedEvent>& events) {
    std::vector<qint64> spacings;
    bool havePrevious = false;
    qint64 previous = 0;
    for (const TimedEvent& e : events) {
        if (e.code != kPeriodicSampleCode || !IsTemperatureSample(e)) continue;
        if (havePrevious && e.clock > previous) spacings.push_back(e.clock - previous);
        previous = e.clock;
        havePrevious = true;
    }
    if (spacings.empty()) return kDefaultGapLimit;
    const size_t half = spacings.size() / 2;
    std::nth_element(spacings.begin(), spacings.begin() + half, spacings.end());
    const qint64 upper = spacings[half];
    if (spacings.size() % 2 == 1) return 2 * upper;
    // Twice the mean of the two middle spacings: their sum, exact in whole seconds.
    const qint64 lower = *std::max_element(spacings.begin(), spacings.begin() + half);
    return lower + upper;
}

SampleTimeline BuildSampleTimeline(const QVector<TimedEvent>& events) {
    SampleTimeline timeline;
    timeline.gapLimit = SampleGapLimit(events);
    timeline.samples.reserve(events.size());
    const qint64 gap = timeline.gapLimit;

    // The sample waiting for the next one, and the first start-up since it.
    int open = -1;
    bool startedUp = false;
    qint64 startUp = 0;
    const auto close = [&](qint64 next) {
        SampleSpan& span = timeline.samples[open];
        const qint64 at = events.at(span.index).clock;
        if (startedUp && startUp - at <= gap) {
            span.end = SampleEnd::StartUp;
            span.seconds = qBound(qint64(0), qMin(startUp, next) - at, gap);
        } else if (next < at) {
            span.end = SampleEnd::ClockBack;
            span.seconds = 0;
        } else if (next - at > gap) {
            span.end = SampleEnd::GapLimit;
            span.seconds = gap;
        } else {
            span.end = SampleEnd::Next;
            span.seconds = next - at;
        }
    };
    for (int i = 0; i < events.size(); ++i) {
        const TimedEvent& e = events.at(i);
        if (e.code == kStartUpCode && open >= 0 && !startedUp) {
            startedUp = true;
            startUp = e.clock;
        }
        if (!IsTemperatureSample(e)) continue;
        if (open >= 0) close(e.clock);
        open = int(timeline.samples.size());
        timeline.samples.append(SampleSpan{i, 0, SampleEnd::Last});
        startedUp = false;
    }
    return timeline;
}

QVector<SampleSpan> SpansWithin(const QVector<TimedEvent>& events, const SampleTimeline& timeline, qint64 from,
                                qint64 to) {
    QVector<SampleSpan> out;
    for (const SampleSpan& s : timeline.samples) {
        const qint64 at = events.at(s.index).clock;
        if (at < from || at >= to) continue;
        SampleSpan span = s;
        if (at + span.seconds > to) {
            span.seconds = to - at;
            span.end = SampleEnd::RangeEnd;
        }
        out.append(span);
    }
    return out;
}

qint64 UncoveredSeconds(const QVector<TimedEvent>& events, const QVector<SampleSpan>& spans, qint64 from,
                        qint64 to) {
    if (to <= from) return 0;
    std::vector<std::pair<qint64, qint64>> covered;
    covered.reserve(size_t(spans.size()));
    bool ordered = true;
    for (const SampleSpan& s : spans) {
        const qint64 a = qMax(from, events.at(s.index).clock), b = qMin(to, events.at(s.index).clock + s.seconds);
        if (b <= a) continue;
        if (!covered.empty() && a < covered.back().first) ordered = false;
        covered.emplace_back(a, b);
    }
    // In time order (the archive) they are sorted already; a clock set back interleaves them.
    if (!ordered) std::sort(covered.begin(), covered.end());
    qint64 total = 0, reach = from;
    for (const auto& [a, b] : covered) {
        if (b <= reach) continue;
        total += b - qMax(a, reach);
        reach = b;
    }
    return (to - from) - total;
}
