#include "sim/PtyRecorder.h"

#include "sim/SimWire.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#if defined(__linux__)
#include <pty.h>
#include <sys/inotify.h>
#else
#include <util.h>
#endif

namespace {
constexpr qint64 kNsPerMs = 1000000;
constexpr int kRetryMs = 2;      // the program's receive buffer was full
constexpr int kOpenPollMs = 5;   // looking for an open without inotify

// Nobody holds the slave: the master reports a hang-up.
bool hungUp(int master) {
    pollfd p {master, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP);
}
}  // namespace

qint64 PtyRecorder::OutPiece::dueNs(int index) const {
    return paced ? startNs + SimWire::wireTimeNs(index + 1) : startNs;
}

PtyRecorder::PtyRecorder(QObject* parent) : QObject(parent) {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        timerDueNs_ = kNever;
        service();
    });
    openPoll_.setInterval(kOpenPollMs);
    connect(&openPoll_, &QTimer::timeout, this, [this] { checkLineUp(); });
    connect(&recorder_, &Recorder::outputReady, this, [this] { schedule(now()); });

    char name[256] = {};
    int slave = -1;
    if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) {
        error_ = QStringLiteral("openpty: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        master_ = -1;
        return;
    }
    slave_ = slave;
    path_ = QString::fromLocal8Bit(name);
    makeRaw(slave_);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    up_ = true;
    readNotifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, [this] { readMaster(); });
    watchForOpen();
}

PtyRecorder::~PtyRecorder() {
    closeSlave();
    hangUp();
    openNotifier_.reset();
    if (openWatch_ >= 0) ::close(openWatch_);
}

void PtyRecorder::makeRaw(int fd) {
    termios raw {};
    if (::tcgetattr(fd, &raw) != 0) return;
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B4800);
    ::cfsetospeed(&raw, B4800);
    ::tcsetattr(fd, TCSANOW, &raw);
}

void PtyRecorder::watchForOpen() {
#if defined(__linux__)
    openWatch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (openWatch_ >= 0 && ::inotify_add_watch(openWatch_, path_.toLocal8Bit().constData(), IN_OPEN) < 0) {
        ::close(openWatch_);
        openWatch_ = -1;
    }
    if (openWatch_ < 0) return;
    openNotifier_ = std::make_unique<QSocketNotifier>(openWatch_, QSocketNotifier::Read);
    connect(openNotifier_.get(), &QSocketNotifier::activated, this, [this] {
        char events[1024];
        while (::read(openWatch_, events, sizeof events) > 0) {
        }
        if (!up_) checkLineUp();
    });
#endif
}

void PtyRecorder::closeSlave() {
    if (slave_ >= 0) ::close(slave_);
    slave_ = -1;
}

void PtyRecorder::hangUp() {
    readNotifier_.reset();
    openPoll_.stop();
    timer_.stop();
    timerDueNs_ = kNever;
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    inbound_.clear();
    outbound_.clear();
    up_ = false;
}

// ---- The line going down and up

void PtyRecorder::lineDown() {
    if (!up_) return;
    up_ = false;
    if (readNotifier_) readNotifier_->setEnabled(false);
    timer_.stop();
    timerDueNs_ = kNever;
    inbound_.clear();
    outbound_.clear();
    recorder_.lineDropped();
    Q_EMIT lineUpChanged(false);
    if (openWatch_ < 0) openPoll_.start();
    // The program may have opened the device again already.
    checkLineUp();
}

void PtyRecorder::checkLineUp() {
    if (up_ || master_ < 0 || hungUp(master_)) return;
    openPoll_.stop();
    // Linux resets a pty's settings when its last holder closes it; echo must not send the recorder's
    // bytes back to it before the program has set its own.
    makeRaw(master_);
    up_ = true;
    const qint64 t = now();
    inFreeNs_ = t;
    outFreeNs_ = t;
    if (readNotifier_) readNotifier_->setEnabled(true);
    Q_EMIT lineUpChanged(true);
    schedule(t);
}

// ---- Moving bytes

void PtyRecorder::readMaster() {
    if (master_ < 0) return;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            bytesIn_ += n;
            const qint64 t = now();
            for (ssize_t i = 0; i < n; ++i) {
                // Paced, each byte takes its 10 bits after the one before it.
                const qint64 start = qMax(t, inFreeNs_);
                const qint64 arrival = paced() ? start + SimWire::wireTimeNs(1) : t;
                if (paced()) inFreeNs_ = arrival;
                inbound_.enqueue({buffer[i], arrival});
            }
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        // EIO (or end of file): nobody holds the slave any more.
        lineDown();
        return;
    }
    service();
}

// Plays the line forward to now, in time order: bytes reach the recorder, its outputs go on the line
// when they are ready and the line back is free; then writes what is due.
void PtyRecorder::service() {
    if (!up_ || master_ < 0) return;
    const qint64 t = now();
    while (up_) {
        const qint64 inAt = inbound_.isEmpty() ? kNever : inbound_.head().arrivalNs;
        const qint64 outAt =
            recorder_.hasOutput() ? qMax(recorder_.nextOutputReadyAt(), outFreeNs_) : kNever;
        if (qMin(inAt, outAt) > t) break;
        if (inAt <= outAt) {
            const InByte b = inbound_.dequeue();
            recorder_.receive(QByteArray(1, b.byte), b.arrivalNs);
            continue;
        }
        const SimOutput out = recorder_.takeOutput(outAt);
        if (out.kind == SimOutput::Kind::None) break;
        if (out.bytes.isEmpty()) continue;
        OutPiece piece;
        piece.bytes = out.bytes;
        piece.startNs = outAt;
        piece.paced = paced();
        outFreeNs_ = piece.paced ? outAt + SimWire::wireTimeNs(out.bytes.size()) : outAt;
        outbound_.enqueue(piece);
    }
    writeDue(t);
    if (!up_) return;
    qint64 wake = kNever;
    if (!inbound_.isEmpty()) wake = inbound_.head().arrivalNs;
    if (!outbound_.isEmpty()) wake = qMin(wake, outbound_.head().dueNs(outbound_.head().written));
    if (recorder_.hasOutput()) wake = qMin(wake, qMax(recorder_.nextOutputReadyAt(), outFreeNs_));
    schedule(wake);
}

void PtyRecorder::writeDue(qint64 t) {
    while (up_ && !outbound_.isEmpty()) {
        OutPiece& p = outbound_.head();
        if (p.dueNs(p.written) > t) return;
        // Paced, one byte per write; unpaced, the whole output.
        const int count = p.paced ? 1 : int(p.bytes.size()) - p.written;
        const ssize_t n = ::write(master_, p.bytes.constData() + p.written, size_t(count));
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                schedule(t + kRetryMs * kNsPerMs);
                return;
            }
            lineDown();
            return;
        }
        bytesOut_ += n;
        p.written += int(n);
        if (p.written >= p.bytes.size()) outbound_.dequeue();
    }
}

void PtyRecorder::schedule(qint64 wakeNs) {
    if (!up_ || wakeNs == kNever) return;
    if (timer_.isActive() && timerDueNs_ <= wakeNs) return;
    const qint64 t = now();
    const qint64 ms = wakeNs <= t ? 0 : (wakeNs - t + kNsPerMs - 1) / kNsPerMs;
    timerDueNs_ = wakeNs;
    timer_.start(int(qMin<qint64>(ms, std::numeric_limits<int>::max())));
}
