// The figures of an archive period on small hand-made sets, every answer worked out by hand: the time
// above and below the limits and without data, the excursions, the events, the mean kinetic temperature.

#include "archive/ArchivePeriod.h"
#include "archive/PeriodFigures.h"
#include "events/EventChartData.h"

#include <QCryptographicHash>

#include <QtTest>
#include <cmath>

namespace {

// Day 1 is 2026-12-01 on the recorder's clock.
qint64 clockOf(int day, const QString& time) {
    return ClockOfDay(QDate(2026, 11, 30).addDays(day)) + QTime::fromString(time, QStringLiteral("hh:mm")).msecsSinceStartOfDay() / 1000;
}

// "1 00:30 11=1272; 1 01:20 5": day, time, code, =tenths for a record that carries a sample.
QVector<TimedEvent> events(const QString& text) {
    QVector<TimedEvent> out;
    for (const QString& item : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList f = item.simplified().split(QLatin1Char(' '));
        const QStringList codeTenths = f.value(2).split(QLatin1Char('='));
        TimedEvent e{clockOf(f.value(0).toInt(), f.value(1)), codeTenths.value(0).toInt(), std::nullopt};
        if (codeTenths.size() > 1) e.tenths = codeTenths.value(1).toInt();
        out.append(e);
    }
    return out;
}

QString when(qint64 clock) {
    const qint64 day = (clock - ClockOfDay(QDate(2026, 11, 30))) / 86400;
    return QStringLiteral("%1 %2").arg(day).arg(QDateTime::fromSecsSinceEpoch(clock, Qt::UTC).toString("hh:mm"));
}

QString figuresText(const PeriodFigures& f) {
    return QStringLiteral("samples %1 · min %2 · max %3 · mean %4 · above %5 · below %6 · without %7 · gap %8")
        .arg(f.samples)
        .arg(CelsiusText(f.minimum), CelsiusText(f.maximum), CelsiusText(f.mean))
        .arg(f.secondsAboveMax)
        .arg(f.secondsBelowMin)
        .arg(f.secondsWithoutData)
        .arg(f.gapLimit);
}

QString excursionsText(const PeriodFigures& f) {
    QStringList out;
    for (const Excursion& x : f.excursions)
        out << QStringLiteral("%1 %2 – %3 · %4 s · %5 · %6 samples · %7")
                   .arg(x.high ? "high" : "low", when(x.start), when(x.end))
                   .arg(x.seconds())
                   .arg(CelsiusText(x.extreme))
                   .arg(x.samples)
                   .arg(x.alarmRaised ? "alarm" : "no alarm");
    return out.join(QStringLiteral(" | "));
}

QString eventsText(const PeriodFigures& f) {
    QStringList listed;
    for (const PeriodEvent& e : f.events) listed << QStringLiteral("%1@%2").arg(e.code).arg(when(e.clock));
    return QStringLiteral("%1 · high %2 low %3 · mains %4/%5 · battery %6/%7 · start-ups %8")
        .arg(listed.join(QStringLiteral(", ")))
        .arg(f.alarmsHigh)
        .arg(f.alarmsLow)
        .arg(f.mainsLost)
        .arg(f.mainsBack)
        .arg(f.batteryLow)
        .arg(f.batteryCharged)
        .arg(f.startUps);
}

// The archive's records: "2026-12-02 24:00:00 7 #3", "2026-12-01 23:00:00 4=50 #2" (fields as the recorder
// gave them, code, =tenths, #the log entry that added it), in archive order.
ArchiveContents contentsOf(const QStringList& lines) {
    QVector<ArchiveRecord> out;
    for (const QString& line : lines) {
        const QStringList f = line.split(QLatin1Char(' '));
        const QStringList date = f.at(0).split(QLatin1Char('-')), time = f.at(1).split(QLatin1Char(':'));
        ArchiveRecord r;
        r.time = TimeKeyOf({date.at(0).toInt(), date.at(1).toInt(), date.at(2).toInt(), time.at(0).toInt(),
                            time.at(1).toInt(), time.at(2).toInt()});
        const QStringList codeTenths = f.at(2).split(QLatin1Char('='));
        r.code = codeTenths.at(0).toInt();
        if (codeTenths.size() > 1) r.tenths = codeTenths.at(1).toInt();
        r.entry = f.value(3).mid(1).toInt();
        out.append(r);
    }
    return ArchiveContents(out);
}

QString linesText(const QVector<FigureLine>& lines) {
    QStringList out;
    for (const FigureLine& l : lines) out << l.text();
    return out.join(QLatin1Char('\n'));
}

double formula(const QVector<double>& celsius, const QVector<double>& weights) {
    double sum = 0, total = 0;
    for (int i = 0; i < celsius.size(); ++i) {
        sum += weights.at(i) * std::exp(-10000.0 / (celsius.at(i) + 273.15));
        total += weights.at(i);
    }
    return 10000.0 / -std::log(sum / total) - 273.15;
}

}  // namespace

