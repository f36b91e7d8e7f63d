#pragma once
// The exchange engine: send a frame, wait for its reply with time-out and resends, receive and assemble
// reply frames, the 100 ms tick and the periodic status request.
//
// Waits run window events and block between them: the tick guarantees a wake-up at least every tick,
// and the CPU sleeps while the recorder is silent. Replies are dispatched one at a time and in order,
// each taken out of the buffer before it is handed on. The periodic status request is an exchange of its
// own that never nests: it goes out from the tick's queue, its reply ends it, and its resends and its
// time-out are counted by the tick. A command that starts while it is on the line waits for it first
// (waitLineFree), so only one exchange is ever on the line.

#include "link/Activity.h"
#include "link/LinkState.h"

#include <QElapsedTimer>
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
    // One try of `timeoutTicks` for a reply with this code: no resend, and nothing said or dropped when
    // none comes (the search for a recorder asks each port once). `giveUp`, asked after every pass of
    // events, ends the wait early. True when the reply came.
    bool awaitReply(int timeoutTicks, quint8 code, const std::function<bool()>& giveUp = {});
    // The payload of the first frame with this code since the last awaited send: what a successful wait
    // saw, even when later frames have replaced replyPayload.
    QByteArray replyPayloadOf(quint8 code) const { return st.arrivedPayloads[code]; }
    // n times: sleep one tick's worth of 100 ms, then process pending window events. A closing window
    // ends the pause early, except the pause of the shutdown itself.
    void PausePumping(int n, bool evenWhenShuttingDown = false);
    // A blocking pause of `ms` product milliseconds (shorter when the tick runs faster).
    void sleepBlocking(int ms);
    // Process the window events that are pending, without waiting for more.
    void processPendingEvents();
    // The same, but the person's clicks and keys wait for the next full pass (a reply is being applied).
    void processNonInputEvents();

    // What the window is doing; the status request goes out only while LoggedIn.
    ActivityState& activity() { return activity_; }
    const ActivityState& activity() const { return activity_; }
    // Returns once the status exchange on the line, if any, has ended (answered, given up, or the port
    // has gone). Commands call it before their first frame.
    void waitLineFree();
    bool statusPending() const { return statusPending_; }
    // Waits running now (nested waits would mean two exchanges at once), and the code the innermost
    // one waits for (-1 when none runs).
    int waitDepth() const { return waitDepth_; }
    int awaitedCode() const { return awaitedCode_; }

    // Someone has asked the running command to end (mx4ctl's Ctrl-C): while this says so, a wait ends at
    // once without an answer and without telling anyone or logging out, and a pause ends early. The
    // command then ends at its next safe point; the logout at its end runs with the source saying no.
    void setInterruptSource(std::function<bool()> source) { interruptSource_ = std::move(source); }
    bool interrupted() const { return interruptSource_ && interruptSource_(); }

    // The 100 ms timer: on at start-up and again at each connect.
    void startTimer();
    QTimer* timer() { return &timer_; }
    int tickMs() const { return tickMs_; }
    quint64 tickCount() const { return tickCount_; }

    // An exchange is on the line: a command's wait or the status request.
    bool exchangeActive() const { return waitDepth_ > 0 || statusPending_; }

    // The receive notification and the tick; public for the tests.
    void ComPortRxChar(int count);
    void TimerTimer();

    // Empties the receive buffer (at each port open, so a partial frame left from an earlier connection
    // cannot swallow the next replies).
    void resetReceiver();

Q_SIGNALS:
    void frameSent(const QByteArray& frame);
    // A wait has ended: its code, its time-out and how many ticks it took.
    void waitEnded(quint8 code, int timeoutTicks, quint64 ticks);
    // A new status exchange begins (not its resends).
    void statusRequested();

private:
    void scheduleDispatch();
    void dispatchPending();
    bool mayPoll() const;
    void runStatusRequest();
    void statusTimedOut();
    void finishStatus();
    // Three tries have gone unanswered: the box, the connection dropped, logged out (silent for code 80).
    void noAnswer(quint8 code);
    bool waitFor(int timeoutTicks, quint8 code, int resends, bool reportSilence, const std::function<bool()>& giveUp);
    void keepQuietAfterExchange();

    SerialPort* port_;
    People* people_;
    LinkHost* host_ = nullptr;
    int tickMs_;
    QTimer timer_;
    quint64 tickCount_ = 0;
    int waitDepth_ = 0;
    int awaitedCode_ = -1;
    bool dispatching_ = false;
    bool dispatchScheduled_ = false;
    bool statusScheduled_ = false;
    bool statusPending_ = false;
    int statusTicks_ = 0;
    int statusResendsLeft_ = 0;
    bool statusTimeoutQueued_ = false;
    // A command frame waits this long after the end of the status exchange, as after any exchange.
    QElapsedTimer sinceExchange_;
    ActivityState activity_;
    QQueue<ReplyFrame> dispatchQueue_;
    std::function<bool()> interruptSource_;
};
