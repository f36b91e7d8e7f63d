#include "archive/ArchivePeriod.h"

#include "events/EventChartData.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <algorithm>
#include <set>

namespace {
QDate dayOf(qint64 clock) { return QDateTime::fromSecsSinceEpoch(clock, Qt::UTC).date(); }

QString degrees(double celsius) { return CelsiusText(celsius) + QStringLiteral(" °C"); }
QString limitText(int degrees) { return ThresholdText(quint8(degrees + 128)) + QStringLiteral(" °C"); }
}  // namespace

ArchiveContents::ArchiveContents(QVector<ArchiveRecord> records) : records_(std::move(records)) {
    timed_.reserve(records_.size());
    for (const ArchiveRecord& r : records_) {
        const std::optional<qint64> clock = r.clock();
        if (!clock) continue;
        timed_.append(TimedEvent{*clock, r.code, r.tenths});
    }
    timeline_ = BuildSampleTimeline(timed_);
    if (!timed_.isEmpty()) {
        // In time order the first and the last have the earliest and the latest real date.
        firstDay_ = dayOf(timed_.first().clock);
        lastDay_ = dayOf(timed_.last().clock);
    }
}

std::pair<int, int> ArchiveContents::recordsWithin(const QDate& first, const QDate& last) const {
    if (!first.isValid() || !last.isValid() || last < first) return {0, 0};
    const ArchiveTimeKey from = DayStartKey(first), to = DayEndKey(last);
    const auto begin = std::lower_bound(records_.begin(), records_.end(), from,
                                        [](const ArchiveRecord& r, ArchiveTimeKey key) { return r.time < key; });
    const auto end = std::upper_bound(begin, records_.end(), to,
                                      [](ArchiveTimeKey key, const ArchiveRecord& r) { return key < r.time; });
    return {int(begin - records_.begin()), int(end - records_.begin())};
}

FigurePeriod QuickPeriodDays(QuickPeriod quick, const ArchiveContents& contents) {
    const QDate last = contents.lastDay();
    if (!last.isValid()) return {};
    switch (quick) {
    case QuickPeriod::Week: return {last.addDays(-6), last};
    case QuickPeriod::Month: return {last.addDays(-29), last};
    case QuickPeriod::Year: return {last.addYears(-1).addDays(1), last};
    case QuickPeriod::Whole: break;
    }
    return {contents.firstDay(), last};
}

FigurePeriod ResolvePeriod(const FigurePeriod& asked, const ArchiveContents& contents) {
    return {asked.first.isValid() ? asked.first : contents.firstDay(),
            asked.last.isValid() ? asked.last : contents.lastDay()};
}

ArchivePeriod ComputeArchivePeriod(const ArchiveContents& contents, const FigureLimits& limits,
                                   const FigurePeriod& days) {
    ArchivePeriod p;
    p.limits = limits;
    const FigurePeriod resolved = ResolvePeriod(days, contents);
    if (resolved.first.isValid() && resolved.last.isValid())
        p.figures = ComputePeriodFigures(contents.timed(), contents.timeline(), limits, resolved);
    if (!p.figures.firstDay.isValid() && resolved.first.isValid() && resolved.last.isValid()) {
        // Days asked of an archive without a record of a real date: all of them without data.
        p.figures.firstDay = resolved.first;
        p.figures.lastDay = resolved.last;
        p.figures.from = ClockOfDay(resolved.first);
        p.figures.to = qMax(p.figures.from, ClockOfDay(resolved.last.addDays(1)));
        p.figures.secondsWithoutData = p.figures.to - p.figures.from;
    }
    std::tie(p.firstRecord, p.endRecord) = contents.recordsWithin(resolved.first, resolved.last);
    const auto begin = contents.records().constBegin();
    p.sha256 = QString::fromLatin1(
        QCryptographicHash::hash(CanonicalBytes(begin + p.firstRecord, begin + p.endRecord), QCryptographicHash::Sha256)
            .toHex());
    std::set<int> entries;
    for (auto r = begin + p.firstRecord; r != begin + p.endRecord; ++r) entries.insert(r->entry);
    p.entries = QVector<int>(entries.begin(), entries.end());
    return p;
}

QString PeriodDaysText(const PeriodFigures& f) {
    if (!f.firstDay.isValid() || !f.lastDay.isValid()) return QStringLiteral("–");
    return f.firstDay.toString(Qt::ISODate) + QStringLiteral(" – ") + f.lastDay.toString(Qt::ISODate);
}

