// The temperature chart of a full register (4,095 records, a realistic mix of samples, alarms and other
// events) with the window on screen (offscreen platform):
//  1. opening: building the series and the summary, putting them into a chart, showing the window and
//     painting it for the first time, the median and the worst of several openings (target: under 200 ms);
//  2. zooming: one wheel step on the time axis and the repaint that follows, and "Cały zakres";
//  3. the PDF page.
// Usage: bench_chart [openings, default 15] [where to keep the PDF page]

#include "bench/Timings.h"
#include "events/EventChart.h"
#include "events/EventChartData.h"
#include "sim/RecorderData.h"
#include "support/ScriptedPeople.h"

#include <QApplication>
#include <QChart>
#include <QElapsedTimer>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {


void wheel(QWidget* view, int delta) {
    const QPointF at(view->width() / 2.0, view->height() / 2.0);
    QWheelEvent e(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->focusProxy() ? view->focusProxy() : view, &e);
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int openings = argc > 1 ? qMax(1, atoi(argv[1])) : 15;

    const QVector<QByteArray> payloads = MakeRegister(4095, 17, QDateTime(QDate(2024, 1, 1), QTime(0, 0)), true);
    QVector<EventRecord> records;
    for (const QByteArray& p : payloads) records.append(*DecodeEventData(p));
    const ChartThresholds thresholds{143, 158};  // +15 and +30, the simulated recorder's own

    ScriptedPeople people;
    std::vector<double> build, open, total;
    ChartSeries series;
    for (int i = 0; i < openings; ++i) {
        QElapsedTimer t;
        t.start();
        series = BuildChartSeries(records, thresholds);
        const ChartSummary summary = SummariseChart(series);
        (void)ChartSummaryText(summary);
        build.push_back(ms(t.nsecsElapsed()));

        QElapsedTimer all;
        all.start();
        TFormWykres window(&people, nullptr);
        window.showRegister(records, thresholds, QStringLiteral("MX-4 v 1.2"));
        window.show();
        // The first paint, as the screen gets it.
        (void)window.grab();
        open.push_back(ms(all.nsecsElapsed()));
        total.push_back(build.back() + open.back());
    }

    std::printf("temperature chart of a full register, window shown (offscreen), %d openings\n\n", openings);
    const auto count = [&](auto size) {
        int n = 0;
        for (const ChartMarkers& m : series.markers) n += size(m);
        return n;
    };
    std::printf("register: %d records, %d with a line; curve %d points in %d runs, %d marks on the curve, "
                "%d lines in %d kinds\n",
                int(records.size()), series.charted + series.badDates, int(series.temperature.size()),
                int(series.curve.size()), count([](const ChartMarkers& m) { return m.points.size(); }),
                count([](const ChartMarkers& m) { return m.times.size(); }), int(series.markers.size()));
    std::printf("1. opening\n");
    std::printf("   series and summary (core)        : median %7.2f ms   worst %7.2f ms\n", median(build), worst(build));
    std::printf("   window: chart, show, first paint : median %7.2f ms   worst %7.2f ms\n", median(open), worst(open));
    std::printf("   together                         : median %7.2f ms   worst %7.2f ms (target: under 200 ms)\n",
                median(total), worst(total));

    TFormWykres window(&people, nullptr);
    window.showRegister(records, thresholds, QStringLiteral("MX-4 v 1.2"));
    window.show();
    (void)window.grab();
    std::vector<double> zoomIn, zoomOut, reset;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer t;
        t.start();
        wheel(window.Wykres->viewport(), 120);
        (void)window.grab();
        zoomIn.push_back(ms(t.nsecsElapsed()));
    }
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer t;
        t.start();
        wheel(window.Wykres->viewport(), -120);
        (void)window.grab();
        zoomOut.push_back(ms(t.nsecsElapsed()));
    }
    for (int i = 0; i < 5; ++i) {
        wheel(window.Wykres->viewport(), 120);
        QElapsedTimer t;
        t.start();
        window.ButtonCalyZakres->click();
        (void)window.grab();
        reset.push_back(ms(t.nsecsElapsed()));
    }
    std::printf("2. zooming, each step repainted\n");
    std::printf("   wheel in      : median %7.2f ms   worst %7.2f ms\n", median(zoomIn), worst(zoomIn));
    std::printf("   wheel out     : median %7.2f ms   worst %7.2f ms\n", median(zoomOut), worst(zoomOut));
    std::printf("   \"Cały zakres\" : median %7.2f ms   worst %7.2f ms\n", median(reset), worst(reset));

    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("wykres.pdf")));
    QElapsedTimer t;
    t.start();
    const bool printed = window.printPage(printer);
    std::printf("3. the PDF page: %.1f ms%s\n", ms(t.nsecsElapsed()), printed ? "" : " (failed)");
    return 0;
}
