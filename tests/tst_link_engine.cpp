// The exchange engine: waits, resends, the tick, the status request, dispatch and deferred commands.

#include "link/ErrorHook.h"
#include "link/Frame.h"
#include "link/Link.h"
#include "support/FakePort.h"
#include "support/ScriptedPeople.h"

#include <QtTest>

namespace {
constexpr int kFastTick = 5;

class RecordingHost : public LinkHost {
public:
    QStringList calls;
    QList<ReplyFrame> dispatched;
    std::function<void(quint8, const QByteArray&)> onDispatch;
    void DispatchReply(quint8 code, const QByteArray& payload) override {
        dispatched.append({code, payload});
        if (onDispatch) onDispatch(code, payload);
    }
    void DropConnection() override { calls.append(QStringLiteral("DropConnection")); }
    void EnterLoggedOut() override { calls.append(QStringLiteral("EnterLoggedOut")); }
};

struct Rig {
    FakePort port;
    ScriptedPeople people;
    RecordingHost host;
    Link link{&port, &people, kFastTick};
    QList<quint64> writeTicks;
    Rig() {
        link.setHost(&host);
        port.OpenPort();
        QObject::connect(&link, &Link::frameSent, [this](const QByteArray&) { writeTicks.append(link.tickCount()); });
        link.startTimer();
    }
    // Answers every frame with this code by a reply frame, on the next pass.
    void answer(quint8 code, const QByteArray& payload) {
        port.onWrite = [this, code, payload](const QByteArray& frame) {
            if (quint8(frame.at(1)) == code) port.deliverLater(BuildReplyFrame(code, payload));
        };
    }
    // Runs events until the tick has counted n more times.
    void spinTicks(quint64 n) {
        const quint64 until = link.tickCount() + n;
        while (link.tickCount() < until) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    // Runs events until the condition holds or n ticks have passed; true when it holds.
    template <class F>
    bool spinUntil(F condition, quint64 n) {
        const quint64 until = link.tickCount() + n;
        while (!condition() && link.tickCount() < until) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // What is already posted runs too, so a frame handed over twice would show.
        QCoreApplication::processEvents();
        return condition();
    }
    int framesWithCode(quint8 code) const {
        int n = 0;
        for (const QByteArray& f : port.written)
            if (quint8(f.at(1)) == code) ++n;
        return n;
    }
};

}  // namespace

class LinkEngineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { shuttingDown = false; }

    void threeTriesThenNoAnswer() {
        Rig rig;
        rig.link.SendFrame(1, "1234");
        QVERIFY(!rig.link.WaitReply(10, 1));
        QCOMPARE(rig.port.written.size(), 3);
        QCOMPARE(rig.port.written[0], rig.port.written[2]);
        // Each attempt lasts T-1 to T ticks.
        for (int i = 1; i < 3; ++i) {
            const quint64 gap = rig.writeTicks[i] - rig.writeTicks[i - 1];
            QVERIFY2(gap >= 9 && gap <= 10, qPrintable(QString("gap %1").arg(gap)));
        }
        QCOMPARE(rig.people.shown, (QStringList{"beep", "error: Brak odpowiedzi z MX-4"}));
        QCOMPARE(rig.host.calls, (QStringList{"DropConnection", "EnterLoggedOut", "EnterLoggedOut"}));
        QVERIFY(!rig.link.st.sending);
    }

    void code80FailsSilently() {
        Rig rig;
        rig.link.SendFrame(80, "T");
        QVERIFY(!rig.link.WaitReply(10, 80));
        QCOMPARE(rig.port.written.size(), 3);
        QVERIFY(rig.people.shown.isEmpty());
        QCOMPARE(rig.host.calls, QStringList{"EnterLoggedOut"});
        QVERIFY(rig.port.Connected());
    }

    void answeredAfterAResend() {
        Rig rig;
        int writes = 0;
        rig.port.onWrite = [&](const QByteArray&) {
            if (++writes == 2) rig.port.deliverLater(BuildReplyFrame(3, {}));
        };
        rig.link.SendFrame(3, "5678");
        QVERIFY(rig.link.WaitReply(10, 3));
        QCOMPARE(writes, 2);
        QVERIFY(rig.people.shown.isEmpty());
    }

    void replyInTheExpiringPassCounts() {
        Rig rig;
        bool delivered = false;
        // Runs right after the engine's tick, in the same timer event: the reply arrives in the pass
        // in which the time-out has just run out.
        QObject::connect(rig.link.timer(), &QTimer::timeout, [&] {
            if (!delivered && rig.link.st.sending && rig.link.st.timeoutTicks == 0) {
                delivered = true;
                rig.port.deliver(BuildReplyFrame(94, {}));
            }
        });
        rig.link.SendFrame(94, QByteArray(6, '\x01'));
        QVERIFY(rig.link.WaitReply(10, 94));
        QVERIFY(delivered);
        QCOMPARE(rig.port.written.size(), 1);
    }

