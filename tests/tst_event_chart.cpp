// The register as a temperature chart: the series built from the records, the summary figures, the
// window's button through a download, STOP and CLR, the rows for a spreadsheet and the page as a PDF.

#include "config/ConfigArea.h"
#include "events/EventChart.h"
#include "events/EventChartData.h"
#include "link/StatusDecode.h"
#include "support/RecordBytes.h"
#include "support/ScriptedPeople.h"
#include "tst_events_rig.h"

#include <QChart>
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QProcess>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

using namespace ev;

namespace {

// The raw sample the recorder stores for a temperature in tenths of a degree.
quint16 rawFor(int tenths) {
    for (int raw = 0; raw < 65536; ++raw)
        if (TemperatureTenths(raw) == tenths) return quint16(raw);
    qFatal("no sample gives %d tenths", tenths);
}

QByteArray rec(int month, int day, int hour, int minute, int second, int code, int tenths = 0) {
    return EventRecordBytes(2024, month, day, hour, minute, second, code, rawFor(tenths));
}
QByteArray noSensor(int month, int day, int hour, int minute, int code) {
    // The list shows "127,2".
    return EventRecordBytes(2024, month, day, hour, minute, 0, code, rawFor(1272));
}

// A time of 2024-05-10 on the recorder's clock, as the chart has it (milliseconds, no time-zone rules).
double at(int hour, int minute, int second = 0) {
    return double(QDateTime(QDate(2024, 5, 10), QTime(hour, minute, second), Qt::UTC).toMSecsSinceEpoch());
}
qint64 clockAt(int hour, int minute) { return qint64(at(hour, minute)) / 1000; }

// A morning of a cold room: start-up, a sample run with an alarm each way, the clock set back once, a
// record whose date is no date, one without a line, one without a sensor, mains lost and back.
QVector<QByteArray> knownRegister() {
    return {
        rec(5, 10, 8, 0, 0, 5),
        rec(5, 10, 8, 0, 35, 6),
        rec(5, 10, 8, 10, 0, 4, 51),
        rec(5, 10, 8, 20, 0, 4, 90),
        rec(5, 10, 8, 25, 0, 11, 95),
        rec(5, 10, 8, 30, 0, 4, 78),
        rec(5, 10, 8, 15, 0, 4, 61),   // the clock was set back
        rec(13, 0, 8, 35, 0, 4, 71),   // no date
        rec(5, 10, 8, 40, 0, 7),
        rec(5, 10, 8, 45, 0, 0),       // no line
        rec(5, 10, 8, 50, 0, 13, 10),
        noSensor(5, 10, 8, 55, 4),
        rec(5, 10, 9, 0, 0, 8),
        rec(5, 10, 9, 5, 0, 12, 39),
    };
}

// Logs in to the simulated recorder holding the known register and downloads it to its end.
bool downloadKnownRegister(EventRig& rig) {
    rig.recorder.setRecords(knownRegister());
    rig.logIn();
    rig.startDownload();
    return rig.waitIdle();
}

// The rows a spreadsheet gets from it: register order, the set-back time where it came, the date that
// is no date as the list shows it, nothing for the record without a line.
const QByteArray kKnownCsv =
    "\xEF\xBB\xBF"
    "Data;Godzina;Temperatura;Zdarzenie\r\n"
    "2024-05-10;08:00:00;;Start urz\xC4\x85" "dzenia\r\n"
    "2024-05-10;08:00:35;;Zestawienie \xC5\x82\xC4\x85" "cza GSM\r\n"
    "2024-05-10;08:10:00;+5,1;Zapis cykliczny temperatury\r\n"
    "2024-05-10;08:20:00;+9,0;Zapis cykliczny temperatury\r\n"
    "2024-05-10;08:25:00;+9,5;Alarm!, Wysoka temperatura\r\n"
    "2024-05-10;08:30:00;+7,8;Zapis cykliczny temperatury\r\n"
    "2024-05-10;08:15:00;+6,1;Zapis cykliczny temperatury\r\n"
    "2024-13-00;08:35:00;+7,1;Zapis cykliczny temperatury\r\n"
    "2024-05-10;08:40:00;;Brak 230V\r\n"
    "2024-05-10;08:50:00;+1,0;Alarm!, Niska temperatura\r\n"
    "2024-05-10;08:55:00;127,2;Zapis cykliczny temperatury\r\n"
    "2024-05-10;09:00:00;;Powr\xC3\xB3t 230V\r\n"
    "2024-05-10;09:05:00;+3,9;Powr\xC3\xB3t do normy temperatury\r\n";

QVector<EventRecord> decoded(const QVector<QByteArray>& payloads) {
    QVector<EventRecord> out;
    for (const QByteArray& p : payloads) out.append(*DecodeEventData(p));
    return out;
}

// "4@600=90 5@700": code@clock, with =tenths for a record that carries a sample.
QVector<TimedEvent> timedEvents(const QString& text) {
    QVector<TimedEvent> out;
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList codeRest = item.split(QLatin1Char('@'));
        const QStringList clockTenths = codeRest.value(1).split(QLatin1Char('='));
        TimedEvent e{clockTenths.value(0).toLongLong(), codeRest.value(0).toInt(), std::nullopt};
        if (clockTenths.size() > 1) e.tenths = clockTenths.value(1).toInt();
        out.append(e);
    }
    return out;
}

// "600 next, 0 back": how long each span stands and what ended it.
QString spansText(const QVector<SampleSpan>& spans) {
    static const char* const kEnds[] = {"next", "gap", "start", "back", "last", "range"};
    QStringList out;
    for (const SampleSpan& s : spans) out << QStringLiteral("%1 %2").arg(s.seconds).arg(kEnds[int(s.end)]);
    return out.join(QStringLiteral(", "));
}

QVector<QPointF> allPoints(QChart* chart, const QString& name) {
    QVector<QPointF> out;
    for (QAbstractSeries* s : chart->series())
        if (s->name() == name)
            if (auto* xy = qobject_cast<QXYSeries*>(s)) out += QVector<QPointF>(xy->points().cbegin(), xy->points().cend());
    return out;
}

QLineSeries* lineNamed(QChart* chart, const QString& name) {
    for (QAbstractSeries* s : chart->series())
        if (s->name() == name) return qobject_cast<QLineSeries*>(s);
    return nullptr;
}

