#include "link/Link.h"

#include "link/ErrorHook.h"
#include "link/Frame.h"
#include "link/People.h"
#include "link/SerialPort.h"

#include <QCoreApplication>
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
}

void Link::startTimer() {
    if (!timer_.isActive()) timer_.start();
}

void Link::SendFrame(quint8 code, const QByteArray& payload) {
    const QByteArray frame = BuildCommandFrame(code, payload);
    st.sending = true;
    // A frame sent while another command awaits its reply (the stop request of a download) must not
    // take that command's place: the wait keeps its own frame and its reply registers.
    if (waitDepth_ == 0) {
        st.txFrame = frame;
        st.replyCode = 0;
        st.replyPayload.clear();
        st.arrivedCodes.reset();
    }
    try {
        port_->WriteBytes(frame);
    } catch (...) {
        st.sending = waitDepth_ > 0;
        throw;
    }
    Q_EMIT frameSent(frame);
    st.sending = waitDepth_ > 0;
    st.pollTicks = 0;
}

bool Link::SendAndWait(quint8 code, const QByteArray& payload, int timeoutTicks) {
    SendFrame(code, payload);
    const bool ok = WaitReply(timeoutTicks, code);
    sleepBlocking(10);
    return ok;
}

bool Link::WaitReply(int timeoutTicks, quint8 code) {
    bool result = false;
    {
        WaitScope scope(waitDepth_);
        st.sending = true;
        int resendsLeft = kResends;
        st.timeoutTicks = quint16(timeoutTicks);
        bool first = true;
        try {
            for (;;) {
                QCoreApplication::processEvents(first ? QEventLoop::AllEvents : QEventLoop::WaitForMoreEvents);
                first = false;
                if (shuttingDown) break;
                if (st.arrivedCodes.test(code)) {
                    result = true;
                    break;
                }
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
                break;
            }
        } catch (...) {
            st.sending = waitDepth_ > 1;
            st.pollTicks = 0;
            throw;
        }
    }
    st.sending = waitDepth_ > 0;
    st.pollTicks = 0;
    // The awaited reply, and what came before it, is applied to the window before the caller goes on.
    if (result && !dispatching_) dispatchPending();
    if (!busy()) schedulePendingActions();
    return result;
}

void Link::PausePumping(int n) {
    for (int i = 0; i < n && !shuttingDown; ++i) {
        sleepBlocking(kProductTickMs);
        processPendingEvents();
    }
}

void Link::sleepBlocking(int ms) {
    const int scaled = ms * tickMs_ / kProductTickMs;
    if (scaled > 0) QThread::msleep(ulong(scaled));
}

void Link::processPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Link::ComPortRxChar(int count) {
    st.lastSingleByte = '.';
    const QByteArray bytes = port_->ReadBytes(count);
    if (bytes.size() == 1) st.lastSingleByte = quint8(bytes.at(0));
    st.assembler.rxBuffer.append(bytes);
    const QVector<ReplyFrame> frames = AssembleAll(st.assembler);
    for (const ReplyFrame& frame : frames) {
        st.replyCode = frame.code;
        st.replyPayload = frame.payload;
        st.arrivedCodes.set(frame.code);
        dispatchQueue_.enqueue(frame);
    }
    if (!frames.isEmpty()) scheduleDispatch();
}

void Link::resetReceiver() {
    st.assembler = AssemblerState();
    dispatchQueue_.clear();
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
    if (!busy()) schedulePendingActions();
}

void Link::TimerTimer() {
    ++tickCount_;
    if (st.timeoutTicks > 0) --st.timeoutTicks;
    if (++st.pollTicks >= kPollEvery) {
        st.pollTicks = 0;
        // The exchange runs outside the tick, so the tick keeps counting while it waits.
        if (st.loggedIn && st.pollingEnabled && !st.sending && !statusScheduled_) {
            statusScheduled_ = true;
            QMetaObject::invokeMethod(this, [this] { runStatusRequest(); }, Qt::QueuedConnection);
        }
    }
}

void Link::runStatusRequest() {
    statusScheduled_ = false;
    if (shuttingDown || busy() || !st.loggedIn || !st.pollingEnabled || st.sending || !port_->Connected())
        return;
    guarded([this] { SendAndWait(kStatusCode, QByteArrayLiteral("G"), kStatusTimeout); });
}

void Link::runWhenIdle(std::function<void()> action) {
    if (!busy()) {
        guarded(action);
        return;
    }
    pendingActions_.enqueue(std::move(action));
}

void Link::schedulePendingActions() {
    if (pendingActions_.isEmpty() || pendingScheduled_) return;
    pendingScheduled_ = true;
    QMetaObject::invokeMethod(this, [this] { runPendingActions(); }, Qt::QueuedConnection);
}

void Link::runPendingActions() {
    pendingScheduled_ = false;
    while (!pendingActions_.isEmpty() && !busy()) {
        auto action = pendingActions_.dequeue();
        guarded(action);
    }
}
