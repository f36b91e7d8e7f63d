#pragma once
// How long each temperature sample stands: the one rule behind every figure that adds up time (the
// chart's time above MAX and below MIN, the archive's durations and excursions). A sample stands until
// the next sample in the order given, never longer than the gap limit, never past a start-up of the
// recorder, and for no time at all when the next sample is earlier (the clock was set back). Time that no
// sample covers has no data. Pure: a download and the archive both reduce their records to TimedEvent.

#include "events/EventRecords.h"

#include <QVector>
#include <QtGlobal>
#include <optional>

// One record as the rule sees it.
struct TimedEvent {
    // The recorder's clock in seconds, its date and time read without time-zone rules
    // (EventRecord::clock): durations are plain differences.
    qint64 clock = 0;
    int code = -1;
    // The sample in tenths of a degree for the codes that carry one, the 127-degree marker of a recorder
    // without a sensor included (EventRecord::tenths).
    std::optional<int> tenths;
};

// The record as the rule sees it; nothing when its date or time cannot be one.
std::optional<TimedEvent> TimedEventOf(const EventRecord& record);

constexpr int kStartUpCode = 5;       // "Start urządzenia"
constexpr int kPeriodicSampleCode = 4;  // "Zapis cykliczny temperatury"
// The gap limit of a set with fewer than two periodic samples a positive time apart.
constexpr qint64 kDefaultGapLimit = 3600;

// A temperature sample: codes 4, 11, 12 and 13 with a reading (not the 127-degree marker).
bool IsTemperatureSample(const TimedEvent& event);
inline double SampleCelsius(const TimedEvent& event) { return event.tenths.value_or(0) / 10.0; }

// What ends the time a sample stands.
enum class SampleEnd {
    Next,       // the next sample
    GapLimit,   // the gap limit: the next sample came later than that
    StartUp,    // a start-up of the recorder before the next sample (and within the gap limit)
    ClockBack,  // the next sample is earlier: the sample stands for nothing
    Last,       // no sample follows: the sample stands for nothing
    RangeEnd,   // the end of the range asked for (SpansWithin)
};

struct SampleSpan {
    int index = 0;       // the sample's position in the list given
    qint64 seconds = 0;  // how long it stands
    SampleEnd end = SampleEnd::Last;
    // Cut short by a gap (the gap limit or a start-up): nothing is known of the time after it.
    bool cut() const { return end == SampleEnd::GapLimit || end == SampleEnd::StartUp; }
};

struct SampleTimeline {
    qint64 gapLimit = kDefaultGapLimit;  // seconds
    QVector<SampleSpan> samples;         // every sample, in the order given
};

// Twice the median of the positive spacings between consecutive periodic samples (code 4, in the order
// given; a spacing of zero or less, from two samples in one second or a clock set back, says nothing about
// the interval and is left out). With an even number of spacings the median is the mean of the two middle
// ones. kDefaultGapLimit when there is no positive spacing.
qint64 SampleGapLimit(const QVector<TimedEvent>& events);

// The rule over `events` in the order given (register order for a download, time order for the archive).
SampleTimeline BuildSampleTimeline(const QVector<TimedEvent>& events);

// The samples of `timeline` whose clock lies in [from, to), each standing no further than `to` (a span cut
// there ends with RangeEnd).
QVector<SampleSpan> SpansWithin(const QVector<TimedEvent>& events, const SampleTimeline& timeline, qint64 from,
                                qint64 to);

// The seconds of [from, to) that no span covers ("bez danych"); spans that overlap (a clock set back) count
// once.
qint64 UncoveredSeconds(const QVector<TimedEvent>& events, const QVector<SampleSpan>& spans, qint64 from, qint64 to);
