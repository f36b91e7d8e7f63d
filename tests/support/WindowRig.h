#pragma once
// A main window with a fast tick, a fixed list of ports and scripted people, on a port of the test's
// choosing: FakePort (the test is the far end) or the simulated recorder over the in-process wire.

#include "app/MainWindow.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "link/PortCatalog.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/ScriptedPeople.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

constexpr int kTestTickMs = 5;

struct RigBase {
    FixedPortCatalog catalog;
    ScriptedPeople people;
    std::unique_ptr<TMain> window;

    void makeWindow(SerialPort* port, QVector<PortEntry> ports, int tickMs = kTestTickMs) {
        shuttingDown = false;
        catalog.setPorts(std::move(ports));
        window = std::make_unique<TMain>(AppDeps{port, &catalog, &people, tickMs});
    }
    // The window goes before the port it uses.
    void dropWindow() {
        window.reset();
        shuttingDown = false;
    }
    TMain& w() { return *window; }
    Link& link() { return *window->link(); }

    // Runs events until the condition holds or `ticks` ticks have passed; true when it holds.
    template <class F>
    bool waitFor(F condition, int ticks = 400) {
        const quint64 until = link().tickCount() + quint64(ticks);
        while (!condition() && link().tickCount() < until)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return condition();
    }
    void runTicks(int ticks) {
        waitFor([] { return false; }, ticks);
    }
    bool loggedIn() const { return window->Edit_logon->text() == QLatin1String("ZALOGOWANY"); }
};

template <class Port>
struct WindowRig : RigBase {
    Port port;
    explicit WindowRig(QVector<PortEntry> ports = {{QStringLiteral("COM1"), QStringLiteral("\\\\.\\COM1")}}) {
        makeWindow(&port, std::move(ports));
    }
    ~WindowRig() { dropWindow(); }
};

// The window on the simulated recorder, which is the only port in the list.
struct SimRig : RigBase {
    Recorder recorder;
    SimWire wire{&recorder};
    // A line paced at 4800 baud goes with the product's 100 ms tick: a fast tick would count a frame's
    // own time on the line as a time-out.
    explicit SimRig(int tickMs = kTestTickMs) {
        makeWindow(&wire, {{SimWire::defaultPortName(), QStringLiteral("symulator")}}, tickMs);
    }
    ~SimRig() { dropWindow(); }

    // Clicks "POŁĄCZ": the connect sequence runs to its end inside the click.
    bool login() {
        window->Button_polacz->click();
        return loggedIn();
    }
};