// Pixels within a small distance of `colour` in `area` of `image`.
int pixelsNear(const QImage& image, const QColor& colour, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) < 30 && qAbs(c.green() - colour.green()) < 30 &&
                qAbs(c.blue() - colour.blue()) < 30)
                ++n;
        }
    return n;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class EventChartTest : public QObject {
    Q_OBJECT
private slots:
    // ---------------------------------------------------------------- the numbers

    void seriesOfAKnownRegister() {
        const ChartSeries s = BuildChartSeries(decoded(knownRegister()), ChartThresholds{130, 136});
        // Every sample with a real date, in register order: the set-back 08:15 comes after 08:30.
        const QVector<QPointF> samples{{at(8, 10), 5.1}, {at(8, 20), 9.0}, {at(8, 25), 9.5}, {at(8, 30), 7.8},
                                       {at(8, 15), 6.1}, {at(8, 50), 1.0}, {at(9, 5), 3.9}};
        QCOMPARE(s.temperature, samples);
        // Periodic samples 08:10, 08:20, 08:30, 08:15: spacings 600 and 600 (the step back is left out), the
        // gap limit 1200 s. 08:30 stands for nothing (the clock went back), 08:15 for 1200 s of the 35 min
        // to 08:50: the curve breaks after each.
        QCOMPARE(s.timeline.gapLimit, qint64(1200));
        QCOMPARE(spansText(s.timeline.samples), QStringLiteral("600 next, 300 next, 300 next, 0 back, 1200 gap, "
                                                               "900 next, 0 last"));
        QCOMPARE(s.curve, (QVector<QVector<QPointF>>{{{at(8, 10), 5.1}, {at(8, 20), 9.0}, {at(8, 25), 9.5},
                                                      {at(8, 30), 7.8}},
                                                     {{at(8, 15), 6.1}},
                                                     {{at(8, 50), 1.0}, {at(9, 5), 3.9}}}));
        QCOMPARE(s.high, 8.0);
        QCOMPARE(s.low, 2.0);
        QCOMPARE(s.highLabel, QStringLiteral("MAX +8"));
        QCOMPARE(s.lowLabel, QStringLiteral("MIN +2"));

        // One entry per kind: a line at the time of a record without a sample, a mark on the curve for one
        // with a sample.
        QCOMPARE(s.markers.size(), 7);
        const int codes[] = {5, 6, 7, 8, 11, 12, 13};
        const double times[] = {at(8, 0), at(8, 0, 35), at(8, 40), at(9, 0)};
        const QPointF points[] = {{at(8, 25), 9.5}, {at(9, 5), 3.9}, {at(8, 50), 1.0}};
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(s.markers.at(i).code, codes[i]);
            QCOMPARE(s.markers.at(i).colour, ChartStyleOf(codes[i]).colour);
            QCOMPARE(s.markers.at(i).name, EventName(codes[i]));
            QCOMPARE(s.markers.at(i).times, i < 4 ? QVector<qint64>{qint64(times[i])} : QVector<qint64>());
            QCOMPARE(s.markers.at(i).points, i < 4 ? QVector<QPointF>() : QVector<QPointF>{points[i - 4]});
        }
        QCOMPARE(s.charted, 12);
        QCOMPARE(s.badDates, 1);
        QCOMPARE(s.backwardSteps, 1);
        QCOMPARE(s.alarms, 2);
        QCOMPARE(double(s.first), at(8, 0));
        QCOMPARE(double(s.last), at(9, 5));
    }

    void thresholdsInTheRecordersCoding() {
        const ChartSeries s = BuildChartSeries({}, ChartThresholds{127, 255});
        QCOMPARE(s.lowLabel, QStringLiteral("MIN -1"));
        QCOMPARE(s.highLabel, QStringLiteral("MAX +127"));
        QCOMPARE(s.low, -1.0);
        QCOMPARE(s.high, 127.0);
        QCOMPARE(ThresholdText(128), QStringLiteral("+0"));
        QCOMPARE(ThresholdText(0), QStringLiteral("-128"));
        QCOMPARE(s.charted, 0);
        QVERIFY(s.temperature.isEmpty() && s.markers.isEmpty());
    }

    // An alarm whose sensor gave nothing still shows where it happened.
    void alarmWithoutASampleIsAMark() {
        const ChartSeries s = BuildChartSeries(decoded({noSensor(5, 10, 8, 0, 11), rec(5, 10, 8, 5, 0, 4, 29)}),
                                               ChartThresholds{});
        QCOMPARE(s.temperature.size(), 1);
        QCOMPARE(s.markers.size(), 1);
        QCOMPARE(s.markers.at(0).code, 11);
        QCOMPARE(s.markers.at(0).times, QVector<qint64>{qint64(at(8, 0))});
        QVERIFY(s.markers.at(0).points.isEmpty());
        QCOMPARE(s.alarms, 1);
    }

    void summaryOfTheKnownRegister() {
        const ChartSummary sum = SummariseChart(BuildChartSeries(decoded(knownRegister()), ChartThresholds{130, 136}));
        QCOMPARE(sum.samples, 7);
        QCOMPARE(sum.minimum, 1.0);
        QCOMPARE(sum.maximum, 9.5);
        QVERIFY(qAbs(sum.mean - 42.4 / 7) < 1e-9);
        // 08:20 and 08:25 above 8 until the next sample; 08:30 at 7.8 is not; 08:50 below 2
        // until 09:05.
        QCOMPARE(sum.secondsAboveMax, qint64(600));
        QCOMPARE(sum.secondsBelowMin, qint64(900));
        // 08:00 to 09:05 is 65 min; the samples cover 08:10 to 08:35 (08:15 and its 1200 s overlap the first
        // timeline) and 08:50 to 09:05: 40 min.
        QCOMPARE(sum.secondsWithoutData, qint64(25 * 60));
        QCOMPARE(ChartSummaryText(sum),
                 QStringLiteral("Okres: 2024-05-10 08:00:00 – 2024-05-10 09:05:00 · Min. +1,0 °C · Maks. +9,5 °C · "
                                "Średnia +6,1 °C · Powyżej MAX 10 min 00 s · Poniżej MIN 15 min 00 s · "
                                "Bez danych 25 min 00 s · Alarmy: 2 · Pominięte (błędna data): 1"));
    }

    void timeAboveAndBelowToTheSecond() {
        const QDateTime t0(QDate(2024, 5, 10), QTime(23, 0, 0));
        const auto p = [&](qint64 secs, int code, int tenths) {
            const QDateTime t = t0.addSecs(secs);
            return EventRecordBytes(t.date().year(), t.date().month(), t.date().day(), t.time().hour(),
                                    t.time().minute(), t.time().second(), code, rawFor(tenths));
        };
        // Above from 0 to 3729 s (across two samples), normal, below across midnight for 7 s, normal. The
        // periodic samples at 0, 3729 and 90000 s are 3729 and 86271 s apart: the gap limit is twice their
        // mean, 90000 s, and no span is cut.
        const ChartSeries s = BuildChartSeries(decoded({p(0, 4, 90), p(7, 11, 81), p(3729, 4, 78), p(4000, 13, 17),
                                                        p(4007, 12, 20), p(90000, 4, -51)}),
                                               ChartThresholds{130, 136});
        QCOMPARE(s.timeline.gapLimit, qint64(90000));
        const ChartSummary sum = SummariseChart(s);
        QCOMPARE(sum.secondsAboveMax, qint64(3729));
        QCOMPARE(sum.secondsBelowMin, qint64(7));
        QCOMPARE(sum.secondsWithoutData, qint64(0));
        QCOMPARE(DurationText(sum.secondsAboveMax), QStringLiteral("1 h 02 min 09 s"));
        QCOMPARE(DurationText(sum.secondsBelowMin), QStringLiteral("7 s"));
        QCOMPARE(DurationText(180), QStringLiteral("3 min 00 s"));
        QCOMPARE(DurationText(100 * 3600 + 61), QStringLiteral("100 h 01 min 01 s"));
        QCOMPARE(sum.minimum, -5.1);
        QCOMPARE(CelsiusText(-0.04), QStringLiteral("+0,0"));
        QCOMPARE(CelsiusText(-3.25), QStringLiteral("-3,3"));
        QCOMPARE(CelsiusText(23.2), QStringLiteral("+23,2"));

        const ChartSummary none = SummariseChart(ChartSeries{});
        QVERIFY(!none.hasPeriod);
        QCOMPARE(ChartSummaryText(none),
                 QStringLiteral("Okres: – · Brak pomiarów temperatury · Alarmy: 0 · Pominięte (błędna data): 0"));
    }

    // How long each sample stands, worked out by hand (clock in seconds, code@clock=tenths).
    void sampleTimeline_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<qint64>("gapLimit");
        QTest::addColumn<QString>("spans");
        // Spacings 600, 600, 600 (the step back left out): limit 1200. The sample before the step back
        // stands for nothing; the set-back one until the next.
        QTest::newRow("clock set back") << "4@0=50 4@600=90 4@1200=60 4@300=60 4@900=60" << qint64(1200)
                                        << "600 next, 600 next, 0 back, 600 next, 0 last";
        // Friday 18:00, 18:15, 18:30 (above), start-up on Monday 08:00, samples 08:15 and 08:30. Spacings
        // 900, 900, 222300, 900: median 900, limit 1800; the start-up is 61 h 30 min after 18:30, so the
        // limit cuts first.
        QTest::newRow("friday to monday") << "4@0=50 4@900=50 4@1800=90 5@223200 6@223235 4@224100=50 4@225000=50"
                                          << qint64(1800) << "900 next, 900 next, 1800 gap, 900 next, 0 last";
        // Power back 600 s after the 900 s sample: it stands until the start-up, not until 1800.
        QTest::newRow("start-up within the limit") << "4@0=50 4@900=50 5@1500 6@1535 4@1800=50 4@2700=50"
                                                   << qint64(1800) << "900 next, 600 start, 900 next, 0 last";
        // Spacings 600, 600, 2800, 1200: the median of an even count is the mean of 600 and 1200, limit 1800.
        QTest::newRow("gap limit") << "4@0=50 4@600=50 4@1200=50 4@4000=50 4@5200=50" << qint64(1800)
                                   << "600 next, 600 next, 1800 gap, 1200 next, 0 last";
        // Spacings 1000, 1000, 2000: limit 2000; a spacing of exactly the limit stands whole.
        QTest::newRow("exactly the limit") << "4@0=50 4@1000=50 4@2000=50 4@4000=50" << qint64(2000)
                                           << "1000 next, 1000 next, 2000 next, 0 last";
        // One periodic sample: one hour; the alarms are samples too.
        QTest::newRow("fewer than two periodic") << "11@0=95 12@5000=70 4@6000=60 13@9000=10" << qint64(3600)
                                                 << "3600 gap, 1000 next, 3000 next, 0 last";
        QTest::newRow("no samples") << "5@0 7@100 11@200=1272" << qint64(3600) << "";
        // The 127-degree marker is no sample and no spacing; records without a sample change nothing.
        QTest::newRow("marker and other records") << "4@0=50 4@600=1272 6@700 4@1200=60 7@1300 11@1500=1275 4@2400=60"
                                                  << qint64(2400) << "1200 next, 1200 next, 0 last";
        // Spacings 0 and -300 are left out: only 600 counts, limit 1200.
        QTest::newRow("zero and negative spacings") << "4@0=50 4@0=60 4@600=50 4@300=50" << qint64(1200)
                                                    << "0 next, 600 next, 0 back, 0 last";
        QTest::newRow("no positive spacing") << "4@100=50 4@100=50" << qint64(3600) << "0 next, 0 last";
    }
    void sampleTimeline() {
        QFETCH(QString, events);
        QFETCH(qint64, gapLimit);
        QFETCH(QString, spans);
        const QVector<TimedEvent> timed = timedEvents(events);
        const SampleTimeline t = BuildSampleTimeline(timed);
        QCOMPARE(t.gapLimit, gapLimit);
        QCOMPARE(spansText(t.samples), spans);
        for (const SampleSpan& span : t.samples) QVERIFY(IsTemperatureSample(timed.at(span.index)));
    }

    // A range: the samples whose time lies in it, cut at its end; the time no sample covers counted once.
    void spansWithinARangeAndTimeWithoutData() {
        const QVector<TimedEvent> timed = timedEvents("4@0=50 4@600=90 4@1200=60 4@300=60 4@900=60 4@5000=60");
        const SampleTimeline t = BuildSampleTimeline(timed);
        // Spacings 600, 600, 600, 4100: limit 1200; 900 stands 1200 s of the 4100.
        QCOMPARE(spansText(t.samples), QStringLiteral("600 next, 600 next, 0 back, 600 next, 1200 gap, 0 last"));
        // [250, 1000): 600 (cut at 1000), 300, 900 (cut at 1000).
        const QVector<SampleSpan> within = SpansWithin(timed, t, 250, 1000);
        QCOMPARE(spansText(within), QStringLiteral("400 range, 600 next, 100 range"));
        QCOMPARE(within.first().index, 1);
        // Covered: [0, 1200) by the first timeline, [300, 900) and [900, 2100) by the second: [0, 2100).
        QCOMPARE(UncoveredSeconds(timed, t.samples, 0, 5000), qint64(5000 - 2100));
        QCOMPARE(UncoveredSeconds(timed, t.samples, 1000, 2000), qint64(0));
        QCOMPARE(UncoveredSeconds(timed, within, 250, 1000), qint64(50));
        QCOMPARE(UncoveredSeconds(timed, t.samples, 10, 10), qint64(0));
    }

    // The readings of Friday evening stand no longer than the gap limit, not across the weekend to the
    // start-up on Monday; the curve breaks there.
    void powerOffOverTheWeekend() {
        const ChartSeries s = BuildChartSeries(decoded({rec(5, 10, 17, 30, 0, 4, 51), rec(5, 10, 17, 45, 0, 4, 51),
                                                        rec(5, 10, 18, 0, 0, 4, 90), rec(5, 13, 8, 0, 0, 5),
                                                        rec(5, 13, 8, 15, 0, 4, 51), rec(5, 13, 8, 30, 0, 4, 51)}),
                                               ChartThresholds{130, 136});
        // Spacings 900, 900, 62 h 15 min, 900: limit 1800.
        QCOMPARE(s.timeline.gapLimit, qint64(1800));
        QCOMPARE(s.curve.size(), 2);
        QCOMPARE(s.curve.at(0).size(), 3);
        QCOMPARE(s.curve.at(1).size(), 2);
        const ChartSummary sum = SummariseChart(s);
        QCOMPARE(sum.secondsAboveMax, qint64(1800));
        // Friday 17:30 to Monday 08:30 is 63 h; samples cover 17:30-18:30 and 08:15-08:30.
        QCOMPARE(sum.secondsWithoutData, qint64(63 * 3600 - 3600 - 900));
        QVERIFY(ChartSummaryText(sum).contains(QStringLiteral("Powyżej MAX 30 min 00 s · Poniżej MIN 0 s · "
                                                              "Bez danych 61 h 45 min 00 s")));
    }

    // After the clock was set back, a reading stands until the next one in register order: 10:00 (+9,0)
    // until 11:00, not until the set-back 10:30 that sorts after it.
    void clockSetBackCreditsTheReadingItself() {
        const ChartSeries s = BuildChartSeries(decoded({rec(5, 10, 10, 0, 0, 4, 90), rec(5, 10, 11, 0, 0, 4, 51),
                                                        rec(5, 10, 10, 30, 0, 4, 51), rec(5, 10, 11, 30, 0, 4, 51)}),
                                               ChartThresholds{130, 136});
        const ChartSummary sum = SummariseChart(s);
        QCOMPARE(sum.secondsAboveMax, qint64(3600));
        // 10:00-11:00 and 10:30-11:30 cover the period 10:00-11:30 once.
        QCOMPARE(sum.secondsWithoutData, qint64(0));
        QCOMPARE(s.curve, (QVector<QVector<QPointF>>{{{at(10, 0), 9.0}, {at(11, 0), 5.1}},
                                                     {{at(10, 30), 5.1}, {at(11, 30), 5.1}}}));
    }

    // Each kind its own colour and mark; red is the high alarm's alone, black the start-up's alone, and
    // no kind looks like the curve.
    void everyKindLooksItsOwn() {
        QSet<QRgb> colours;
        QSet<int> marks;
        for (int code = 5; code <= 13; ++code) {
            const ChartKindStyle style = ChartStyleOf(code);
            colours << style.colour.rgb();
            marks << int(style.mark);
            QVERIFY(style.colour != kCurveColour);
        }
        QCOMPARE(colours.size(), 9);
        QCOMPARE(marks.size(), 9);
        QCOMPARE(ChartStyleOf(11).colour, EventColour::Red);
        QCOMPARE(ChartStyleOf(5).colour, EventColour::Black);
    }

    // The figures of the time in view: the samples whose time lies in it, standing no further than its end.
    void summaryOfARangeInView() {
        const ChartSeries s = BuildChartSeries(decoded(knownRegister()), ChartThresholds{130, 136});
        // 08:20 to 08:50: samples 08:20 (+9,0, 300 s), 08:25 (+9,5, 300 s), 08:30 (+7,8, nothing: the clock
        // went back); 08:15 lies before, 08:50 at the end, outside. 10 of the 30 minutes covered.
        const ChartSummary sum = SummariseChart(s, qint64(at(8, 20)), qint64(at(8, 50)));
        QCOMPARE(sum.samples, 3);
        QCOMPARE(sum.minimum, 7.8);
        QCOMPARE(sum.maximum, 9.5);
        QCOMPARE(sum.secondsAboveMax, qint64(600));
        QCOMPARE(sum.secondsWithoutData, qint64(1200));
        QCOMPARE(sum.alarms, 1);
        QCOMPARE(ChartSummaryText(sum),
                 QStringLiteral("Okres: 2024-05-10 08:20:00 – 2024-05-10 08:50:00 · Min. +7,8 °C · Maks. +9,5 °C · "
                                "Średnia +8,8 °C · Powyżej MAX 10 min 00 s · Poniżej MIN 0 s · "
                                "Bez danych 20 min 00 s · Alarmy: 1 · Pominięte (błędna data): 1"));
        // A view reaching past the period ends with the period; one beside it has none.
        QCOMPARE(ChartSummaryText(SummariseChart(s, qint64(at(7, 0)), qint64(at(10, 0)))),
                 ChartSummaryText(SummariseChart(s)));
        QVERIFY(!SummariseChart(s, qint64(at(10, 0)), qint64(at(11, 0))).hasPeriod);
        QCOMPARE(ChartReadoutText({at(8, 25, 40), 9.5}), QStringLiteral("2024-05-10 08:25 · +9,5 °C"));
        QCOMPARE(NearestSample(s, at(8, 24), at(8, 0), at(9, 0)), QPointF(at(8, 25), 9.5));
        QCOMPARE(NearestSample(s, at(8, 24), at(8, 0), at(8, 22)), QPointF(at(8, 20), 9.0));
        QVERIFY(!NearestSample(s, at(8, 24), at(8, 36), at(8, 49)));
    }

    // Ticks on whole steps of the clock, as many as there is room for; the date on the first and at midnight.
    void timeTicks_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("most");
        QTest::addColumn<QString>("ticks");
        // 65 minutes: 1, 2 and 5 minutes give 66, 33 and 14 ticks; 10 minutes 7.
        QTest::newRow("an hour") << "2024-05-10 08:00:00" << "2024-05-10 09:05:00" << 8
                                 << "08:00 2024-05-10|08:10|08:20|08:30|08:40|08:50|09:00";
        QTest::newRow("an hour, room for three") << "2024-05-10 07:59:59" << "2024-05-10 09:05:00" << 3
                                                 << "08:00 2024-05-10|08:30|09:00";
        // 3 days 3 h 28 min: 6 hours give 13 ticks, 12 hours 7.
        QTest::newRow("days") << "2024-05-10 10:17:00" << "2024-05-13 13:45:00" << 8
                              << "12:00 2024-05-10|00:00 2024-05-11|12:00|00:00 2024-05-12|12:00|00:00 2024-05-13|12:00";
        QTest::newRow("weeks") << "2024-04-28 00:00:00" << "2024-06-10 00:00:00" << 8
                               << "2024-04-29|2024-05-06|2024-05-13|2024-05-20|2024-05-27|2024-06-03|2024-06-10";
        QTest::newRow("too short for a minute") << "2024-05-10 08:00:10" << "2024-05-10 08:00:50" << 8 << "";
    }
    void timeTicks() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, most);
        QFETCH(QString, ticks);
        const auto ms = [](const QString& t) {
            QDateTime when = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            when.setTimeSpec(Qt::UTC);
            return when.toMSecsSinceEpoch();
        };
        QStringList got;
        for (const ChartTick& t : TimeTicks(ms(from), ms(to), most)) {
            QCOMPARE(ChartTimeText(t.at).right(8).left(t.time.isEmpty() ? 8 : 5),
                     t.time.isEmpty() ? QStringLiteral("00:00:00") : t.time);
            got << QStringList{t.time, t.date}.join(QLatin1Char(' ')).trimmed();
        }
        QCOMPARE(got.join(QLatin1Char('|')), ticks);
    }
    // A year: whole weeks from a Monday, no more ticks than asked for.
    void timeTicksOfAYear() {
        const qint64 from = QDateTime(QDate(2024, 1, 3), QTime(10, 0), Qt::UTC).toMSecsSinceEpoch();
        const QVector<ChartTick> ticks = TimeTicks(from, from + 366LL * 86400 * 1000, 8);
        QVERIFY(ticks.size() >= 4 && ticks.size() <= 8);
        for (int i = 0; i < ticks.size(); ++i) {
            const QDateTime t = QDateTime::fromMSecsSinceEpoch(ticks.at(i).at, Qt::UTC);
            QCOMPARE(t.date().dayOfWeek(), 1);
            QCOMPARE(t.time(), QTime(0, 0));
            if (i > 0) QCOMPARE((ticks.at(i).at - ticks.at(i - 1).at) % (7 * 86400 * 1000LL), 0LL);
        }
    }

    void csvOfTheKnownRegister() { QCOMPARE(EventsCsv(decoded(knownRegister())), kKnownCsv); }

    // ---------------------------------------------------------------- the window

    // Usable once a register is in the list and no download fills it; CLR takes it away.
    void buttonThroughDownloadStopAndClear() {
        EventRig rig(Line::Paced);
        TMain& w = rig.w();
        rig.recorder.fillRegister(3000, 11);
        rig.recorder.setRecordsAfterStop(3);
        QVERIFY(!w.ButtonWykres->isEnabled());
        rig.logIn();
        QVERIFY(!w.ButtonWykres->isEnabled());
        rig.startDownload();
        QVERIFY(rig.waitFor([&] { return rig.reg().gaugePosition() >= 10 * 8; }));
        QVERIFY(!w.ButtonWykres->isEnabled());
        w.ButtonWykres->click();
        QVERIFY(!rig.reg().chartWindow());
        w.ButtonSTOP->click();
        QCOMPARE(w.link()->activity().current(), Activity::Stopping);
        QVERIFY(!w.ButtonWykres->isEnabled());
        QVERIFY(rig.waitIdle());
        // What came before the stop is a register too, record for record beside its lines.
        QVERIFY(w.ButtonWykres->isEnabled());
        const QVector<EventRecord>& kept = rig.reg().records();
        QVERIFY(kept.size() >= 10);
        QCOMPARE(kept.size(), rig.reg().gaugePosition() / 8);
        for (int i = 0; i < kept.size(); ++i) QCOMPARE(kept.at(i).raw, rig.recorder.records().at(i));

        w.ButtonWykres->click();
        QVERIFY(rig.reg().chartWindow() && rig.reg().chartWindow()->isVisible());
        w.ButtonCLR->click();
        QVERIFY(rig.reg().records().isEmpty());
        QVERIFY(!w.ButtonWykres->isEnabled());
        QVERIFY(!rig.reg().chartWindow()->isVisible());
        // A refused click opens nothing.
        w.ButtonWykres->click();
        QVERIFY(!rig.reg().chartWindow()->isVisible());
    }

    // The records come in arrival order beside the text; a new download replaces both.
    void newDownloadReplacesTextAndRecords() {
        EventRig rig;
        TMain& w = rig.w();
        QVERIFY(downloadKnownRegister(rig));
        QCOMPARE(linesOf(w.trm), expectedDownload(knownRegister(), 14 * 8).lines);
        QCOMPARE(rig.reg().records().size(), 14);
        // Header (five lines), one line per record but the one with code 0, the end.
        QCOMPARE(linesOf(w.trm).size(), 5 + 13 + 1);
        QVERIFY(!rig.reg().records().at(9).hasLine);
        QVERIFY(w.ButtonWykres->isEnabled());

        const QVector<QByteArray> second = MakeRegister(40, 3, QDateTime(QDate(2024, 6, 1), QTime(0, 0)), true);
        rig.recorder.setRecords(second);
        rig.startDownload();
        QVERIFY(rig.waitIdle());
        QCOMPARE(linesOf(w.trm), expectedDownload(second, 40 * 8).lines);
        QCOMPARE(rig.reg().records().size(), 40);
        for (int i = 0; i < 40; ++i) QCOMPARE(rig.reg().records().at(i).raw, second.at(i));
    }

    void chartWindowShowsTheRegisterAgainstTheWindowsThresholds() {
        EventRig rig;
        TMain& w = rig.w();
        QVERIFY(downloadKnownRegister(rig));
        TempSettings t = w.Config->tempSettings();
        t.lowCode = 120;   // -8
        t.highCode = 140;  // +12
        w.Config->setTempSettings(t);
        w.ButtonWykres->click();
        TFormWykres* chart = rig.reg().chartWindow();
        QVERIFY(chart);
        QVERIFY(chart->isVisible());
        QVERIFY(!chart->isModal());
        QCOMPARE(chart->windowTitle(), QStringLiteral("Wykres temperatury"));
        QVERIFY(chart->isWindow());
        QCOMPARE(chart->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QCOMPARE(chart->ButtonCalyZakres->text(), QStringLiteral("Cały zakres"));
        QCOMPARE(chart->ButtonZapiszCSV->text(), QStringLiteral("Zapisz CSV"));
        QCOMPARE(chart->ButtonDrukuj->text(), QStringLiteral("Drukuj"));
        QCOMPARE(chart->ButtonZapiszPDF->text(), QStringLiteral("Zapisz PDF"));

        QLineSeries* max = lineNamed(chart->chart(), QStringLiteral("MAX +12"));
        QLineSeries* min = lineNamed(chart->chart(), QStringLiteral("MIN -8"));
        QVERIFY(max && min);
        QCOMPARE(max->count(), 2);
        QCOMPARE(min->count(), 2);
        for (const QPointF& p : max->points()) QCOMPARE(p.y(), 12.0);
        for (const QPointF& p : min->points()) QCOMPARE(p.y(), -8.0);
        QCOMPARE(max->pen().color(), EventColour::Red);
        QCOMPARE(min->pen().color(), EventColour::Blue);
        QCOMPARE(chart->ButtonZamknij->text(), QStringLiteral("Zamknij"));
        QLineSeries* curve = lineNamed(chart->chart(), QStringLiteral("Temperatura"));
        QVERIFY(curve);
        QCOMPARE(curve->pen().color(), kCurveColour);
        // Broken where the clock went back and where the gap limit cut 08:15 short: two lines and a dot,
        // every sample once.
        QVector<QPointF> drawn = allPoints(chart->chart(), QStringLiteral("Temperatura"));
        QVector<QPointF> samples = chart->series().temperature;
        QCOMPARE(samples.size(), 7);
        std::sort(drawn.begin(), drawn.end(), [](auto a, auto b) { return a.x() < b.x(); });
        std::sort(samples.begin(), samples.end(), [](auto a, auto b) { return a.x() < b.x(); });
        QCOMPARE(drawn, samples);
        QCOMPARE(curve->points(), (QList<QPointF>{{at(8, 10), 5.1}, {at(8, 20), 9.0}, {at(8, 25), 9.5}, {at(8, 30), 7.8}}));
        // The legend under the plot: the curve, the thresholds and each kind of event once.
        QCOMPARE(ChartLegendTexts(chart->chart()),
                 (QStringList{"Temperatura", "MAX +12", "MIN -8", EventName(5), EventName(6), EventName(7),
                              EventName(8), EventName(11), EventName(12), EventName(13)}));
        const QRectF key = ChartLegendArea(chart->chart()), plotArea = chart->chart()->plotArea();
        QVERIFY2(key.top() > plotArea.bottom() && key.bottom() <= chart->chart()->size().height() &&
                     key.left() >= 0 && key.right() <= chart->chart()->size().width(),
                 qPrintable(QStringLiteral("legend %1,%2 %3x%4").arg(key.x()).arg(key.y()).arg(key.width()).arg(key.height())));
        // A line stands at the time of each event without a sample, its kind's mark at the top of it; the
        // alarms with a sample have their mark on the curve.
        QLineSeries* mainsLost = lineNamed(chart->chart(), QStringLiteral("Brak 230V"));
        QVERIFY(mainsLost);
        QCOMPARE(mainsLost->pen().color(), ChartStyleOf(7).colour);
        QCOMPARE(mainsLost->count(), 2);
        for (const QPointF& p : mainsLost->points()) QCOMPARE(p.x(), at(8, 40));
        int kinds = 0;
        for (const ChartMarkers& m : chart->series().markers)
            for (QAbstractSeries* s : chart->chart()->series())
                if (auto* dots = qobject_cast<QScatterSeries*>(s); dots && dots->name() == m.name) {
                    ++kinds;
                    QCOMPARE(dots->color(), m.colour);
                    QVERIFY(!dots->lightMarker().isNull());
                    QCOMPARE(dots->count(), m.times.size() + m.points.size());
                    for (const QPointF& p : m.points) QVERIFY(dots->points().contains(p));
                    for (qint64 t : m.times) QCOMPARE(dots->at(0).x(), double(t));
                }
        QCOMPARE(kinds, 7);
        // The whole period is in view, and the temperature axis holds the thresholds.
        auto* y = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Vertical).first());
        QVERIFY(y->min() <= -8 && y->max() >= 12);
        // Time ticks every 10 minutes of the clock, from 08:00 with its date.
        auto* x = qobject_cast<QCategoryAxis*>(chart->chart()->axes(Qt::Horizontal).first());
        QVERIFY(x);
        QVERIFY(x->count() >= 4);
        for (const QString& label : x->categoriesLabels()) QCOMPARE(qint64(x->endValue(label)) % (600 * 1000), 0);
        QVERIFY(x->categoriesLabels().first().endsWith(QStringLiteral("08:00<br>2024-05-10")));

        const QString summary = chart->Podsumowanie->text().replace(QChar(0x00A0), QLatin1Char(' '));
        QVERIFY(summary.contains(QStringLiteral("Powyżej MAX 0 s")));
        QVERIFY(summary.contains(QStringLiteral("Poniżej MIN 0 s")));
        QVERIFY(summary.contains(QStringLiteral("Pominięte (błędna data): 1")));

        // Zoomed in, "Cały zakres" brings the whole range back.
        const double fullMin = y->min(), fullMax = y->max();
        chart->chart()->zoomIn(QRectF(chart->chart()->plotArea().center(), QSizeF(40, 40)));
        QVERIFY(y->max() - y->min() < fullMax - fullMin);
        chart->ButtonCalyZakres->click();
        QCOMPARE(y->min(), fullMin);
        QCOMPARE(y->max(), fullMax);

        // The wheel zooms the time axis only, around the pointer; "Cały zakres" again brings it all back.
        const double fullFrom = x->min(), fullTo = x->max();
        const QRectF plot = chart->chart()->plotArea();
        QVERIFY(plot.width() > 100);
        const QPointF pointer(plot.left() + plot.width() / 4, plot.center().y());
        const QPointF value = chart->chart()->mapToValue(pointer);
        QWheelEvent wheel(pointer, chart->Wykres->viewport()->mapToGlobal(pointer), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart->Wykres->viewport(), &wheel);
        const double span = x->max() - x->min(), fullSpan = fullTo - fullFrom;
        QVERIFY2(span < fullSpan * 0.9 && span > fullSpan * 0.7, qPrintable(QString::number(double(span) / fullSpan)));
        QVERIFY(qAbs(chart->chart()->mapToValue(pointer).x() - value.x()) < fullSpan * 0.01);
        QCOMPARE(y->min(), fullMin);
        QCOMPARE(y->max(), fullMax);
        // Only the marks in view are drawn, each still at its time: 08:40 is in view after the step, and
        // out of view from 08:00 to 08:30.
        QVERIFY(x->min() < at(8, 40) && at(8, 40) < x->max());
        QCOMPARE(mainsLost->count(), 2);
        for (const QPointF& p : mainsLost->points()) QCOMPARE(p.x(), at(8, 40));
        x->setRange(at(8, 0), at(8, 30));
        QCOMPARE(mainsLost->count(), 0);
        QCOMPARE(lineNamed(chart->chart(), EventName(5))->count(), 2);
        // The summary follows what is in view, each figure unbroken.
        x->setRange(at(8, 20), at(8, 50));
        const QString shown = chart->Podsumowanie->text();
        QCOMPARE(QString(shown).replace(QChar(0x00A0), QLatin1Char(' ')),
                 ChartSummaryText(SummariseChart(chart->series(), qint64(at(8, 20)), qint64(at(8, 50)))));
        for (const QString& figure : shown.split(QStringLiteral(" · "))) QVERIFY2(!figure.contains(' '), qPrintable(figure));
        QVERIFY(shown.contains(QStringLiteral("Bez\u00A0danych\u00A020\u00A0min\u00A000\u00A0s")));
        chart->ButtonCalyZakres->click();
        QCOMPARE(x->min(), fullFrom);
        QCOMPARE(x->max(), fullTo);
    }

    // The sample nearest the pointer, in words under the chart; "Zamknij" and Esc close the window.
    void readoutAndClosing() {
        EventRig rig;
        TMain& w = rig.w();
        QVERIFY(downloadKnownRegister(rig));
        w.ButtonWykres->click();
        TFormWykres* chart = rig.reg().chartWindow();
        QVERIFY(QTest::qWaitForWindowExposed(chart));
        QCOMPARE(chart->Odczyt->text(), QString());
        // The pointer a little left of 08:25 over the plot.
        const QPointF near = chart->chart()->mapToPosition(QPointF(at(8, 24), 5));
        const QPoint inView = chart->Wykres->mapFromScene(chart->chart()->mapToScene(near));
        QMouseEvent move(QEvent::MouseMove, inView, chart->Wykres->viewport()->mapToGlobal(inView), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(chart->Wykres->viewport(), &move);
        QCOMPARE(chart->Odczyt->text(), QStringLiteral("2024-05-10 08:25 · +9,5 °C"));
        // Off the plot, nothing.
        QMouseEvent away(QEvent::MouseMove, QPoint(2, 2), chart->Wykres->viewport()->mapToGlobal(QPoint(2, 2)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(chart->Wykres->viewport(), &away);
        QCOMPARE(chart->Odczyt->text(), QString());

        chart->ButtonZamknij->click();
        QVERIFY(!chart->isVisible());
        w.ButtonWykres->click();
        QVERIFY(chart->isVisible());
        chart->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(chart));
        QTest::keyClick(chart, Qt::Key_Escape);
        QVERIFY(!chart->isVisible());
    }

    // What the archive's window uses: any list of records, its excursions shaded, a click that zooms to one.
    void recordsBandsAndZoom() {
        ScriptedPeople people;
        TFormWykres chart(&people, nullptr);
        chart.showRecords(decoded(knownRegister()), ChartThresholds{130, 136}, QStringLiteral("Archiwum: test"));
        QVERIFY(!ChartLegendTexts(chart.chart()).contains(QStringLiteral("Powyżej MAX")));
        auto* x = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Horizontal).first());
        x->setRange(at(8, 5), at(9, 0));
        chart.setBands({{clockAt(8, 20), clockAt(8, 30), true}, {clockAt(8, 50), clockAt(9, 5), false}});
        x = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Horizontal).first());
        QCOMPARE(x->min(), at(8, 5));
        QCOMPARE(x->max(), at(9, 0));
        QCOMPARE(ChartLegendTexts(chart.chart()).mid(ChartLegendTexts(chart.chart()).size() - 2),
                 (QStringList{"Powyżej MAX", "Poniżej MIN"}));
        QMap<QString, QList<QPointF>> shaded;
        for (QAbstractSeries* s : chart.chart()->series())
            if (auto* area = qobject_cast<QAreaSeries*>(s)) shaded[area->name()] = area->upperSeries()->points();
        auto* y = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).first());
        // High from 08:20 to 08:30 across the plot; low from 08:50 to the edge of the view at 09:00.
        QCOMPARE(shaded.value("Powyżej MAX"), (QList<QPointF>{{at(8, 20), y->min()}, {at(8, 20), y->max()},
                                                             {at(8, 30), y->max()}, {at(8, 30), y->min()}}));
        QCOMPARE(shaded.value("Poniżej MIN"), (QList<QPointF>{{at(8, 50), y->min()}, {at(8, 50), y->max()},
                                                             {at(9, 0), y->max()}, {at(9, 0), y->min()}}));
        // 08:20 to 08:30 with five minutes either side; the summary of 08:15 to 08:35: 08:20 and 08:25
        // above, 08:15 standing 20 minutes over it all.
        chart.zoomTo(clockAt(8, 20), clockAt(8, 30));
        QCOMPARE(chart.viewRange(), (std::pair<qint64, qint64>(qint64(at(8, 15)), qint64(at(8, 35)))));
        const QString shown = chart.Podsumowanie->text().replace(QChar(0x00A0), QLatin1Char(' '));
        QVERIFY2(shown.contains(QStringLiteral("Min. +6,1 °C · Maks. +9,5 °C")) &&
                     shown.contains(QStringLiteral("Powyżej MAX 10 min 00 s · Poniżej MIN 0 s · Bez danych 0 s")),
                 qPrintable(shown));
        chart.ButtonCalyZakresClick();
        QVERIFY(chart.viewRange().first < at(8, 0) && chart.viewRange().second > at(9, 5));
    }

    void csvSavedByteForByte() {
        EventRig rig;
        TMain& w = rig.w();
        QVERIFY(downloadKnownRegister(rig));
        w.ButtonWykres->click();
        TFormWykres* chart = rig.reg().chartWindow();
        QTemporaryDir dir;
        const QString path = dir.filePath("rejestr.csv");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
        old.close();
        QCOMPARE(rig.people.messages(), QStringList());
        rig.people.fileAnswers.enqueue(path);
        chart->ButtonZapiszCSV->click();
        QCOMPARE(readAll(path), kKnownCsv);
        QCOMPARE(rig.people.messages(), (QStringList{"save: Plik CSV (*.csv)", "information: Zapisano plik CSV"}));
        const FileDialogRequest& asked = rig.people.fileRequests.constLast();
        QCOMPARE(asked.filter, QStringLiteral("Plik CSV (*.csv)"));
        QCOMPARE(asked.defaultSuffix, QStringLiteral("csv"));
        // Named after the PC's date, so the next save does not replace this one.
        QCOMPARE(asked.directory, QDir::home().filePath("rejestr-2024-03-05.csv"));
        // A file that cannot be written is reported, cancelling writes nothing.
        rig.people.clear();
        rig.people.fileAnswers.enqueue(dir.filePath("no/such/folder/rejestr.csv"));
        chart->ButtonZapiszCSV->click();
        QCOMPARE(rig.people.messages(), (QStringList{"save: Plik CSV (*.csv)", "error: Błąd zapisu"}));
        rig.people.clear();
        chart->ButtonZapiszCSV->click();
        QCOMPARE(rig.people.messages(), QStringList{"save: Plik CSV (*.csv)"});
    }

    // One landscape page: the curve in its colour inside the plot area, the summary and the version.
    void pdfPageShowsTheCurve() {
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) QSKIP("pdftoppm is missing");
        EventRig rig;
        TMain& w = rig.w();
        rig.recorder.fillRegister(300, 5);
        rig.logIn();
        rig.startDownload();
        QVERIFY(rig.waitIdle());
        w.ButtonWykres->click();
        TFormWykres* chart = rig.reg().chartWindow();
        QVERIFY(chart->series().temperature.size() > 200);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("wykres.pdf");
        rig.people.clear();
        rig.people.fileAnswers.enqueue(pdf);
        chart->ButtonZapiszPDF->click();
        QCOMPARE(rig.people.messages(), (QStringList{"save: Plik PDF (*.pdf)", "information: Zapisano plik PDF"}));
        QCOMPARE(rig.people.fileRequests.constLast().filter, QStringLiteral("Plik PDF (*.pdf)"));
        QCOMPARE(rig.people.fileRequests.constLast().directory, QDir::home().filePath("wykres-2024-03-05.pdf"));
        QVERIFY(readAll(pdf).startsWith("%PDF"));

        QCOMPARE(QProcess::execute("pdftoppm", {"-r", "60", "-png", pdf, dir.filePath("page")}), 0);
        QStringList pages = QDir(dir.path()).entryList({"page*.png"});
        QCOMPARE(pages.size(), 1);
        const QImage page(dir.filePath(pages.first()));
        QVERIFY(page.width() > page.height());
        // The plot area: below the title, above the legend and the summary, right of the axis labels.
        const QRect plot(page.width() / 5, page.height() / 6, page.width() * 7 / 10, page.height() / 2);
        QVERIFY2(pixelsNear(page, kCurveColour, plot) > 200, qPrintable(QString::number(pixelsNear(page, kCurveColour, plot))));

        if (!QStandardPaths::findExecutable("pdftotext").isEmpty()) {
            QProcess text;
            text.start("pdftotext", {"-layout", pdf, "-"});
            QVERIFY(text.waitForFinished(10000));
            const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
            QVERIFY2(words.contains(QStringLiteral("Wersja rejestratora: ") + w.TextWersja->text()), qPrintable(words));
            QVERIFY(w.TextWersja->text().startsWith(QLatin1String("MX-4 v ")) && !w.TextWersja->text().contains("..."));
            QVERIFY(words.contains(QStringLiteral("Alarmy: %1").arg(chart->summary().alarms)));
            QVERIFY2(words.contains(QStringLiteral("Wydrukowano: 2024-03-05 07:08")), qPrintable(words));
            QVERIFY(words.contains(EventName(5)));
            // No text smaller than 8 pt: a word's box is its font's ascent and descent, 1.16 times the size
            // in DejaVu Sans (the chart's), 1.12 in Arial (the page's own lines, 10 pt and more).
            QProcess boxes;
            boxes.start("pdftotext", {"-bbox", pdf, "-"});
            QVERIFY(boxes.waitForFinished(10000));
            const QString html = QString::fromUtf8(boxes.readAllStandardOutput());
            const QRegularExpression word(QStringLiteral("yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">([^<]*)<"));
            int count = 0;
            double lowest = 100;
            QString smallest;
            for (auto m = word.globalMatch(html); m.hasNext();) {
                const auto w = m.next();
                const double high = w.captured(2).toDouble() - w.captured(1).toDouble();
                ++count;
                if (high < lowest) {
                    lowest = high;
                    smallest = w.captured(3);
                }
            }
            QVERIFY(count > 50);
            QVERIFY2(lowest >= 8 * 1.16, qPrintable(QStringLiteral("%1 pt: %2").arg(lowest).arg(smallest)));
        }

        // "Drukuj" asks for the printer first; cancelled, nothing is printed.
        rig.people.clear();
        chart->ButtonDrukuj->click();
        QCOMPARE(rig.people.shown, QStringList{"print"});
    }
};

QTEST_MAIN(EventChartTest)
#include "tst_event_chart.moc"
