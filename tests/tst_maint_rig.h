#pragma once
// What the maintenance tests share: a window on the simulated recorder, image files, and a driver for
// the modal dialogs.

#include "config/WorkingBuffer.h"
#include "link/Frame.h"
#include "maintenance/FirmwareImage.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/FakePort.h"
#include "support/WindowRig.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace maint {

inline QByteArray imageFile(const QByteArray& firmware, const QByteArray& magic = kFirmwareMagic) {
    QByteArray file = magic + firmware;
    file.append(char(XorOf(file)));
    return file;
}

inline QByteArray firmwareOf(int n) {
    QByteArray bytes(n, '\0');
    for (int i = 0; i < n; ++i) bytes[i] = char((i * 13 + 5) & 0xFF);
    return bytes;
}

// A main window on the in-process wire to a simulated recorder, with a fast tick.
struct SimRig {
    Recorder recorder;
    SimWire wire{&recorder};
    FixedPortCatalog catalog;
    ScriptedPeople people;
    std::unique_ptr<TMain> window;

    explicit SimRig(bool withPort = true) {
        shuttingDown = false;
        if (withPort) catalog.setPorts({{SimWire::defaultPortName(), QStringLiteral("sim")}});
        window = std::make_unique<TMain>(AppDeps{&wire, &catalog, &people, kTestTickMs});
    }
    ~SimRig() {
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
    void runTicks(int ticks) { waitFor([] { return false; }, ticks); }

    // Connects and logs in, then lets the login reply's dispatch finish so that the dialogs' drivers do
    // not run inside it.
    void logIn() {
        w().Button_polacz->click();
        if (!link().st.loggedIn) qFatal("login failed");
        runTicks(1);
        people.clear();
    }
    // Every frame the recorder received with this code, payloads in order.
    QByteArrayList received(quint8 code) const {
        QByteArrayList out;
        for (const Recorder::ReceivedFrame& f : recorder.received())
            if (f.code == code) out.append(f.payload);
        return out;
    }
    QList<quint8> receivedCodes() const {
        QList<quint8> out;
        for (const Recorder::ReceivedFrame& f : recorder.received()) out.append(f.code);
        return out;
    }
};

// Runs `drive` once a modal dialog of type D is up; returns the poller so a test can stop it.
template <class D>
QTimer* whenModal(std::function<void(D*)> drive) {
    auto* poll = new QTimer;
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, [poll, drive] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            drive(d);
        }
    });
    poll->start();
    return poll;
}

struct Files {
    QTemporaryDir dir;
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write test file");
        f.write(bytes);
        return path;
    }
};

}  // namespace maint
