#pragma once
// The simulated recorder behind a real pseudo-terminal: the program opens the slave side with its real
// QSerialPort back end, the recorder reads and writes the master side.

#include "sim/Recorder.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QString>
#include <fcntl.h>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class PtyRecorder {
public:
    Recorder recorder;

    PtyRecorder() {
        char name[256] = {};
        int slave = -1;
        if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
        // Keep a slave descriptor open only until the program has opened the device itself.
        slave_ = slave;
        path_ = QString::fromLocal8Bit(name);
        termios raw {};
        tcgetattr(slave_, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        clock_.start();
        notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readMaster(); });
        QObject::connect(&recorder, &Recorder::outputReady, [this] { pump(); });
    }
    ~PtyRecorder() {
        notifier_.reset();
        closeSlave();
        hangUp();
    }

    bool ok() const { return master_ >= 0; }
    QString path() const { return path_; }
    void closeSlave() {
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }
    // The far end goes away, as when the cable or adapter is pulled.
    void hangUp() {
        notifier_.reset();
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    qint64 now() const { return clock_.nsecsElapsed(); }
    void readMaster() {
        char buffer[512];
        for (;;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            recorder.receive(QByteArray(buffer, int(n)), now());
        }
        pump();
    }
    void pump() {
        while (master_ >= 0 && recorder.hasOutput() && recorder.nextOutputReadyAt() <= now()) {
            const SimOutput out = recorder.takeOutput(now());
            if (out.kind == SimOutput::Kind::None) break;
            const ssize_t written = ::write(master_, out.bytes.constData(), size_t(out.bytes.size()));
            Q_UNUSED(written);
        }
    }

    int master_ = -1;
    int slave_ = -1;
    QString path_;
    QElapsedTimer clock_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
