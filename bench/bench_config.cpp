// A full configuration read and a full write against the simulator paced at 4800 baud, with the
// product's 100 ms tick, next to the wire's own limit for the same bytes plus the fixed pauses.

#include "app/MainWindow.h"
#include "config/ConfigArea.h"
#include "config/ConfigItems.h"
#include "config/ConfigTransfer.h"
#include "link/Link.h"
#include "link/PortCatalog.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/ScriptedPeople.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <ctime>

namespace {
double wireMs(qint64 bytes) { return double(SimWire::wireTimeNs(bytes)) / 1e6; }

struct Measure {
    double wallMs;
    double cpuMs;
};

template <class F>
Measure measure(F f) {
    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpu = std::clock();
    f();
    return {double(wall.nsecsElapsed()) / 1e6, 1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC};
}

void report(const char* what, const Measure& m, double limitMs) {
    std::printf("%-6s: %8.0f ms   limit %8.0f ms   over the limit %+5.2f %%   CPU %6.0f ms (%.1f %% of wall)\n", what,
                m.wallMs, limitMs, 100.0 * (m.wallMs - limitMs) / limitMs, m.cpuMs, 100.0 * m.cpuMs / m.wallMs);
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Recorder recorder;
    SimWire wire(&recorder);
    SimFaults faults;
    faults.paced = true;
    recorder.setFaults(faults);
    FixedPortCatalog catalog({{SimWire::defaultPortName(), QStringLiteral("symulator")}});
    ScriptedPeople people;
    TMain window({&wire, &catalog, &people});
    window.Button_polacz->click();
    if (window.Edit_logon->text() != QLatin1String("ZALOGOWANY")) {
        std::printf("login failed: %s\n", qPrintable(people.shown.join(" | ")));
        return 1;
    }
    while (window.link()->exchangeActive() || window.link()->st.sending)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    // The bytes each direction carries, at 10 bits a byte: request and item, then frame and acknowledgement.
    qint64 readBytes = 0, writeBytes = 0;
    for (const ConfigItem& item : configItems()) readBytes += 5 + 4 + recorder.itemForCode(item.readCode).size();
    const double pauses = 500.0 + 41 * 10.0;

    const Measure read = measure([&] { window.configTransfer->ReadConfiguration(); });
    const ConfigValues values = window.Config->values();
    for (const ConfigItem& item : configItems()) writeBytes += 4 + EncodeItem(item, values).size() + 4;
    const Measure write = measure([&] { window.configTransfer->WriteConfiguration(); });
    std::printf("41 items, simulator paced at 4800 baud, 100 ms tick; limit = wire time + 0.5 s + 41 x 10 ms\n");
    report("read", read, wireMs(readBytes) + pauses);
    report("write", write, wireMs(writeBytes) + pauses);
    if (!people.shown.isEmpty()) std::printf("messages: %s\n", qPrintable(people.shown.join(" | ")));
    return 0;
}