class PeriodFiguresTest : public QObject {
    Q_OBJECT
private slots:
    // MAX +8, MIN +2 throughout; the period "a-b" is days a to b, empty the whole list.
    void figures_data() {
        QTest::addColumn<QString>("records");
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("figures");
        QTest::addColumn<QString>("excursions");
        QTest::addColumn<QString>("listed");

        // Every 6 h: limit 12 h. Each sample stands 6 h; 18:00 up to the next midnight, the period's end.
        // Mean (5 + 5 + 9 + 9) / 4.
        QTest::newRow("a steady day")
            << "1 00:00 4=50; 1 06:00 4=50; 1 12:00 4=90; 1 18:00 4=90; 2 00:00 4=50" << "1-1"
            << "samples 4 · min +5,0 · max +9,0 · mean +7,0 · above 43200 · below 0 · without 0 · gap 43200"
            << "high 1 12:00 – 2 00:00 · 43200 s · +9,0 · 2 samples · no alarm" << " · high 0 low 0 · mains 0/0 · battery 0/0 · start-ups 0";
        // Spacings 1, 1, 8, 1 h: limit 2 h. 02:00 stands 2 h of the 8; the last sample nothing. Covered
        // 1 + 1 + 2 + 1 h of the day; mean (5 + 5 + 2 * 9 + 5) / 5 h = 6.6.
        QTest::newRow("a gap") << "1 00:00 4=50; 1 01:00 4=50; 1 02:00 4=90; 1 10:00 4=50; 1 11:00 4=50" << ""
                               << "samples 5 · min +5,0 · max +9,0 · mean +6,6 · above 7200 · below 0 · without 68400 · gap 7200"
                               << "high 1 02:00 – 1 04:00 · 7200 s · +9,0 · 1 samples · no alarm"
                               << " · high 0 low 0 · mains 0/0 · battery 0/0 · start-ups 0";
        // Limit 2 h. 01:00 stands until the start-up at 01:20: the run breaks there. The alarm without a
        // sensor (127,2) is no sample but is the first run's alarm.
        QTest::newRow("a start-up")
            << "1 00:00 4=90; 1 00:30 11=1272; 1 01:00 4=90; 1 01:20 5; 1 01:20 6; 1 02:00 4=90; 1 03:00 4=90" << "1-1"
            << "samples 4 · min +9,0 · max +9,0 · mean +9,0 · above 8400 · below 0 · without 78000 · gap 7200"
            << "high 1 00:00 – 1 01:20 · 4800 s · +9,0 · 2 samples · alarm | "
               "high 1 02:00 – 1 03:00 · 3600 s · +9,0 · 2 samples · no alarm"
            << "11@1 00:30, 5@1 01:20 · high 1 low 0 · mains 0/0 · battery 0/0 · start-ups 1";
        // Spacings 1, 1.5, 1 h: limit 2 h. 23:00 stands 1.5 h, cut at midnight to 1 h.
        QTest::newRow("a run cut by the period's end")
            << "1 22:00 4=50; 1 23:00 4=90; 2 00:30 4=50; 2 01:30 4=50" << "1-1"
            << "samples 2 · min +5,0 · max +9,0 · mean +7,0 · above 3600 · below 0 · without 79200 · gap 7200"
            << "high 1 23:00 – 2 00:00 · 3600 s · +9,0 · 1 samples · no alarm"
            << " · high 0 low 0 · mains 0/0 · battery 0/0 · start-ups 0";
        // The same over the whole list, days 1 and 2: 23:00 stands its 1.5 h, until the sample back within
        // the limits. Mean (5 * 1 + 9 * 1.5 + 5 * 1) / 3.5 h = 6.71.
        QTest::newRow("the same, whole")
            << "1 22:00 4=50; 1 23:00 4=90; 2 00:30 4=50; 2 01:30 4=50" << ""
            << "samples 4 · min +5,0 · max +9,0 · mean +6,7 · above 5400 · below 0 · without 160200 · gap 7200"
            << "high 1 23:00 – 2 00:30 · 5400 s · +9,0 · 1 samples · no alarm"
            << " · high 0 low 0 · mains 0/0 · battery 0/0 · start-ups 0";
        // Hourly: limit 2 h. The alarms carry samples: low 01:00 (300 s), 01:05 (3300 s) straight into high
        // 02:00, 03:00 (600 s), 03:10 (3000 s), back at 04:00. Weighted sum 118650 over 18000 s.
        QTest::newRow("low then high, alarms")
            << "1 00:00 4=50; 1 01:00 4=10; 1 01:05 13=5; 1 02:00 4=100; 1 03:00 4=120; 1 03:10 11=125; "
               "1 04:00 4=50; 1 05:00 4=50"
            << ""
            << "samples 8 · min +0,5 · max +12,5 · mean +6,6 · above 7200 · below 3600 · without 68400 · gap 7200"
            << "low 1 01:00 – 1 02:00 · 3600 s · +0,5 · 2 samples · alarm | "
               "high 1 02:00 – 1 04:00 · 7200 s · +12,5 · 3 samples · alarm"
            << "13@1 01:05, 11@1 03:10 · high 1 low 1 · mains 0/0 · battery 0/0 · start-ups 0";
        // Only day 1's events; the one sample stands for nothing, so the mean is plain.
        QTest::newRow("events of the period")
            << "1 08:00 7; 1 09:00 8; 1 10:00 9; 1 11:00 10; 1 11:30 6; 1 12:00 4=50; 2 08:00 5; 2 08:00 7" << "1-1"
            << "samples 1 · min +5,0 · max +5,0 · mean +5,0 · above 0 · below 0 · without 86400 · gap 3600" << ""
            << "7@1 08:00, 8@1 09:00, 9@1 10:00, 10@1 11:00 · high 0 low 0 · mains 1/1 · battery 1/1 · start-ups 0";
    }
    void figures() {
        QFETCH(QString, records);
        QFETCH(QString, period);
        QFETCH(QString, figures);
        QFETCH(QString, excursions);
        QFETCH(QString, listed);
        FigurePeriod p;
        if (!period.isEmpty()) {
            const QStringList days = period.split(QLatin1Char('-'));
            p = {QDate(2026, 11, 30).addDays(days.at(0).toInt()), QDate(2026, 11, 30).addDays(days.at(1).toInt())};
        }
        const QVector<TimedEvent> list = events(records);
        const PeriodFigures f = ComputePeriodFigures(list, FigureLimits{8, 2}, p);
        QCOMPARE(figuresText(f), figures);
        QCOMPARE(excursionsText(f), excursions);
        QCOMPARE(eventsText(f), listed);
        // The period's time is what the samples cover and what they do not.
        qint64 covered = 0;
        for (const SampleSpan& s : SpansWithin(list, BuildSampleTimeline(list), f.from, f.to)) covered += s.seconds;
        QCOMPARE(covered + f.secondsWithoutData, f.to - f.from);
    }