QString ClockText(qint64 clock) {
    return QDateTime::fromSecsSinceEpoch(clock, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString ExcursionKindText(const Excursion& x) {
    return x.high ? QStringLiteral("powyżej MAX") : QStringLiteral("poniżej MIN");
}

QStringList ExcursionCells(const Excursion& x) {
    return {ClockText(x.start), ClockText(x.end), DurationText(x.seconds()),
            degrees(x.extreme) + QStringLiteral(" (") + ExcursionKindText(x) + QLatin1Char(')'),
            x.alarmRaised ? QStringLiteral("tak") : QStringLiteral("nie")};
}

QVector<FigureLine> PeriodFigureLines(const ArchivePeriod& p) {
    const PeriodFigures& f = p.figures;
    QVector<FigureLine> lines;
    lines << FigureLine{QStringLiteral("Okres"), PeriodDaysText(f)}
          << FigureLine{QStringLiteral("MAX"), limitText(p.limits.max)}
          << FigureLine{QStringLiteral("MIN"), limitText(p.limits.min)}
          << FigureLine{QStringLiteral("Pomiary"), QString::number(f.samples)};
    const bool measured = f.samples > 0;
    const QString none = QStringLiteral("–");
    lines << FigureLine{QStringLiteral("Min."), measured ? degrees(f.minimum) : none}
          << FigureLine{QStringLiteral("Maks."), measured ? degrees(f.maximum) : none}
          << FigureLine{QStringLiteral("Średnia"), measured ? degrees(f.mean) : none}
          << FigureLine{QStringLiteral("Średnia kinetyczna (MKT)"), measured ? degrees(f.meanKinetic) : none}
          << FigureLine{QStringLiteral("Powyżej MAX"), DurationText(f.secondsAboveMax)}
          << FigureLine{QStringLiteral("Poniżej MIN"), DurationText(f.secondsBelowMin)}
          << FigureLine{QStringLiteral("Bez danych"), DurationText(f.secondsWithoutData)};
    int high = 0;
    for (const Excursion& x : f.excursions) high += x.high ? 1 : 0;
    lines << FigureLine{QStringLiteral("Przekroczenia powyżej MAX"), QString::number(high)}
          << FigureLine{QStringLiteral("Przekroczenia poniżej MIN"), QString::number(f.excursions.size() - high)}
          << FigureLine{QStringLiteral("Alarmy wysokiej temperatury"), QString::number(f.alarmsHigh)}
          << FigureLine{QStringLiteral("Alarmy niskiej temperatury"), QString::number(f.alarmsLow)}
          << FigureLine{QStringLiteral("Brak 230V / powrót 230V"), QStringLiteral("%1 / %2").arg(f.mainsLost).arg(f.mainsBack)}
          << FigureLine{QStringLiteral("Bateria rozładowana / naładowana"),
                        QStringLiteral("%1 / %2").arg(f.batteryLow).arg(f.batteryCharged)}
          << FigureLine{QStringLiteral("Start urządzenia"), QString::number(f.startUps)};
    return lines;
}

FigureLine PeriodChecksumLine(const ArchivePeriod& p) {
    return {QStringLiteral("SHA-256 zdarzeń okresu"), p.sha256};
}

QVector<QVector<QPointF>> PeriodCurve(const ArchiveContents& contents, const ArchivePeriod& p) {
    QVector<QVector<QPointF>> runs;
    const PeriodFigures& f = p.figures;
    if (!f.firstDay.isValid()) return runs;
    const QVector<SampleSpan> spans = SpansWithin(contents.timed(), contents.timeline(), f.from, f.to);
    bool goesOn = false;
    for (const SampleSpan& span : spans) {
        const TimedEvent& e = contents.timed().at(span.index);
        if (!goesOn) runs.append(QVector<QPointF>());
        runs.last().append(QPointF(double(e.clock), SampleCelsius(e)));
        goesOn = span.end == SampleEnd::Next;
    }
    return runs;
}

QVector<TimedEvent> PeriodTimedEvents(const ArchiveContents& contents, const ArchivePeriod& p) {
    const QVector<TimedEvent>& timed = contents.timed();
    const PeriodFigures& f = p.figures;
    if (!f.firstDay.isValid()) return {};
    // In time order: the period is one stretch of them.
    const auto begin = std::lower_bound(timed.begin(), timed.end(), f.from,
                                        [](const TimedEvent& e, qint64 clock) { return e.clock < clock; });
    const auto end = std::lower_bound(begin, timed.end(), f.to,
                                      [](const TimedEvent& e, qint64 clock) { return e.clock < clock; });
    return timed.mid(int(begin - timed.begin()), int(end - begin));
}