    void awaitedReplyIsAppliedBeforeTheWaitReturns() {
        Rig rig;
        rig.answer(1, "T2");
        rig.link.SendFrame(1, "1234");
        QVERIFY(rig.link.WaitReply(10, 1));
        QCOMPARE(rig.host.dispatched.size(), 1);
        QCOMPARE(rig.host.dispatched[0], (ReplyFrame{1, "T2"}));
    }

    void otherCodeDoesNotEndTheWait() {
        Rig rig;
        rig.answer(5, {});
        rig.port.onWrite = [&](const QByteArray& frame) {
            if (quint8(frame.at(1)) == 5) rig.port.deliverLater(BuildReplyFrame(7, {}));
        };
        rig.link.SendFrame(5, "0000");
        QVERIFY(!rig.link.WaitReply(4, 5));
        QCOMPARE(rig.port.written.size(), 3);
    }

    void headerReplacedByRecordStillEndsTheWait() {
        Rig rig;
        rig.port.onWrite = [&](const QByteArray&) {
            rig.port.deliverLater(BuildReplyFrame(93, QByteArray::fromHex("0800")) +
                                  BuildReplyFrame(91, QByteArray(8, '\x01')));
        };
        rig.link.SendFrame(93, "h");
        QVERIFY(rig.link.WaitReply(110, 93));
        QCOMPARE(rig.link.st.replyCode, quint8(91));
        QCOMPARE(rig.port.written.size(), 1);
        QVERIFY(rig.spinUntil([&] { return rig.host.dispatched.size() >= 2; }, 20));
        QCOMPARE(rig.host.dispatched.size(), 2);
        QCOMPARE(rig.host.dispatched[0].code, quint8(93));
        QCOMPARE(rig.host.dispatched[1].code, quint8(91));
    }

    void sideSendDoesNotReplaceTheAwaitedFrame() {
        Rig rig;
        // A record dispatched during the wait for the header sends a stop request; the wait still
        // resends its own request.
        rig.host.onDispatch = [&](quint8 code, const QByteArray&) {
            if (code == 91) rig.link.SendFrame(95, "x");
        };
        bool sentRecord = false;
        rig.port.onWrite = [&](const QByteArray&) {
            if (!sentRecord) {
                sentRecord = true;
                rig.port.deliverLater(BuildReplyFrame(91, QByteArray(8, '\x01')));
            }
        };
        rig.link.SendFrame(93, "h");
        QVERIFY(!rig.link.WaitReply(4, 93));
        QCOMPARE(rig.framesWithCode(95), 1);
        QCOMPARE(rig.framesWithCode(93), 3);
        QCOMPARE(rig.link.st.txFrame, BuildCommandFrame(93, "h"));
    }

    void framesDispatchedOnceInOrderEvenWhenDispatchPumpsEvents() {
        Rig rig;
        int depth = 0, maxDepth = 0;
        rig.host.onDispatch = [&](quint8, const QByteArray&) {
            ++depth;
            maxDepth = std::max(maxDepth, depth);
            // A dispatch processes pending events first; more frames arrive meanwhile.
            if (rig.host.dispatched.size() == 1) rig.port.deliver(BuildReplyFrame(91, "b"));
            QCoreApplication::processEvents();
            --depth;
        };
        rig.port.deliver(BuildReplyFrame(91, "a"));
        QVERIFY(rig.spinUntil([&] { return rig.host.dispatched.size() >= 2; }, 20));
        QCOMPARE(rig.host.dispatched.size(), 2);
        QCOMPARE(rig.host.dispatched[0].payload, QByteArray("a"));
        QCOMPARE(rig.host.dispatched[1].payload, QByteArray("b"));
        QCOMPARE(maxDepth, 1);
    }

    void statusRequestOnceASecondWhileIdle() {
        Rig rig;
        rig.answer(253, QByteArray(13, '\0'));
        rig.link.st.loggedIn = true;
        rig.link.st.pollingEnabled = true;
        rig.link.activity().settle(true);
        rig.spinTicks(36);
        const int requests = rig.framesWithCode(253);
        QVERIFY2(requests == 3, qPrintable(QString::number(requests)));
        for (int i = 1; i < rig.writeTicks.size(); ++i) {
            const quint64 gap = rig.writeTicks[i] - rig.writeTicks[i - 1];
            QVERIFY2(gap >= 10 && gap <= 12, qPrintable(QString("gap %1").arg(gap)));
        }
        rig.link.st.pollingEnabled = false;
        const int before = rig.port.written.size();
        rig.spinTicks(25);
        QCOMPARE(rig.port.written.size(), before);
    }