    // Without a period: the first record's day to the last record's day, whole.
    void periodOfTheWholeList() {
        const PeriodFigures f = ComputePeriodFigures(events("2 10:00 5; 2 10:05 4=50; 4 23:59 8"), FigureLimits{});
        QCOMPARE(f.firstDay, QDate(2026, 12, 2));
        QCOMPARE(f.lastDay, QDate(2026, 12, 4));
        QCOMPARE(f.from, clockOf(2, "00:00"));
        QCOMPARE(f.to, clockOf(5, "00:00"));
        QCOMPARE(f.secondsWithoutData, 3 * 86400);
        const PeriodFigures none = ComputePeriodFigures({}, FigureLimits{});
        QVERIFY(!none.firstDay.isValid());
        QCOMPARE(none.samples, 0);
    }

    // The quick periods end on the day of the newest record with a real date; "Całość" starts on the first.
    void quickPeriods_data() {
        QTest::addColumn<int>("quick");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::newRow("7 dni") << int(QuickPeriod::Week) << QDate(2027, 2, 23) << QDate(2027, 3, 1);
        QTest::newRow("30 dni") << int(QuickPeriod::Month) << QDate(2027, 1, 31) << QDate(2027, 3, 1);
        QTest::newRow("Rok") << int(QuickPeriod::Year) << QDate(2026, 3, 2) << QDate(2027, 3, 1);
        QTest::newRow("Całość") << int(QuickPeriod::Whole) << QDate(2026, 12, 1) << QDate(2027, 3, 1);
    }
    void quickPeriods() {
        QFETCH(int, quick);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        const ArchiveContents c = contentsOf({"2026-12-01 10:00:00 4=50", "2027-03-01 08:00:00 4=50",
                                              "2027-03-40 08:00:00 4=50"});
        const FigurePeriod p = QuickPeriodDays(QuickPeriod(quick), c);
        QCOMPARE(p.first, first);
        QCOMPARE(p.last, last);
    }

