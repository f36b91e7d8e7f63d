#include "link/Link.h"

#include "link/ErrorHook.h"
#include "link/Frame.h"
#include "link/People.h"
#include "link/SerialPort.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QThread>

namespace {
constexpr int kResends = 2;
constexpr int kStatusTimeout = 10;
constexpr int kPollEvery = 10;
constexpr quint8 kSilentCode = 80;

struct WaitScope {
    int& depth;
    explicit WaitScope(int& d) : depth(d) { ++depth; }
    ~WaitScope() { --depth; }
};
}  // namespace

Link::Link(SerialPort* port, People* people, int tickMs, QObject* parent)
    : QObject(parent), port_(port), people_(people), tickMs_(tickMs) {
    timer_.setInterval(tickMs_);
    timer_.setTimerType(tickMs_ < kProductTickMs ? Qt::PreciseTimer : Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded([this] { TimerTimer(); }); });
    connect(port_, &SerialPort::OnRxChar, this, [this](int count) { guarded([&] { ComPortRxChar(count); }); });
    activity_.setLoginSource(&st.loggedIn);
}

void Link::startTimer() {
    if (!timer_.isActive()) timer_.start();
}

void Link::SendFrame(quint8 code, const QByteArray& payload) {
    const QByteArray frame = BuildCommandFrame(code, payload);
    // The pause that follows every exchange also follows the status exchange, which has no caller to
    // sleep after it.
    if (sinceExchange_.isValid()) {
        const qint64 quietMs = 10 * qint64(tickMs_) / kProductTickMs - sinceExchange_.elapsed();
        sinceExchange_.invalidate();
        if (quietMs > 0) QThread::msleep(ulong(quietMs));
    }
    st.sending = true;
    // A frame sent while another command awaits its reply (the stop request of a download) must not
    // take that command's place: the wait keeps its own frame and its reply registers.
    if (waitDepth_ == 0) {
        st.txFrame = frame;
        st.replyCode = 0;
        st.replyPayload.clear();
        for (int c = 0; c < 256 && st.arrivedCodes.any(); ++c)
            if (st.arrivedCodes.test(size_t(c))) {
                st.arrivedCodes.reset(size_t(c));
                st.arrivedPayloads[size_t(c)].clear();
            }
    }
    try {
        port_->WriteBytes(frame);
    } catch (...) {
        st.sending = waitDepth_ > 0 || statusPending_;
        throw;
    }
    Q_EMIT frameSent(frame);
    st.sending = waitDepth_ > 0 || statusPending_;
    st.pollTicks = 0;
}

bool Link::SendAndWait(quint8 code, const QByteArray& payload, int timeoutTicks) {
    SendFrame(code, payload);
    const bool ok = WaitReply(timeoutTicks, code);
    sleepBlocking(10);
    return ok;
}

bool Link::WaitReply(int timeoutTicks, quint8 code) { return waitFor(timeoutTicks, code, kResends, true, {}); }

bool Link::awaitReply(int timeoutTicks, quint8 code, const std::function<bool()>& giveUp) {
    return waitFor(timeoutTicks, code, 0, false, giveUp);
}

bool Link::waitFor(int timeoutTicks, quint8 code, int resends, bool reportSilence, const std::function<bool()>& giveUp) {
    bool result = false;
    const quint64 startTick = tickCount_;
    const int outerCode = awaitedCode_;
    awaitedCode_ = code;
    const auto restoreCode = qScopeGuard([&] { awaitedCode_ = outerCode; });
    {
        WaitScope scope(waitDepth_);
        st.sending = true;
        int resendsLeft = resends;
        st.timeoutTicks = quint16(timeoutTicks);
        bool first = true;
        try {
            for (;;) {
                QCoreApplication::processEvents(first ? QEventLoop::AllEvents : QEventLoop::WaitForMoreEvents);
                first = false;
                if (shuttingDown) break;
                if (giveUp && giveUp()) break;
                if (st.arrivedCodes.test(code)) {
                    result = true;
                    break;
                }
                if (interrupted()) break;
                if (!port_->Connected()) {
                    // The port went away under the wait; whoever closed it has told the user.
                    if (host_) host_->EnterLoggedOut();
                    break;
                }
                if (st.timeoutTicks != 0) continue;
                if (resendsLeft > 0) {
                    --resendsLeft;
                    st.timeoutTicks = quint16(timeoutTicks);
                    port_->WriteBytes(st.txFrame);
                    Q_EMIT frameSent(st.txFrame);
                    processPendingEvents();
                    continue;
                }
                if (reportSilence) noAnswer(code);
                break;
            }
        } catch (...) {
            st.sending = waitDepth_ > 1 || statusPending_;
            st.pollTicks = 0;
            throw;
        }
    }
    st.sending = waitDepth_ > 0 || statusPending_;
    st.pollTicks = 0;
    Q_EMIT waitEnded(code, timeoutTicks, tickCount_ - startTick);
    // The awaited reply, and what came before it, is applied to the window before the caller goes on.
    if (result && !dispatching_) dispatchPending();
    return result;
}

void Link::noAnswer(quint8 code) {
    if (code != kSilentCode) {
        people_->beep();
        people_->error(QStringLiteral("Brak odpowiedzi z MX-4"));
        if (host_) {
            host_->DropConnection();
            host_->EnterLoggedOut();
        }
    }
    processPendingEvents();
    if (host_) host_->EnterLoggedOut();
}

