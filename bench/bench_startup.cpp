// Start-up time to the first shown window and the process's peak memory, on the offscreen platform
// (or the display the environment gives), with the demo's simulated recorder in the port list.

#include "app/AppStyle.h"
#include "app/MainWindow.h"
#include "support/ScriptedPeople.h"
#include "sim/DemoPort.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest/QTest>
#include <cstdio>
#include <memory>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

static long peakKiB() {
#ifdef Q_OS_UNIX
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return -1;
#endif
}

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyAppStyle(app);
    const qint64 appReady = clock.elapsed();
    QObject owner;
    const DemoSimulator sim = MakeDemoSimulator(&owner);
    DemoPortCatalog catalog(std::make_unique<SystemPortCatalog>());
    ScriptedPeople people;
    TMain window({sim.port, &catalog, &people});
    window.show();
    const bool exposed = QTest::qWaitForWindowExposed(&window);
    const qint64 shown = clock.elapsed();
    std::printf("platform              : %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("QApplication ready    : %lld ms\n", appReady);
    std::printf("first window shown    : %lld ms%s\n", shown, exposed ? "" : " (not exposed!)");
    std::printf("peak memory (max RSS) : %.1f MiB\n", double(peakKiB()) / 1024.0);
    return 0;
}