    // A period's records are those whose fields lie in its days, one without a real date among them
    // (hour 24 sorts after 23:59:59): their sum over the canonical lines, the entries that brought them.
    // A missing end of the period is the last record's day.
    void periodRecordsAndTheirSum() {
        const ArchiveContents c = contentsOf({"2026-12-01 23:00:00 4=50 #2", "2026-12-02 00:00:00 4=90 #2",
                                              "2026-12-02 24:00:00 7 #3", "2026-12-03 01:00:00 4=-15 #4"});
        const ArchivePeriod day = ComputeArchivePeriod(c, FigureLimits{}, {QDate(2026, 12, 2), QDate(2026, 12, 2)});
        QCOMPARE(day.records(), 2);
        QCOMPARE(day.sha256, QString::fromLatin1(QCryptographicHash::hash("2026-12-02 00:00:00;4;90\n"
                                                                          "2026-12-02 24:00:00;7;\n",
                                                                          QCryptographicHash::Sha256).toHex()));
        QCOMPARE(day.entries, (QVector<int>{2, 3}));
        QCOMPARE(day.figures.samples, 1);

        const ArchivePeriod open = ComputeArchivePeriod(c, FigureLimits{}, {QDate(2026, 12, 2), QDate()});
        QCOMPARE(open.figures.lastDay, QDate(2026, 12, 3));
        QCOMPARE(open.records(), 3);
        QCOMPARE(open.sha256, QString::fromLatin1(QCryptographicHash::hash("2026-12-02 00:00:00;4;90\n"
                                                                           "2026-12-02 24:00:00;7;\n"
                                                                           "2026-12-03 01:00:00;4;-15\n",
                                                                           QCryptographicHash::Sha256).toHex()));
        // Days with no record: nothing to sum, all of it without data.
        const ArchivePeriod empty = ComputeArchivePeriod(c, FigureLimits{}, {QDate(2027, 1, 1), QDate(2027, 1, 2)});
        QCOMPARE(empty.records(), 0);
        QCOMPARE(empty.sha256, QString::fromLatin1(QCryptographicHash::hash("", QCryptographicHash::Sha256).toHex()));
        QCOMPARE(empty.figures.secondsWithoutData, 2 * 86400);
    }

