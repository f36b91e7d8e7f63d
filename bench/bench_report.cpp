// The archive's window and the report of a period on a year recorded every 15 minutes: 35,040 samples among
// 100,000 records (GSM links, mains and battery events, alarms, now and then a start-up), imported as 25
// downloads, then
//  1. opening it: the records read, the time rule built, the whole chain verified;
//  2. the window "Archiwum rejestru" (offscreen) showing a new period: the figures, the chart with its
//     shaded excursions, the excursion table and the summary, painted (target: under 300 ms), for the
//     whole year, "30 dni" and "7 dni", and MAX changed over the whole year;
//  3. the report of the whole year as a PDF (target: under 2 s), with the verification it carries.
// Usage: bench_report [runs, default 5] [where to keep the archive and the PDF: a folder]

#include "bench/Timings.h"
#include "archive/ArchiveAdding.h"
#include "archive/ArchiveWindow.h"
#include "archive/PeriodReport.h"
#include "events/EventChart.h"
#include "events/EventRecords.h"
#include "support/RecordBytes.h"
#include "support/ScriptedPeople.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray recordAt(const QDateTime& at, int code, int sample) {
    const QDate d = at.date();
    const QTime t = at.time();
    return EventRecordBytes(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), code, sample);
}

// A year from 2025-01-01 in time order: a sample every 15 minutes around +4 °C, a warm spell now and then
// (a door left open, a defrost) with its alarm and its return; the mains lost and back about once a week,
// the battery low and charged about once a month, a start-up about every two months; GSM links, the
// bulk of what a recorder logs besides its samples, spread between.
QVector<EventRecord> yearOfRecords() {
    constexpr int kSamples = 35040, kRecords = 100000;
    QRandomGenerator rng(2025);
    QVector<EventRecord> out;
    out.reserve(kRecords);
    const QDateTime start(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC);
    // The sample's raw value: 221 is about +4 °C, each step about 0.24 °C.
    int raw = 221, warm = 0, others = kRecords - kSamples;
    // Per 15 minutes: a week is 672 of them, a month 2880.
    const auto rare = [&rng](int every) { return rng.bounded(every) == 0; };
    int pendingBack = 0, pendingCharged = 0;
    bool alarmed = false;
    for (int i = 0; i < kSamples; ++i) {
        const QDateTime at = start.addSecs(qint64(i) * 900);
        if (warm == 0 && rng.bounded(400) == 0) warm = 4 + int(rng.bounded(12));
        const int target = warm > 0 ? 250 : 221;
        raw = qBound(150, raw + int(rng.bounded(5)) - 2 + (target - raw) / 3, 300);
        if (warm > 0) --warm;
        const int tenths = raw * 2500 / 1024 - 500;
        out.append(*DecodeEventData(recordAt(at, 4, raw)));
        if (tenths > 80 && !alarmed) {
            out.append(*DecodeEventData(recordAt(at.addSecs(60), 11, raw)));
            alarmed = true;
            --others;
        } else if (tenths <= 80 && alarmed) {
            out.append(*DecodeEventData(recordAt(at.addSecs(60), 12, raw)));
            alarmed = false;
            --others;
        }
        const int here = others / (kSamples - i);
        QVector<EventRecord> between;
        for (int k = 0; k < here; ++k) {
            int code = 6;
            if (pendingBack > 0 && --pendingBack == 0) code = 8;
            else if (pendingCharged > 0 && --pendingCharged == 0) code = 10;
            else if (rare(672)) code = 7, pendingBack = 4 + int(rng.bounded(20));
            else if (rare(2880)) code = 9, pendingCharged = 100 + int(rng.bounded(100));
            else if (rare(5760)) code = 5;
            between.append(*DecodeEventData(recordAt(at.addSecs(120 + rng.bounded(770)), code, 0)));
        }
        std::sort(between.begin(), between.end(), [](const EventRecord& a, const EventRecord& b) { return a.clock < b.clock; });
        out += between;
        others -= here;
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    QTemporaryDir temporary;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("rok.mx4a"));
    QFile::remove(path);

    QElapsedTimer t;
    t.start();
    const QVector<EventRecord> year = yearOfRecords();
    {
        const auto archive = RegisterArchive::create(path, QStringLiteral("Chłodnia 2"));
        const int part = int(year.size() + 24) / 25;
        for (int i = 0; i < 25; ++i) {
            const QVector<EventRecord> download = year.mid(i * part, part);
            archive->add(ArchiveSource::download(download, int(download.size()), int(download.size()),
                                                 ArchiveSource::Ending::Complete, QStringLiteral("MX-4 v 1.2")));
        }
    }
    std::printf("archive's window and report, a year at 15 minutes, %d runs\n\n", runs);
    std::printf("archive: %d records from 25 downloads (built in %.0f ms)\n", int(year.size()), ms(t.nsecsElapsed()));

    std::vector<double> reads, rules, verifies;
    for (int i = 0; i < runs; ++i) {
        const auto archive = RegisterArchive::open(path);
        t.restart();
        QVector<ArchiveRecord> records = archive->records();
        reads.push_back(ms(t.nsecsElapsed()));
        t.restart();
        const ArchiveContents contents(std::move(records));
        rules.push_back(ms(t.nsecsElapsed()));
        t.restart();
        (void)archive->verify();
        verifies.push_back(ms(t.nsecsElapsed()));
    }
    std::printf("1. opening\n");
    std::printf("   records read      : median %7.1f ms   worst %7.1f ms\n", median(reads), worst(reads));
    std::printf("   time rule         : median %7.1f ms   worst %7.1f ms\n", median(rules), worst(rules));
    std::printf("   verify            : median %7.1f ms   worst %7.1f ms\n", median(verifies), worst(verifies));

    ScriptedPeople people;
    ArchiveAdding adding(&people);
    TFormArchiwum window(&people, &adding);
    window.resize(1300, 720);
    window.setLimits(FigureLimits{8, 2});
    window.show();
    window.openPath(path);
    QApplication::processEvents();
    struct Step {
        const char* name;
        std::function<void()> act;
    };
    const std::vector<Step> steps = {
        {"the whole year", [&] { window.showQuickPeriod(QuickPeriod::Whole); }},
        {"\"30 dni\"     ", [&] { window.showQuickPeriod(QuickPeriod::Month); }},
        {"\"7 dni\"      ", [&] { window.showQuickPeriod(QuickPeriod::Week); }},
        {"MAX changed   ", [&] {
             window.showQuickPeriod(QuickPeriod::Whole);
             QApplication::processEvents();
             t.restart();
             window.SpinMax->setValue(window.SpinMax->value() == 8 ? 7 : 8);
         }},
    };
    std::printf("2. a new period in the window: figures, chart, excursions, summary, painted (target: under 300 ms)\n");
    for (const Step& step : steps) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            window.showQuickPeriod(i % 2 ? QuickPeriod::Week : QuickPeriod::Month);
            QApplication::processEvents();
            t.restart();
            step.act();
            window.repaint();
            QApplication::processEvents();
            times.push_back(ms(t.nsecsElapsed()));
        }
        std::printf("   %s: median %7.1f ms   worst %7.1f ms   (%d samples, %d excursions, %d records)\n", step.name,
                    median(times), worst(times), window.period().figures.samples,
                    int(window.period().figures.excursions.size()), window.period().records());
    }

    window.showQuickPeriod(QuickPeriod::Whole);
    std::vector<double> gathers, pdfs;
    QByteArray pdf;
    for (int i = 0; i < runs; ++i) {
        t.restart();
        const PeriodReport report = window.report();
        gathers.push_back(ms(t.nsecsElapsed()));
        t.restart();
        pdf = PeriodReportPdf(report);
        pdfs.push_back(ms(t.nsecsElapsed()));
    }
    std::vector<double> together(gathers.size());
    for (size_t i = 0; i < gathers.size(); ++i) together[i] = gathers[i] + pdfs[i];
    std::printf("3. the report of the whole year as a PDF (target: under 2000 ms)\n");
    std::printf("   gathered (imports, curve, verify): median %7.1f ms   worst %7.1f ms\n", median(gathers), worst(gathers));
    std::printf("   laid out and written         : median %7.1f ms   worst %7.1f ms\n", median(pdfs), worst(pdfs));
    std::printf("   together                     : median %7.1f ms   worst %7.1f ms   (%lld bytes)\n", median(together),
                worst(together), qint64(pdf.size()));
    if (argc > 2) {
        QFile out(QDir(folder).filePath(QStringLiteral("raport-rok.pdf")));
        if (out.open(QIODevice::WriteOnly)) out.write(pdf);
        std::printf("kept: %s and %s\n", qPrintable(path), qPrintable(out.fileName()));
    }
    return 0;
}