    void statusRequestWaitsForTheRunningExchange() {
        Rig rig;
        rig.link.st.loggedIn = true;
        rig.link.st.pollingEnabled = true;
        rig.link.activity().settle(true);
        QList<quint64> statusTicks;
        rig.port.onWrite = [&](const QByteArray& frame) {
            if (quint8(frame.at(1)) == 253) {
                statusTicks.append(rig.link.tickCount());
                rig.port.deliverLater(BuildReplyFrame(253, QByteArray(13, '\0')));
            }
        };
        rig.link.SendFrame(94, QByteArray(6, '\x01'));
        QVERIFY(!rig.link.WaitReply(12, 94));  // 36 ticks without a status request
        QVERIFY(statusTicks.isEmpty());
        const quint64 endedAt = rig.link.tickCount();
        rig.host.calls.clear();
        rig.people.clear();
        // The wait failed, but this rig's host does not log out: the next request follows about a
        // second after the last exchange.
        rig.spinTicks(15);
        QVERIFY(!statusTicks.isEmpty());
        QVERIFY2(statusTicks.first() - endedAt >= 9 && statusTicks.first() - endedAt <= 11,
                 qPrintable(QString::number(statusTicks.first() - endedAt)));
    }

    void unansweredStatusRequestTimesOut() {
        // The status exchange runs outside the tick, so its time-out counts down: a silent recorder
        // ends in "Brak odpowiedzi z MX-4" instead of hanging the program.
        Rig rig;
        rig.link.st.loggedIn = true;
        rig.link.st.pollingEnabled = true;
        rig.link.activity().settle(true);
        QVERIFY(rig.spinUntil([&] { return rig.people.shown.contains("error: Brak odpowiedzi z MX-4"); }, 200));
        QCOMPARE(rig.framesWithCode(253), 3);
        QVERIFY(rig.host.calls.contains("DropConnection"));
    }

    void statusExchangeNeverNestsAndGoesOutOnlyWhileLoggedIn() {
        Rig rig;
        rig.answer(253, QByteArray(13, '\0'));
        rig.link.st.loggedIn = true;
        rig.link.st.pollingEnabled = true;
        // Any activity but LoggedIn keeps the status request back.
        rig.link.activity().enter(Activity::Reading);
        rig.spinTicks(25);
        QCOMPARE(rig.framesWithCode(253), 0);
        rig.link.activity().settle(true);
        int depthWhilePending = -1;
        rig.port.onWrite = [&](const QByteArray& frame) {
            if (quint8(frame.at(1)) != 253) return;
            depthWhilePending = rig.link.waitDepth();
            rig.port.deliverLater(BuildReplyFrame(253, QByteArray(13, '\0')));
        };
        rig.spinTicks(12);
        QCOMPARE(rig.framesWithCode(253), 1);
        // The request is on the line without a wait of its own: nothing the person does can run inside it.
        QCOMPARE(depthWhilePending, 0);
    }

