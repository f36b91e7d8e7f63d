#include "link/QtSerialPort.h"

#include "link/Errors.h"

#include <QMetaObject>

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
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() { ClosePort(); }

int QtSerialPort::systemErrorCode(QSerialPort::SerialPortError error, const QString& errorString) {
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
    port_.setReadBufferSize(0);
    lost_ = false;
    if (!port_.open(QIODevice::ReadWrite)) {
        const int code = systemErrorCode(port_.error(), port_.errorString());
        port_.clearError();
        throw PortError(QStringLiteral("Unable to open com port"), code);
    }
    const bool configured = port_.setBaudRate(QSerialPort::Baud4800) && port_.setDataBits(QSerialPort::Data8) &&
                            port_.setParity(QSerialPort::NoParity) &&
                            port_.setStopBits(QSerialPort::OneStop) &&
                            port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const int code = systemErrorCode(port_.error(), port_.errorString());
        port_.close();
        throw PortError(QStringLiteral("Unable to set com port parameters"), code);
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
                        r.systemCode);
}

void QtSerialPort::SetDtrLine(bool on) { setLine(true, on); }
void QtSerialPort::SetRtsLine(bool on) { setLine(false, on); }

qint64 QtSerialPort::WriteBytes(const QByteArray& bytes) {
    if (!port_.isOpen()) throw PortError(QStringLiteral("Port Not Open"));
    const qint64 written = port_.write(bytes);
    if (written < 0) {
        const int code = systemErrorCode(port_.error(), port_.errorString());
        throw PortError(QStringLiteral("Unable to write to com port"), code);
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

void QtSerialPort::ClosePort() {
    if (!port_.isOpen()) return;
    port_.clear();
    port_.close();
}

void QtSerialPort::onReadyRead() {
    // readyRead is not emitted again for bytes that arrive while a slot runs, so take them here until
    // none are waiting. Each notification hands on one chunk.
    if (draining_) return;
    draining_ = true;
    while (port_.isOpen()) {
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
        port_.close();
        QMetaObject::invokeMethod(this, [this, message] { Q_EMIT portLost(message); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
}
