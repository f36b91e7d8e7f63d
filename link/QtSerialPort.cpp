#include "link/QtSerialPort.h"

#include "link/Errors.h"

#include <QMetaObject>
#include <QSocketNotifier>

#ifdef Q_OS_WIN
static constexpr int kAccessDenied = 5;  // ERROR_ACCESS_DENIED, also for a port in use
static constexpr int kBusy = 5;
static constexpr int kNotFound = 2;  // ERROR_FILE_NOT_FOUND
static constexpr int kOther = 31;    // ERROR_GEN_FAILURE
#else
#include <cerrno>
static constexpr int kAccessDenied = EACCES;
static constexpr int kBusy = EBUSY;
static constexpr int kNotFound = ENOENT;
static constexpr int kOther = EIO;
#endif

QtSerialPort::QtSerialPort(QObject* parent) : SerialPort(parent) {
    gatherTimer_.setSingleShot(true);
    gatherTimer_.setTimerType(Qt::PreciseTimer);
    connect(&gatherTimer_, &QTimer::timeout, this, &QtSerialPort::takeHeld);
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() { ClosePort(); }

int QtSerialPort::systemErrorCode(QSerialPort::SerialPortError error, const QString& errorString) {
#ifndef Q_OS_WIN
    // Qt passes on the system's words for a failed call, and they say more than its error kinds: a port
    // in use and a port without access are both a PermissionError.
    for (const int code : {EBUSY, EACCES, ENOENT, ENODEV, ENXIO, EIO})
        if (errorString == qt_error_string(code)) return code;
#endif
    switch (error) {
    case QSerialPort::PermissionError:
        // Qt reports a port held by another program as a failure to take its lock.
        return errorString.contains(QLatin1String("lock"), Qt::CaseInsensitive) ? kBusy : kAccessDenied;
    case QSerialPort::OpenError:
        return kBusy;
    case QSerialPort::DeviceNotFoundError:
        return kNotFound;
    default:
        return kOther;
    }
}

void QtSerialPort::OpenPort() {
    if (port_.isOpen()) return;
    port_.setPortName(name_);
    release();
    lost_ = false;
    if (!port_.open(QIODevice::ReadWrite)) {
        const QString reason = port_.errorString();
        const int code = systemErrorCode(port_.error(), reason);
        port_.clearError();
        throw PortError(QStringLiteral("Unable to open com port"), code, name_, reason);
    }
    const bool configured = port_.setBaudRate(QSerialPort::Baud4800) && port_.setDataBits(QSerialPort::Data8) &&
                            port_.setParity(QSerialPort::NoParity) &&
                            port_.setStopBits(QSerialPort::OneStop) &&
                            port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const QString reason = port_.errorString();
        const int code = systemErrorCode(port_.error(), reason);
        port_.close();
        throw PortError(QStringLiteral("Unable to set com port parameters"), code, name_, reason);
    }
    // Linux raises both lines on open; they stay low until the caller raises them. A driver that refuses
    // leaves the port closed, as every failed open does.
    try {
        SetDtrLine(false);
        SetRtsLine(false);
    } catch (...) {
        port_.close();
        throw;
    }
    port_.clear();
}

QtSerialPort::LineResult QtSerialPort::driverSetLine(bool dtrLine, bool on) {
    LineResult r;
    r.ok = dtrLine ? port_.setDataTerminalReady(on) : port_.setRequestToSend(on);
    if (!r.ok) {
        r.unsupported = port_.error() == QSerialPort::UnsupportedOperationError;
        r.systemCode = systemErrorCode(port_.error(), port_.errorString());
    }
    port_.clearError();
    return r;
}

void QtSerialPort::setLine(bool dtrLine, bool on) {
    (dtrLine ? dtr_ : rts_) = on;
    if (!port_.isOpen()) return;
    const LineResult r = driverSetLine(dtrLine, on);
    // A pseudo-terminal or a bare adapter has no modem lines: that is a port without lines, not a
    // broken port.
    if (!r.ok && !r.unsupported)
        throw PortError(dtrLine ? QStringLiteral("Unable to set DTR line") : QStringLiteral("Unable to set RTS line"),
                        r.systemCode, name_);
}

