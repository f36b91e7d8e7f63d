// What watching the system's serial ports costs the user-interface thread. A look-up through
// QSerialPortInfo walks the system's device tables; the window looks once a second while it is idle, so
// the look-up runs on a worker thread and the window only starts it and compares the names it brings.
//
// 1. a look-up on the calling thread (what the window would pay without the worker);
// 2. the window's share: starting a look-up, and handling its result with and without a change;
// 3. the longest the user-interface thread went without running a 1 ms timer while the window watched
//    for ten seconds, against ten look-ups made on that thread.

#include "app/MainWindow.h"
#include "link/PortCatalog.h"
#include "link/PortWatcher.h"
#include "support/FakePort.h"
#include "support/ScriptedPeople.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSerialPortInfo>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {
struct Figures {
    QVector<double> ms;
    void add(qint64 ns) { ms.append(double(ns) / 1e6); }
    double median() {
        std::sort(ms.begin(), ms.end());
        return ms.isEmpty() ? 0 : ms.at(ms.size() / 2);
    }
    double worst() const { return ms.isEmpty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

// Runs the event loop for `ms` with a 1 ms timer; the longest gap between its timeouts.
double longestGapMs(int ms, const std::function<void()>& everySecond) {
    QElapsedTimer clock, sinceLast;
    clock.start();
    sinceLast.start();
    qint64 longest = 0;
    QTimer fine;
    fine.setTimerType(Qt::PreciseTimer);
    QObject::connect(&fine, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceLast.nsecsElapsed());
        sinceLast.restart();
    });
    QTimer second;
    QObject::connect(&second, &QTimer::timeout, everySecond);
    fine.start(1);
    second.start(1000);
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return double(longest) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kRuns = 20;

    Figures direct;
    int count = 0;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        count = int(QSerialPortInfo::availablePorts().size());
        direct.add(t.nsecsElapsed());
    }
    std::printf("serial ports on this system: %d\n", count);
    std::printf("1. QSerialPortInfo::availablePorts() on the calling thread, %d runs\n", kRuns);
    std::printf("   median %8.2f ms   worst %8.2f ms\n", direct.median(), direct.worst());

    SystemPortCatalog catalog;
    FakePort port;
    ScriptedPeople people;
    TMain window({&port, &catalog, &people});
    PortWatcher watcher(&catalog);
    Figures start, unchanged, changed;
    QVector<PortEntry> last;
    QObject::connect(&watcher, &PortWatcher::listed, [&](const QVector<PortEntry>& ports) { last = ports; });
    // The first look-up of the program also starts the pool's thread.
    QElapsedTimer first;
    first.start();
    watcher.lookUp();
    const double firstMs = double(first.nsecsElapsed()) / 1e6;
    while (watcher.busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        watcher.lookUp();
        start.add(t.nsecsElapsed());
        while (watcher.busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        t.restart();
        window.portsListed(last);
        unchanged.add(t.nsecsElapsed());
        // An adapter plugged and pulled: the list is rebuilt twice.
        QVector<PortEntry> plugged = last;
        plugged.append({QStringLiteral("ttyUSB9"), QStringLiteral("/dev/ttyUSB9"), true});
        t.restart();
        window.portsListed(plugged);
        window.portsListed(last);
        changed.add(t.nsecsElapsed() / 2);
    }
    std::printf("2. the window's share of one look-up (user-interface thread), %d runs\n", kRuns);
    std::printf("   the program's first, starting the worker thread: %8.3f ms\n", firstMs);
    std::printf("   starting it on the worker      : median %8.3f ms   worst %8.3f ms\n", start.median(), start.worst());
    std::printf("   its result, the same ports     : median %8.3f ms   worst %8.3f ms\n", unchanged.median(),
                unchanged.worst());
    std::printf("   its result, a port plugged     : median %8.3f ms   worst %8.3f ms (list rebuilt)\n",
                changed.median(), changed.worst());

    std::printf("3. longest wait of a 1 ms timer on the user-interface thread over 10 s, one look-up a second\n");
    const double idle = longestGapMs(10000, [] {});
    const double watched = longestGapMs(10000, [&] { watcher.lookUp(); });
    const double onThread = longestGapMs(10000, [] { QSerialPortInfo::availablePorts(); });
    std::printf("   no look-up (the machine's own noise)   : %8.2f ms\n", idle);
    std::printf("   look-ups on the worker (the window)    : %8.2f ms\n", watched);
    std::printf("   look-ups on the user-interface thread  : %8.2f ms\n", onThread);
    return 0;
}
