#pragma once
// The exchange engine: send a frame, wait for its reply with time-out and resends, receive and assemble
// reply frames, the 100 ms tick and the periodic status request.
//
// Waits run window events and block between them: the tick guarantees a wake-up at least every tick,
// and the CPU sleeps while the recorder is silent. Replies are dispatched one at a time and in order,
// each taken out of the buffer before it is handed on. Commands the user starts while an exchange is
// under way run after it (runWhenIdle), so a wait only ever resends its own frame.

#include "link/LinkState.h"

#include <QObject>
#include <QQueue>
#include <QTimer>
#include <functional>

class SerialPort;
class People;

// What the link needs from the window around it.
class LinkHost {
public:
    virtual ~LinkHost() = default;
    virtual void DispatchReply(quint8 code, const QByteArray& payload) = 0;
    virtual void DropConnection() = 0;
    virtual void EnterLoggedOut() = 0;
};

class Link : public QObject {
    Q_OBJECT
public:
    static constexpr int kProductTickMs = 100;
    static constexpr quint8 kStatusCode = 253;

    Link(SerialPort* port, People* people, int tickMs = kProductTickMs, QObject* parent = nullptr);
    void setHost(LinkHost* host) { host_ = host; }

    LinkState st;
    SerialPort* port() const { return port_; }
    People* people() const { return people_; }

    // Builds a command frame and writes it; no wait. Throws FrameError or PortError.
    void SendFrame(quint8 code, const QByteArray& payload);
    // SendFrame, WaitReply with the same code, then a 10 ms pause.
    bool SendAndWait(quint8 code, const QByteArray& payload, int timeoutTicks);
    // Waits for a reply with this code: three tries of `timeoutTicks` each, then "Brak odpowiedzi z MX-4"
    // (silent for code 80), DropConnection and EnterLoggedOut.
    bool WaitReply(int timeoutTicks, quint8 code);
    // n times: sleep one tick's worth of 100 ms, then process pending window events.
    void PausePumping(int n);
    // A blocking pause of `ms` product milliseconds (shorter when the tick runs faster).
    void sleepBlocking(int ms);
    // Process the window events that are pending, without waiting for more.
    void processPendingEvents();

    // The 100 ms timer: on at start-up and again at each connect.
    void startTimer();
    QTimer* timer() { return &timer_; }
    int tickMs() const { return tickMs_; }
    quint64 tickCount() const { return tickCount_; }

    // Runs `action` now when no exchange or dispatch is under way, otherwise as soon as it has ended.
    void runWhenIdle(std::function<void()> action);
    bool exchangeActive() const { return waitDepth_ > 0; }

    // The receive notification and the tick; public for the tests.
    void ComPortRxChar(int count);
    void TimerTimer();

    // Empties the receive buffer (at each port open, so a partial frame left from an earlier connection
    // cannot swallow the next replies).
    void resetReceiver();

Q_SIGNALS:
    void frameSent(const QByteArray& frame);

private:
    void scheduleDispatch();
    void dispatchPending();
    void runStatusRequest();
    void schedulePendingActions();
    void runPendingActions();
    bool busy() const { return waitDepth_ > 0 || dispatching_; }

    SerialPort* port_;
    People* people_;
    LinkHost* host_ = nullptr;
    int tickMs_;
    QTimer timer_;
    quint64 tickCount_ = 0;
    int waitDepth_ = 0;
    bool dispatching_ = false;
    bool dispatchScheduled_ = false;
    bool statusScheduled_ = false;
    bool pendingScheduled_ = false;
    QQueue<ReplyFrame> dispatchQueue_;
    QQueue<std::function<void()>> pendingActions_;
};