void QtSerialPort::SetDtrLine(bool on) { setLine(true, on); }
void QtSerialPort::SetRtsLine(bool on) { setLine(false, on); }

qint64 QtSerialPort::WriteBytes(const QByteArray& bytes) {
    if (!port_.isOpen()) throw PortError(QStringLiteral("Port Not Open"));
    const qint64 written = port_.write(bytes);
    if (written < 0) {
        const QString reason = port_.errorString();
        const int code = systemErrorCode(port_.error(), reason);
        throw PortError(QStringLiteral("Unable to write to com port"), code, name_, reason);
    }
    // write() only queues; the frame must be on its way before any blocking pause that follows it.
    port_.waitForBytesWritten(100 * bytes.size() + 1000);
    return written;
}

QByteArray QtSerialPort::ReadBytes(int n) {
    if (!port_.isOpen() || n <= 0) return {};
    return port_.read(n);
}

int QtSerialPort::bytesWaiting() const { return port_.isOpen() ? int(port_.bytesAvailable()) : 0; }

QSocketNotifier* QtSerialPort::lineWatch() {
    // Qt's Unix back end watches the line with a read notifier of its own, a child of the port; on a
    // system without one (Windows) the port is never held and wakes at every chunk, as before.
    if (!lineWatch_)
        for (QSocketNotifier* n : port_.findChildren<QSocketNotifier*>())
            if (n->type() == QSocketNotifier::Read && n->socket() == port_.handle()) lineWatch_ = n;
    return lineWatch_;
}

void QtSerialPort::expectBytes(int count) {
    expected_ = qMax(1, count);
    if (expected_ == 1) {
        release();
        return;
    }
    if (holding_ || !draining_ || !port_.isOpen()) return;
    QSocketNotifier* watch = lineWatch();
    if (!watch || !watch->isEnabled()) return;
    // Called while a chunk is handed on: the frame is coming in now, a byte every 2.08 ms at 4800 baud
    // (10 bits a byte). Leave the line alone until the bytes it still needs have had their time,
    // rounded up to the next millisecond, and take them in one read then.
    holding_ = true;
    watch->setEnabled(false);
    gatherTimer_.start((expected_ * 10 * 1000 + 4799) / 4800);
}

void QtSerialPort::release() {
    gatherTimer_.stop();
    if (!holding_) return;
    holding_ = false;
    if (lineWatch_ && port_.isOpen()) lineWatch_->setEnabled(true);
}

void QtSerialPort::takeHeld() {
    if (!holding_) return;
    release();
    // What the line holds now, in one read; a hung-up line reports its error from here.
    if (port_.isOpen()) port_.waitForReadyRead(0);
    if (port_.isOpen() && port_.bytesAvailable() > 0) handOn();
}

void QtSerialPort::ClosePort() {
    release();
    lineWatch_ = nullptr;  // Qt makes a new one when the port opens again
    expected_ = 1;
    if (!port_.isOpen()) return;
    port_.clear();
    port_.close();
}

void QtSerialPort::onReadyRead() {
    // While held, bytes that Qt took on its own (waiting for a write to leave) stay until the hold ends.
    if (!holding_) handOn();
}

void QtSerialPort::handOn() {
    // readyRead is not emitted again for bytes that arrive while a slot runs, so take them here until
    // none are waiting. Each notification hands on one chunk.
    if (draining_) return;
    draining_ = true;
    while (port_.isOpen() && !holding_) {
        const int waiting = int(port_.bytesAvailable());
        if (waiting <= 0) break;
        Q_EMIT OnRxChar(waiting);
        if (port_.isOpen() && port_.bytesAvailable() >= waiting) break;  // nobody read them
    }
    draining_ = false;
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError: {
        // A vanished device: Qt 6.4 repeats ReadError endlessly on a hung-up line while isOpen() stays
        // true. Close at the first one and report it once, after this handler has returned.
        if (lost_ || !port_.isOpen()) return;
        lost_ = true;
        const QString message = QStringLiteral("Port %1 przestał działać (%2)").arg(name_, port_.errorString());
        release();
        lineWatch_ = nullptr;
        expected_ = 1;
        port_.close();
        QMetaObject::invokeMethod(this, [this, message] { Q_EMIT portLost(message); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
}
