#pragma once
// What the maintenance tests share: a window on the simulated recorder, image files, and a driver for
// the modal dialogs.

#include "config/WorkingBuffer.h"
#include "link/Frame.h"
#include "maintenance/FirmwareImage.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/FakePort.h"
#include "support/TestFiles.h"
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

// The window on the simulated recorder, which is the only port in the list unless told otherwise.
struct MaintRig : RigBase {
    Recorder recorder;
    SimWire wire{&recorder};

    explicit MaintRig(bool withPort = true) {
        QVector<PortEntry> ports;
        if (withPort) ports.append({SimWire::defaultPortName(), QStringLiteral("symulator")});
        makeWindow(&wire, ports);
    }
    ~MaintRig() { dropWindow(); }

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
        writeTestFile(path, bytes);
        return path;
    }
};

}  // namespace maint