    // The one text of the figures: the window's summary, the report and mx4ctl print these lines.
    void summaryLines() {
        // Every 6 h: each sample stands 6 h; mean (5 + 5 + 9 + 9) / 4.
        const ArchiveContents c = contentsOf({"2026-12-01 00:00:00 4=50", "2026-12-01 06:00:00 4=50",
                                              "2026-12-01 08:00:00 7", "2026-12-01 12:00:00 4=90",
                                              "2026-12-01 18:00:00 4=90", "2026-12-02 00:00:00 4=50"});
        const ArchivePeriod p = ComputeArchivePeriod(c, FigureLimits{8, -1}, {QDate(2026, 12, 1), QDate(2026, 12, 1)});
        const QString mkt = CelsiusText(formula({5, 5, 9, 9}, {1, 1, 1, 1}));
        QCOMPARE(linesText(PeriodFigureLines(p)), QStringLiteral("Okres: 2026-12-01 – 2026-12-01\n"
                                                                 "MAX: +8 °C\n"
                                                                 "MIN: -1 °C\n"
                                                                 "Pomiary: 4\n"
                                                                 "Min.: +5,0 °C\n"
                                                                 "Maks.: +9,0 °C\n"
                                                                 "Średnia: +7,0 °C\n"
                                                                 "Średnia kinetyczna (MKT): %1 °C\n"
                                                                 "Powyżej MAX: 12 h 00 min 00 s\n"
                                                                 "Poniżej MIN: 0 s\n"
                                                                 "Bez danych: 0 s\n"
                                                                 "Przekroczenia powyżej MAX: 1\n"
                                                                 "Przekroczenia poniżej MIN: 0\n"
                                                                 "Alarmy wysokiej temperatury: 0\n"
                                                                 "Alarmy niskiej temperatury: 0\n"
                                                                 "Brak 230V / powrót 230V: 1 / 0\n"
                                                                 "Bateria rozładowana / naładowana: 0 / 0\n"
                                                                 "Start urządzenia: 0")
                                                      .arg(mkt));
        QCOMPARE(PeriodChecksumLine(p).text(), QStringLiteral("SHA-256 zdarzeń okresu: ") + p.sha256);
        const QVector<FigureLine> none = PeriodFigureLines(ComputeArchivePeriod(ArchiveContents(), FigureLimits{}, {}));
        QCOMPARE(none.at(0).text(), QStringLiteral("Okres: –"));
        QCOMPARE(none.at(4).text(), QStringLiteral("Min.: –"));
        QCOMPARE(none.at(7).text(), QStringLiteral("Średnia kinetyczna (MKT): –"));
    }

    // The chart's curve of a period breaks where the time rule cuts a sample short, and ends with the period.
    void periodCurve() {
        const ArchiveContents c = contentsOf({"2026-12-01 00:00:00 4=50", "2026-12-01 01:00:00 4=60",
                                              "2026-12-01 02:00:00 4=90", "2026-12-01 10:00:00 4=50",
                                              "2026-12-01 11:00:00 4=50", "2026-12-02 00:30:00 4=50"});
        const auto at = [](const QString& time) { return double(clockOf(1, time)); };
        const ArchivePeriod p = ComputeArchivePeriod(c, FigureLimits{}, {QDate(2026, 12, 1), QDate(2026, 12, 1)});
        QCOMPARE(PeriodCurve(c, p), (QVector<QVector<QPointF>>{{{at("00:00"), 5.0}, {at("01:00"), 6.0}, {at("02:00"), 9.0}},
                                                              {{at("10:00"), 5.0}, {at("11:00"), 5.0}}}));
    }

    void meanKineticTemperature() {
        // A constant temperature is its own mean kinetic temperature, whatever the durations.
        const PeriodFigures constant =
            ComputePeriodFigures(events("1 00:00 4=40; 1 00:15 4=40; 1 01:00 4=40; 1 01:10 4=40"), FigureLimits{});
        QVERIFY(qAbs(constant.meanKinetic - 4.0) < 1e-9);
        QVERIFY(qAbs(constant.mean - 4.0) < 1e-12);
        // 0 °C for 1 h, +20 °C for 3 h (spacings 1 and 3 h, limit 4 h), the last sample for nothing:
        // 17.777 °C by the formula, above the mean of 15.
        const PeriodFigures two = ComputePeriodFigures(events("1 00:00 4=0; 1 01:00 4=200; 1 04:00 4=100"), FigureLimits{});
        QCOMPARE(two.mean, 15.0);
        QVERIFY2(qAbs(two.meanKinetic - formula({0, 20}, {1, 3})) < 1e-9, qPrintable(QString::number(two.meanKinetic)));
        QVERIFY(qAbs(two.meanKinetic - 17.7772) < 1e-4);
        QCOMPARE(CelsiusText(two.meanKinetic), QStringLiteral("+17,8"));
        // No sample stands for any time (two in one second): plain averages.
        const PeriodFigures plain = ComputePeriodFigures(events("1 00:00 4=40; 1 00:00 4=60"), FigureLimits{});
        QCOMPARE(plain.mean, 5.0);
        QVERIFY(qAbs(plain.meanKinetic - formula({4, 6}, {1, 1})) < 1e-9);
        QVERIFY(qAbs(plain.meanKinetic - 5.0609) < 1e-4);
    }
};

QTEST_MAIN(PeriodFiguresTest)
#include "tst_period_figures.moc"
