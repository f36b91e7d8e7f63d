// The event register download through the main window against the simulated recorder, with the
// product's 100 ms tick and the window on screen (offscreen platform):
//  1. a full register of 4,095 records delivered as fast as the in-process wire allows: how long the
//     program takes to handle it, against what the same bytes take on the line at 4800 baud;
//  2. a download on a line paced at 4800 baud (argument: number of records, default 500): its time
//     against the line's own limit, and the CPU time meanwhile;
//  3. the event list alone: coloured lines appended per second with the caret following and the list
//     painted after every line (the download itself paints at most every 40 ms).
// Usage: bench_events [records for the paced run]

#include "bench/Timings.h"
#include "app/MainWindow.h"
#include "events/EventDecode.h"
#include "events/EventList.h"
#include "events/EventRegister.h"
#include "link/Link.h"
#include "link/PortCatalog.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/ScriptedPeople.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {
constexpr int kFrameOverhead = 4;  // start, code, length, checksum


// What a download of `records` records takes on the line: request out, header, records and end back.
qint64 lineLimitNs(int records) {
    const qint64 bytes = (kFrameOverhead + 1) + (kFrameOverhead + 2) + qint64(records) * (kFrameOverhead + 8) +
                         kFrameOverhead;
    return SimWire::wireTimeNs(bytes);
}

struct Run {
    qint64 requestToEndNs = 0;
    qint64 headerToEndNs = 0;
    double cpuMs = 0;
    int lines = 0;
    bool complete = false;
    QString messages;
};

Run download(int records, bool paced) {
    Recorder recorder;
    SimFaults faults;
    faults.paced = paced;
    recorder.setFaults(faults);
    recorder.fillRegister(records, 17, QDateTime(QDate(2024, 1, 1), QTime(0, 0)), true);
    SimWire wire(&recorder);
    FixedPortCatalog catalog({{SimWire::defaultPortName(), QStringLiteral("sim")}});
    ScriptedPeople people;
    TMain window({&wire, &catalog, &people, Link::kProductTickMs});
    window.show();
    Run run;
    window.Button_polacz->click();
    if (!window.link()->st.loggedIn) {
        run.messages = QStringLiteral("login failed");
        return run;
    }
    // Let the first status exchange pass, so the click starts the download at once.
    {
        QEventLoop settle;
        QTimer::singleShot(1500, &settle, &QEventLoop::quit);
        settle.exec();
    }

    QElapsedTimer clock;
    clock.start();
    qint64 requestAt = -1, headerAt = -1, endAt = -1;
    QObject::connect(window.link(), &Link::frameSent, [&](const QByteArray& frame) {
        if (quint8(frame.at(1)) == EventRegister::kStartCode && requestAt < 0) requestAt = clock.nsecsElapsed();
    });
    QTextDocument* doc = window.trm->document();
    QObject::connect(doc, &QTextDocument::contentsChanged, [&] {
        if (headerAt < 0 && doc->blockCount() >= 5) headerAt = clock.nsecsElapsed();
        if (endAt < 0 && doc->lastBlock().text() == EndOfRegisterText()) endAt = clock.nsecsElapsed();
    });
    const std::clock_t cpu0 = std::clock();
    window.ButtonPobierz->click();
    // Blocks until something happens: the tick wakes the loop at least every 100 ms.
    while (window.eventRegister->downloading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.cpuMs = 1000.0 * double(std::clock() - cpu0) / CLOCKS_PER_SEC;
    run.complete = endAt >= 0;
    run.requestToEndNs = endAt - requestAt;
    run.headerToEndNs = endAt - headerAt;
    run.lines = window.trm->document()->blockCount();
    run.messages = people.shown.join(QStringLiteral(" | "));
    return run;
}

double appendRate(int lines) {
    QTextEdit box;
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(13);
    box.setFont(arial);
    box.setReadOnly(true);
    box.setLineWrapMode(QTextEdit::NoWrap);
    box.resize(470, 230);
    box.show();
    EventList list(&box);
    const QVector<QByteArray> records = MakeRegister(lines, 5, QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    QElapsedTimer t;
    t.start();
    for (const QByteArray& r : records) {
        const EventLine line = DecodeEventRecord(r).value_or(EventLine{QStringLiteral("-"), Qt::black});
        list.append(line.text, line.colour);
        list.followEnd();
        QCoreApplication::processEvents();
    }
    return double(lines) / (double(t.nsecsElapsed()) / 1e9);
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int pacedRecords = argc > 1 ? qBound(1, QString::fromLocal8Bit(argv[1]).toInt(), Recorder::kMaxRecords) : 500;

    std::printf("event register download, 100 ms tick, window shown (offscreen)\n\n");
    const Run fast = download(Recorder::kMaxRecords, false);
    std::printf("1. full register, %d records, unpaced in-process wire\n", Recorder::kMaxRecords);
    if (!fast.complete) {
        std::printf("   did not complete: %s\n", qPrintable(fast.messages));
        return 1;
    }
    std::printf("   request to \" Koniec historii\": %9.0f ms (target: under 1000 ms)\n", ms(fast.requestToEndNs));
    std::printf("   header to end                 : %9.0f ms = %.1f us a record\n", ms(fast.headerToEndNs),
                ms(fast.headerToEndNs) * 1000.0 / Recorder::kMaxRecords);
    std::printf("   same bytes at 4800 baud       : %9.0f ms\n", ms(lineLimitNs(Recorder::kMaxRecords)));
    std::printf("   lines in the list             : %9d\n", fast.lines);
    std::printf("   CPU time (program and simulator): %.0f ms\n\n", fast.cpuMs);

    const Run paced = download(pacedRecords, true);
    std::printf("2. %d records on a line paced at 4800 baud\n", pacedRecords);
    if (!paced.complete) {
        std::printf("   did not complete: %s\n", qPrintable(paced.messages));
        return 1;
    }
    const qint64 limit = lineLimitNs(pacedRecords);
    std::printf("   request to \" Koniec historii\": %9.0f ms\n", ms(paced.requestToEndNs));
    std::printf("   line limit                    : %9.0f ms (request 5 B out, header 6 B, %d x 12 B, end 4 B)\n",
                ms(limit), pacedRecords);
    std::printf("   over the limit                : %9.2f %%\n",
                100.0 * double(paced.requestToEndNs - limit) / double(limit));
    std::printf("   a full register would take    : %9.0f ms on the line\n", ms(lineLimitNs(Recorder::kMaxRecords)));
    std::printf("   CPU time (program and simulator): %.0f ms = %.2f %% of the download\n\n", paced.cpuMs,
                100.0 * paced.cpuMs / ms(paced.requestToEndNs));

    std::printf("3. event list alone, every line painted with the caret following: %.0f coloured lines a second\n",
                appendRate(Recorder::kMaxRecords));
    return 0;
}
