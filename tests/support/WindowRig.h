#pragma once
// A main window on a port, a fixed list of ports and scripted people, with a fast tick.

#include "app/MainWindow.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "link/PortCatalog.h"
#include "support/ScriptedPeople.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

constexpr int kTestTickMs = 5;

template <class Port>
struct WindowRig {
    Port port;
    FixedPortCatalog catalog;
    ScriptedPeople people;
    std::unique_ptr<TMain> window;

    explicit WindowRig(QVector<PortEntry> ports = {{QStringLiteral("COM1"), QStringLiteral("\\\\.\\COM1")}}) {
        shuttingDown = false;
        catalog.setPorts(std::move(ports));
        window = std::make_unique<TMain>(AppDeps{&port, &catalog, &people, kTestTickMs});
    }
    ~WindowRig() {
        shuttingDown = false;
        window.reset();
    }
    TMain& w() { return *window; }
    Link& link() { return *window->link(); }

    // Runs events until the condition holds or `ticks` ticks have passed; true when it holds.
    template <class F>
    bool waitFor(F condition, int ticks = 400) {
        const quint64 until = link().tickCount() + quint64(ticks);
        while (!condition() && link().tickCount() < until)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return condition();
    }
    void runTicks(int ticks) {
        waitFor([] { return false; }, ticks);
    }
};
