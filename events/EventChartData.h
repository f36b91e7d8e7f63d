#pragma once
// The temperature chart of a downloaded register as numbers: the curve, the thresholds, the events'
// markers and the alarm points, and the summary under the chart. No widgets: the chart window draws
// what this builds, tests and the benchmark look at it directly.

#include "events/EventRecords.h"
#include "events/SampleTimeline.h"

#include <QColor>
#include <QPointF>
#include <QString>
#include <QVector>

// The thresholds in the recorder's coding (whole degrees plus 128), as the window's temperature
// settings hold them.
struct ChartThresholds {
    quint8 lowCode = 130;
    quint8 highCode = 136;
};

// "+8", "-1", "+0": a threshold code as the configuration shows it.
QString ThresholdText(quint8 code);
inline double ThresholdCelsius(quint8 code) { return int(code) - 128; }

// The events of one code drawn as vertical marks at their times, in the colour of their line in the list.
struct ChartMarkers {
    int code = 0;
    QString name;         // the event's words, as the list shows them
    QColor colour;        // as the list shows the line
    QVector<qint64> times;  // milliseconds since the epoch, in time order
};

struct ChartSeries {
    // The temperature samples in register order, x: milliseconds since the epoch of the record's local
    // time, y: degrees. Where the clock was set back, x goes back.
    QVector<QPointF> temperature;
    // The charted records (a line and a real date) as the time rule sees them, in register order, and how
    // long each sample stands: timeline.samples[i] is temperature[i].
    QVector<TimedEvent> timed;
    SampleTimeline timeline;
    // The curve as it is drawn: runs of samples each standing until the next one. It is broken where a
    // sample's time is cut short (a gap, a start-up) or the clock went back; a run may be one sample.
    QVector<QVector<QPointF>> curve;
    QVector<QPointF> alarmsHigh;  // "Alarm!, Wysoka temperatura" with its sample
    QVector<QPointF> alarmsLow;   // "Alarm!, Niska temperatura" with its sample
    // Start-up, GSM link, mains, battery (and alarms without a sample), one entry per code present, in
    // code order.
    QVector<ChartMarkers> markers;
    double high = 8;
    double low = 2;
    QString highLabel;  // "MAX +8"
    QString lowLabel;   // "MIN +2"

    int charted = 0;        // records with a line and a real date
    int badDates = 0;       // records with a line whose date or time cannot be one; left out
    int backwardSteps = 0;  // how often a record's time is earlier than the one before it
    int alarms = 0;         // charted high and low alarms
    qint64 first = 0;       // the period of the charted records (when charted > 0)
    qint64 last = 0;
    qint64 firstClock = 0;  // the same on the recorder's clock, in seconds
    qint64 lastClock = 0;
};

// The chart of `records` (register order) against the thresholds.
ChartSeries BuildChartSeries(const QVector<EventRecord>& records, const ChartThresholds& thresholds);

// The colour of the temperature curve: none of the list's colours, so the curve never looks like an event.
inline const QColor kCurveColour{0, 150, 136};

struct ChartSummary {
    bool hasPeriod = false;
    qint64 first = 0;
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

ChartSummary SummariseChart(const ChartSeries& series);

// "12 h 05 min 07 s", "3 min 00 s", "0 s".
QString DurationText(qint64 seconds);
// "+23,2": a temperature with sign and decimal comma, to a tenth.
QString CelsiusText(double celsius);
// The line under the chart.
QString ChartSummaryText(const ChartSummary& summary);
