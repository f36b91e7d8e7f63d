#pragma once
// The temperature chart of a register as numbers: the curve, the thresholds, the events' marks, the time
// ticks and the summary under the chart. No widgets: the chart window draws what this builds, tests and
// the benchmark look at it directly.
//
// Times are the recorder's clock as it stands, in milliseconds since 1970-01-01 with the date and time read
// as UTC (EventRecord::clock times 1000): the chart shows the times the list shows, whatever the PC's time
// zone and daylight saving say, and durations are plain differences.

#include "events/EventRecords.h"
#include "events/SampleTimeline.h"

#include <QColor>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// The thresholds in the recorder's coding (whole degrees plus 128), as the window's temperature
// settings hold them.
struct ChartThresholds {
    quint8 lowCode = 130;
    quint8 highCode = 136;
};

// "+8", "-1", "+0": a threshold code as the configuration shows it.
QString ThresholdText(quint8 code);
inline double ThresholdCelsius(quint8 code) { return int(code) - 128; }

// The shape of a kind's mark.
enum class ChartMark { Square, Star, Cross, Plus, Diamond, Pentagon, TriangleUp, Circle, TriangleDown };

// How the chart draws a kind of event (codes 5-13): a colour and a mark of its own, so that no two kinds
// share a colour (red is the high alarm's alone, black the start-up's alone) and the legend's words say
// what each is. The event list keeps its own colours.
struct ChartKindStyle {
    QColor colour;
    ChartMark mark = ChartMark::Circle;
};
ChartKindStyle ChartStyleOf(int code);

// The events of one code: a vertical line with the kind's mark at the top of the plot for each record
// without a sample, the kind's mark on the curve for each record with one.
struct ChartMarkers {
    int code = 0;
    QString name;  // the event's words, as the list shows them
    QColor colour;
    ChartMark mark = ChartMark::Circle;
    QVector<qint64> times;    // records without a sample, milliseconds, in time order
    QVector<QPointF> points;  // records with a sample (milliseconds, degrees), in time order
};

// A stretch of time shaded under the curve: above MAX (red) or below MIN (blue), as the archive's
// excursions give it. Seconds of the recorder's clock (EventRecord::clock).
struct ChartBand {
    qint64 from = 0;
    qint64 to = 0;
    bool high = true;
};

struct ChartSeries {
    // The temperature samples in register order (x: milliseconds, y: degrees); where the clock was set back,
    // x goes back.
    QVector<QPointF> temperature;
    // The charted records (a line and a real date) as the time rule sees them, in the order given, and how
    // long each sample stands: timeline.samples[i] is temperature[i].
    QVector<TimedEvent> timed;
    SampleTimeline timeline;
    // The curve as it is drawn: runs of samples each standing until the next one. It is broken where a
    // sample's time is cut short (a gap, a start-up) or the clock went back; a run may be one sample.
    QVector<QVector<QPointF>> curve;
    // One entry per kind present (codes 5-13), in code order.
    QVector<ChartMarkers> markers;
    QVector<ChartBand> bands;
    double high = 8;
    double low = 2;
    QString highLabel;  // "MAX +8"
    QString lowLabel;   // "MIN +2"

    int charted = 0;        // records with a line and a real date
    int badDates = 0;       // records with a line whose date or time cannot be one; left out
    int backwardSteps = 0;  // how often a record's time is earlier than the one before it
    int alarms = 0;         // charted high and low alarms
    qint64 first = 0;       // the period of the charted records, milliseconds (when charted > 0)
    qint64 last = 0;
};

// The chart of `records` (in the order given: register order for a download) against the thresholds.
ChartSeries BuildChartSeries(const QVector<EventRecord>& records, const ChartThresholds& thresholds);
// The same of records already seen by the time rule (the archive's), each with a line of the list (codes 4
// to 13) and a real date; in the order given.
ChartSeries BuildTimedChartSeries(const QVector<TimedEvent>& events, const ChartThresholds& thresholds);

// The colour of the temperature curve: no kind's colour, so the curve never looks like an event.
inline const QColor kCurveColour{0, 150, 136};

struct ChartSummary {
    bool hasPeriod = false;
    qint64 first = 0;  // milliseconds
    qint64 last = 0;
    int samples = 0;
    double minimum = 0;
    double maximum = 0;
    double mean = 0;
    // The time a sample stands (SampleTimeline) counts as above MAX (below MIN) when the sample is;
    // the period's time that no sample covers is without data.
    qint64 secondsAboveMax = 0;
    qint64 secondsBelowMin = 0;
    qint64 secondsWithoutData = 0;
    int alarms = 0;
    int badDates = 0;
};

// The figures of the whole period.
ChartSummary SummariseChart(const ChartSeries& series);
// The figures of the time from `from` to `to` (milliseconds, as the chart has it in view) within the
// period: the samples whose time lies in it, each standing no further than its end (SpansWithin).
ChartSummary SummariseChart(const ChartSeries& series, qint64 from, qint64 to);

// "12 h 05 min 07 s", "3 min 00 s", "0 s".
QString DurationText(qint64 seconds);
// "+23,2": a temperature with sign and decimal comma, to a tenth.
QString CelsiusText(double celsius);
// "2026-12-09 10:15:00": a time of the chart (milliseconds).
QString ChartTimeText(qint64 msecs);
// The figures under the chart, each a whole ("Min. +1,0 °C", "Bez danych 25 min 00 s").
QStringList ChartSummaryFigures(const ChartSummary& summary);
// The figures in one line, " · " between them.
QString ChartSummaryText(const ChartSummary& summary);
// "2026-12-09 10:15 · +4,2 °C": a sample under the pointer.
QString ChartReadoutText(const QPointF& sample);
// The sample of `series` nearest in time to `x` among those from `from` to `to`; nothing when none is there.
std::optional<QPointF> NearestSample(const ChartSeries& series, double x, double from, double to);

// A tick of the time axis: on a whole minute step, hour or day of the recorder's clock.
struct ChartTick {
    qint64 at = 0;  // milliseconds
    QString time;   // "10:00"; empty for ticks a day or more apart
    QString date;   // "2026-12-09" for the first tick and those at midnight
};
// The ticks from `from` to `to` (milliseconds), at most `most` of them (at least one step): steps of 1, 2, 5,
// 10, 15 and 30 minutes, 1, 2, 3, 6 and 12 hours, 1 and 2 days and whole weeks from a Monday.
QVector<ChartTick> TimeTicks(qint64 from, qint64 to, int most);
