#pragma once
// The figures of a period of the register archive: the lowest, highest, mean and mean kinetic
// temperature, the time above MAX, below MIN and without data, the excursions and the events. Pure: the
// archive's window, its report and mx4ctl all ask here, so "how long was it too warm" is decided in one
// place, on top of the time rule of the chart (SampleTimeline).
//
// Times are the recorder's clock in seconds, read without time-zone rules (TimedEvent::clock); a day is
// 00:00:00 to the next midnight of that clock.

#include "events/SampleTimeline.h"

#include <QDate>
#include <QVector>
#include <QtGlobal>

// The thresholds in whole degrees (a threshold code of the recorder less 128).
struct FigureLimits {
    int max = 8;
    int min = 2;
};

// The days asked for, first to last, both whole; with either date empty the period runs from the day of
// the earliest record to the day of the latest.
struct FigurePeriod {
    QDate first;
    QDate last;
};

// A maximal run of samples above MAX (high) or below MIN (low) that no gap breaks.
struct Excursion {
    bool high = true;
    qint64 start = 0;  // the run's first sample
    // The next sample when it is back within the limits, otherwise where the last sample's time ends (a
    // gap, a start-up, the period's end, the archive's last sample).
    qint64 end = 0;
    qint64 seconds() const { return end - start; }
    double extreme = 0;        // the highest (high) or lowest (low) sample of the run, degrees
    int samples = 0;
    bool alarmRaised = false;  // a high alarm record (code 11) for a high run, a low one (13) for a low run,
                               // from its start to its end
};

// An event of the period that the report lists.
struct PeriodEvent {
    qint64 clock = 0;
    int code = 0;
};

struct PeriodFigures {
    QDate firstDay, lastDay;  // invalid when there are no records
    qint64 from = 0;          // firstDay 00:00:00
    qint64 to = 0;            // the midnight after lastDay
    qint64 gapLimit = 0;      // of the whole list

    int samples = 0;  // samples whose time lies in the period
    // Of the period's samples; the mean and the mean kinetic temperature weighted by how long each stands
    // (plain when none stands for any time). Degrees; meaningless when samples is 0.
    double minimum = 0;
    double maximum = 0;
    double mean = 0;
    double meanKinetic = 0;

    qint64 secondsAboveMax = 0;
    qint64 secondsBelowMin = 0;
    qint64 secondsWithoutData = 0;  // the period's time no sample covers

    QVector<Excursion> excursions;  // in the order of the list

    // Alarms high and low, mains lost and back, battery low and charged, start-ups (codes 11, 13, 7, 8, 9,
    // 10, 5), in the order of the list.
    QVector<PeriodEvent> events;
    int alarmsHigh = 0;
    int alarmsLow = 0;
    int mainsLost = 0;
    int mainsBack = 0;
    int batteryLow = 0;
    int batteryCharged = 0;
    int startUps = 0;
};

// The figures of `period` over `events` in the archive's order (time order, ties as they arrived).
PeriodFigures ComputePeriodFigures(const QVector<TimedEvent>& events, const FigureLimits& limits,
                                   const FigurePeriod& period = {});
// The same with the list's timeline already built (BuildSampleTimeline over the same list), for a window that
// asks for one period after another.
PeriodFigures ComputePeriodFigures(const QVector<TimedEvent>& events, const SampleTimeline& timeline,
                                   const FigureLimits& limits, const FigurePeriod& period = {});

// Mean kinetic temperature in degrees of `celsius` weighted by `weights` (all of them 1 when their sum is
// 0): (ΔH/R) / (−ln(Σ wᵢ·e^(−ΔH/(R·Tᵢ)) / Σ wᵢ)) with ΔH/R = 10,000 K and Tᵢ in kelvin.
double MeanKineticTemperature(const QVector<double>& celsius, const QVector<qint64>& weights);

// The clock at 00:00:00 of `day`.
qint64 ClockOfDay(const QDate& day);
