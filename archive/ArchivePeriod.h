#pragma once
// A period of the register archive as the archive's window, its report and mx4ctl show it: the archive's
// records read once (the time rule built over all of them), then for each period asked for the figures,
// the SHA-256 of the period's records in canonical form, the log entries that brought them, and the lines
// of the summary. Pure: records in, figures and texts out.

#include "archive/ArchiveRecord.h"
#include "archive/PeriodFigures.h"

#include <QDate>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <utility>

// The archive's records (archive order: time order, ties as they arrived) as the figures see them.
class ArchiveContents {
public:
    ArchiveContents() = default;
    explicit ArchiveContents(QVector<ArchiveRecord> records);

    const QVector<ArchiveRecord>& records() const { return records_; }
    // The records with a real date and time, in the same order, and the time rule over them.
    const QVector<TimedEvent>& timed() const { return timed_; }
    const SampleTimeline& timeline() const { return timeline_; }
    // The days of the earliest and the latest record with a real date; invalid when there is none.
    QDate firstDay() const { return firstDay_; }
    QDate lastDay() const { return lastDay_; }
    // The records whose time (their fields, as the archive sorts them) lies in the days `first` to `last`:
    // [begin, end) in records().
    std::pair<int, int> recordsWithin(const QDate& first, const QDate& last) const;

private:
    QVector<ArchiveRecord> records_;
    QVector<TimedEvent> timed_;
    SampleTimeline timeline_;
    QDate firstDay_, lastDay_;
};

// The quick periods, each ending on the day of the newest record.
enum class QuickPeriod {
    Week,   // "7 dni"
    Month,  // "30 dni"
    Year,   // "Rok": a year back, the day after the same date a year before
    Whole,  // "Całość": from the day of the first record
};
FigurePeriod QuickPeriodDays(QuickPeriod quick, const ArchiveContents& contents);

// The days asked for with the missing ends filled in: the first record's day, the last record's day.
FigurePeriod ResolvePeriod(const FigurePeriod& asked, const ArchiveContents& contents);

struct ArchivePeriod {
    FigureLimits limits;
    PeriodFigures figures;  // firstDay and lastDay are the period's days
    int firstRecord = 0;    // the period's records: [firstRecord, endRecord) in ArchiveContents::records()
    int endRecord = 0;
    int records() const { return endRecord - firstRecord; }
    QString sha256;         // of CanonicalBytes of the period's records, lower-case hexadecimal
    QVector<int> entries;   // the log entries that added the period's records, ascending
};

// The period `days` (missing ends filled in by ResolvePeriod) against `limits`.
ArchivePeriod ComputeArchivePeriod(const ArchiveContents& contents, const FigureLimits& limits, const FigurePeriod& days);

// One line of the summary: "Min.: +2,1 °C".
struct FigureLine {
    QString label;
    QString value;
    QString text() const { return label + QStringLiteral(": ") + value; }
};
// The figures of the period as the window's summary, the report and mx4ctl write them: the period, the
// limits, the samples, the lowest, highest, mean and mean kinetic temperature, the time above MAX, below
// MIN and without data, the excursions and the events counted.
QVector<FigureLine> PeriodFigureLines(const ArchivePeriod& period);
// "SHA-256 zdarzeń okresu: <64 hexadecimal digits>".
FigureLine PeriodChecksumLine(const ArchivePeriod& period);
// "2026-01-01 – 2026-12-31"; "–" for a period without days.
QString PeriodDaysText(const PeriodFigures& figures);
// "2026-12-09 10:15:00": a time of the recorder's clock in seconds.
QString ClockText(qint64 clock);
// "powyżej MAX" or "poniżej MIN".
QString ExcursionKindText(const Excursion& excursion);
// An excursion's row as the window and the report show it: start, end, duration, the extreme temperature
// with its kind, whether the recorder raised its alarm ("tak"/"nie").
QStringList ExcursionCells(const Excursion& excursion);

// The temperature curve of the period, for a chart: runs of (seconds of the recorder's clock, degrees),
// each sample standing until the next one within a run; a run ends where the time rule cuts a sample short
// (a gap, a start-up), the clock went back, or the period ends.
QVector<QVector<QPointF>> PeriodCurve(const ArchiveContents& contents, const ArchivePeriod& period);

// The records of the period with a real date and time as the time rule sees them (a slice of
// ArchiveContents::timed()), for the chart.
QVector<TimedEvent> PeriodTimedEvents(const ArchiveContents& contents, const ArchivePeriod& period);