void Link::PausePumping(int n, bool evenWhenShuttingDown) {
    for (int i = 0; i < n && (evenWhenShuttingDown || !shuttingDown) && !interrupted(); ++i) {
        sleepBlocking(kProductTickMs);
        processPendingEvents();
    }
}

void Link::sleepBlocking(int ms) {
    const int scaled = ms * tickMs_ / kProductTickMs;
    if (scaled > 0) QThread::msleep(ulong(scaled));
}

void Link::processPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Link::processNonInputEvents() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void Link::ComPortRxChar(int count) {
    st.lastSingleByte = '.';
    const QByteArray bytes = port_->ReadBytes(count);
    if (bytes.size() == 1) st.lastSingleByte = quint8(bytes.at(0));
    st.assembler.rxBuffer.append(bytes);
    const QVector<ReplyFrame> frames = AssembleAll(st.assembler);
    for (const ReplyFrame& frame : frames) {
        st.replyCode = frame.code;
        st.replyPayload = frame.payload;
        if (!st.arrivedCodes.test(frame.code)) {
            st.arrivedCodes.set(frame.code);
            st.arrivedPayloads[frame.code] = frame.payload;
        }
        dispatchQueue_.enqueue(frame);
        if (frame.code == kStatusCode && statusPending_) finishStatus();
    }
    // The rest of a frame comes at 4800 baud, about 2 ms a byte: the port need not wake us for each.
    // While the register streams in, record follows record with no pause and the list is redrawn a few
    // times a second: the records may as well come a tick's worth of the line at a time.
    int wanted = BytesStillExpected(st.assembler);
    if (activity_.is(Activity::Downloading) || activity_.is(Activity::Stopping))
        wanted = qMax(wanted, qMax(kShortestReplyFrame, tickMs_ * 480 / 1000));
    port_->expectBytes(wanted);
    if (!frames.isEmpty()) scheduleDispatch();
}

void Link::resetReceiver() {
    st.assembler = AssemblerState();
    port_->expectBytes(1);
    dispatchQueue_.clear();
    statusPending_ = false;
    st.sending = waitDepth_ > 0;
}

void Link::scheduleDispatch() {
    if (dispatchScheduled_) return;
    dispatchScheduled_ = true;
    QMetaObject::invokeMethod(this, [this] { dispatchPending(); }, Qt::QueuedConnection);
}

void Link::dispatchPending() {
    dispatchScheduled_ = false;
    // A dispatch already running further down the stack takes the frames in order when it resumes.
    if (dispatching_) return;
    dispatching_ = true;
    while (!dispatchQueue_.isEmpty()) {
        const ReplyFrame frame = dispatchQueue_.dequeue();
        guarded([&] {
            if (host_) host_->DispatchReply(frame.code, frame.payload);
        });
    }
    dispatching_ = false;
}

void Link::TimerTimer() {
    ++tickCount_;
    if (st.timeoutTicks > 0) --st.timeoutTicks;
    if (statusPending_) {
        if (!port_->Connected()) {
            // The port's loss has been reported by whoever saw it; the exchange is simply over.
            statusPending_ = false;
            st.sending = waitDepth_ > 0;
        } else if (statusTicks_ > 0 && --statusTicks_ == 0 && !statusTimeoutQueued_) {
            // Not inside the tick: the box of a missing answer would hold the tick back.
            statusTimeoutQueued_ = true;
            QMetaObject::invokeMethod(this, [this] { guarded([this] { statusTimedOut(); }); }, Qt::QueuedConnection);
        }
    }
    if (++st.pollTicks >= kPollEvery) {
        st.pollTicks = 0;
        if (mayPoll() && !statusScheduled_) {
            statusScheduled_ = true;
            QMetaObject::invokeMethod(this, [this] { guarded([this] { runStatusRequest(); }); }, Qt::QueuedConnection);
        }
    }
}

bool Link::mayPoll() const {
    return !shuttingDown && st.loggedIn && st.pollingEnabled && !st.sending && !statusPending_ && waitDepth_ == 0 &&
           activity_.is(Activity::LoggedIn) && port_->Connected();
}

void Link::runStatusRequest() {
    statusScheduled_ = false;
    if (!mayPoll()) return;
    statusPending_ = true;
    statusResendsLeft_ = kResends;
    statusTicks_ = kStatusTimeout;
    Q_EMIT statusRequested();
    try {
        SendFrame(kStatusCode, QByteArrayLiteral("G"));
    } catch (...) {
        statusPending_ = false;
        st.sending = waitDepth_ > 0;
        throw;
    }
}

void Link::statusTimedOut() {
    statusTimeoutQueued_ = false;
    if (!statusPending_ || statusTicks_ > 0) return;
    if (statusResendsLeft_ > 0) {
        --statusResendsLeft_;
        statusTicks_ = kStatusTimeout;
        try {
            port_->WriteBytes(st.txFrame);
        } catch (...) {
            statusPending_ = false;
            st.sending = waitDepth_ > 0;
            throw;
        }
        Q_EMIT frameSent(st.txFrame);
        st.pollTicks = 0;
        return;
    }
    statusPending_ = false;
    st.sending = waitDepth_ > 0;
    st.pollTicks = 0;
    noAnswer(kStatusCode);
}

void Link::finishStatus() {
    statusPending_ = false;
    st.sending = waitDepth_ > 0;
    st.pollTicks = 0;
    keepQuietAfterExchange();
}

void Link::keepQuietAfterExchange() { sinceExchange_.start(); }

void Link::waitLineFree() {
    while (statusPending_ && port_->Connected() && !shuttingDown)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