    void commandWaitsForTheStatusExchangeOnTheLine() {
        Rig rig;
        rig.link.st.loggedIn = true;
        rig.link.st.pollingEnabled = true;
        rig.link.activity().settle(true);
        QStringList order;
        rig.port.onWrite = [&](const QByteArray& frame) {
            if (quint8(frame.at(1)) != 253) return;
            order.append(QStringLiteral("status sent"));
            QTimer::singleShot(3 * kFastTick, [&] {
                order.append(QStringLiteral("status answered"));
                rig.port.deliver(BuildReplyFrame(253, QByteArray(13, '\0')));
            });
        };
        while (!rig.link.statusPending()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // A command arrives now: it waits for the line, then sends.
        rig.link.activity().enter(Activity::Service);
        rig.link.waitLineFree();
        order.append(QStringLiteral("line free"));
        QVERIFY(!rig.link.statusPending());
        QVERIFY(!rig.link.st.sending);
        QCOMPARE(order, (QStringList{"status sent", "status answered", "line free"}));
    }

    void unansweredStatusRequestIsResentByTheTick() {
        Rig rig;
        rig.link.st.loggedIn = true;
        rig.link.st.pollingEnabled = true;
        rig.link.activity().settle(true);
        rig.spinTicks(11);
        QCOMPARE(rig.framesWithCode(253), 1);
        QVERIFY(rig.link.statusPending());
        rig.spinTicks(11);
        QCOMPARE(rig.framesWithCode(253), 2);
        QVERIFY(rig.people.shown.isEmpty());
        // The same frame again, unchanged.
        QCOMPARE(rig.port.written.last(), BuildCommandFrame(253, "G"));
    }

    void loginVerdictComesFromTheFrameTheWaitSaw() {
        Rig rig;
        // The login reply and a status reply behind it, in one piece: the registers end up holding the
        // status, the verdict is the login's.
        rig.port.onWrite = [&](const QByteArray&) {
            rig.port.deliverLater(BuildReplyFrame(1, "T2") + BuildReplyFrame(253, QByteArray(13, 'F')));
        };
        rig.link.SendFrame(1, "1234");
        QVERIFY(rig.link.WaitReply(10, 1));
        QCOMPARE(rig.link.st.replyCode, quint8(253));
        QCOMPARE(rig.link.replyPayloadOf(1), QByteArray("T2"));
        // A new exchange forgets it.
        rig.port.onWrite = nullptr;
        rig.link.SendFrame(3, "1111");
        QVERIFY(rig.link.replyPayloadOf(1).isEmpty());
    }

    void receiverSaysWhatAFrameStillNeeds_data() {
        QTest::addColumn<int>("activity");
        QTest::addColumn<int>("tickMs");
        QTest::addColumn<QVector<int>>("hints");
        // After the start byte, after code and length, in the payload, complete, after a stray byte.
        // Between frames a single byte may be an answer (the bootloader's).
        QTest::newRow("logged in") << int(Activity::LoggedIn) << kFastTick << QVector<int>{3, 9, 4, 1, 1};
        QTest::newRow("firmware") << int(Activity::Firmware) << kFastTick << QVector<int>{3, 9, 4, 1, 1};
        // While records stream in: a tick's worth of the line (48 bytes in 100 ms at 4800 baud), and
        // never less than the shortest frame.
        QTest::newRow("register, fast tick") << int(Activity::Downloading) << kFastTick << QVector<int>{4, 9, 4, 4, 4};
        QTest::newRow("register, product tick") << int(Activity::Downloading) << int(Link::kProductTickMs)
                                                << QVector<int>{48, 48, 48, 48, 48};
        QTest::newRow("register stopping") << int(Activity::Stopping) << int(Link::kProductTickMs)
                                           << QVector<int>{48, 48, 48, 48, 48};
    }
    void receiverSaysWhatAFrameStillNeeds() {
        QFETCH(int, activity);
        QFETCH(int, tickMs);
        QFETCH(QVector<int>, hints);
        FakePort port;
        ScriptedPeople people;
        RecordingHost host;
        Link link(&port, &people, tickMs);
        link.setHost(&host);
        port.OpenPort();
        link.activity().enter(Activity(activity));
        const QByteArray frame = BuildReplyFrame(91, QByteArray(8, '\x01'));  // a record: 12 bytes
        QCOMPARE(frame.size(), 12);
        port.deliver(frame.left(1));
        port.deliver(frame.mid(1, 2));
        port.deliver(frame.mid(3, 5));
        port.deliver(frame.mid(8));
        port.deliver("xy");  // no start byte: dropped
        QCOMPARE(port.hints, hints);
        QTRY_COMPARE(host.dispatched.size(), 1);
    }

    void lastSingleByte() {
        Rig rig;
        rig.port.deliver("!");
        QCOMPARE(rig.link.st.lastSingleByte, quint8('!'));
        rig.port.deliver("!x");
        QCOMPARE(rig.link.st.lastSingleByte, quint8('.'));
    }

    void oversizedPayloadIsRefusedBeforeWriting() {
        Rig rig;
        QVERIFY_THROWS_EXCEPTION(FrameError, rig.link.SendFrame(9, QByteArray(253, 'a')));
        QVERIFY(rig.port.written.isEmpty());
        QVERIFY(!rig.link.st.sending);
    }

    void waitEndsWhenThePortCloses() {
        Rig rig;
        QTimer::singleShot(4 * kFastTick, [&] { rig.port.ClosePort(); });
        rig.link.SendFrame(96, "x");
        QVERIFY(!rig.link.WaitReply(110, 96));
        QCOMPARE(rig.port.written.size(), 1);
        QVERIFY(rig.people.shown.isEmpty());
        QVERIFY(rig.host.calls.contains("EnterLoggedOut"));
    }

    void shutdownEndsTheWait() {
        Rig rig;
        QTimer::singleShot(3 * kFastTick, [] { shuttingDown = true; });
        rig.link.SendFrame(93, "h");
        QVERIFY(!rig.link.WaitReply(110, 93));
        QCOMPARE(rig.port.written.size(), 1);
        shuttingDown = false;
    }
};

QTEST_GUILESS_MAIN(LinkEngineTest)
#include "tst_link_engine.moc"
