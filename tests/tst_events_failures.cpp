// A download that the recorder or the line leaves unfinished: lost frames, a logout, a lost port, no
// header at all. The window must end up usable, in the arrangement its login state allows.

#include "tst_events_rig.h"

#include <QtTest>

using namespace ev;

namespace {
const QString kNoAnswer = QStringLiteral("error: Brak odpowiedzi z MX-4");
}  // namespace

class EventsFailureTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void silenceEndsTheDownload_data() {
        QTest::addColumn<bool>("stop");
        QTest::newRow("end of register lost") << false;
        QTest::newRow("stop confirmation lost") << true;
    }
    void silenceEndsTheDownload() {
        QFETCH(bool, stop);
        EventRig rig(Line::Paced);
        rig.recorder.fillRegister(stop ? 2000 : 10, 2);
        rig.recorder.setRecordsAfterStop(2);
        rig.recorder.faults().corruptCodes = {quint8(stop ? 95 : 90)};
        rig.logIn();
        TMain& w = rig.w();
        quint64 lastRegisterFrame = 0, endTick = 0;
        rig.startDownload();
        if (stop) {
            QVERIFY(rig.waitFor([&] { return rig.reg().gaugePosition() >= 40; }));
            w.ButtonSTOP->click();
        }
        // Count the ticks from the last record to the end of the download.
        while (rig.reg().downloading()) {
            const int position = rig.reg().gaugePosition();
            QVERIFY(rig.waitFor([&] { return !rig.reg().downloading() || rig.reg().gaugePosition() != position; }, 400));
            if (rig.reg().gaugePosition() != position) lastRegisterFrame = rig.link().tickCount();
        }
        endTick = rig.link().tickCount();
        QVERIFY(endTick - lastRegisterFrame >= quint64(EventRegister::kReplyTimeout) - 1);
        QCOMPARE(rig.people.shown, (QStringList{"beep", kNoAnswer}));
        QVERIFY(!linesOf(w.trm).contains(" Koniec historii"));
        QCOMPARE(wrongControls(w, Arrangement::LoggedInIdle), QStringList());
        // Still connected and logged in; the live status runs again and nothing else was sent.
        QVERIFY(rig.wire.Connected());
        QVERIFY(rig.link().st.loggedIn);
        const int statusBefore = rig.received(253);
        QVERIFY(rig.waitFor([&] { return rig.received(253) > statusBefore; }, 40));
        QCOMPARE(rig.received(EventRegister::kStartCode), 1);
        if (!stop) QCOMPARE(rig.received(EventRegister::kStopCode), 0);
    }

    void logoutOrLostPortEndsTheDownload_data() {
        QTest::addColumn<bool>("unplug");
        QTest::newRow("ROZŁĄCZ") << false;
        QTest::newRow("port lost") << true;
    }
    void logoutOrLostPortEndsTheDownload() {
        QFETCH(bool, unplug);
        EventRig rig(Line::Paced);
        rig.recorder.fillRegister(4000, 9);
        rig.logIn();
        TMain& w = rig.w();
        rig.startDownload();
        QVERIFY(rig.waitFor([&] { return rig.reg().gaugePosition() >= 40; }));
        if (unplug)
            rig.wire.unplug();
        else
            w.Button_rozlacz->click();
        QVERIFY(rig.waitFor([&] { return !rig.wire.Connected() && !rig.reg().downloading(); }));
        rig.runTicks(20);
        QCOMPARE(wrongControls(w, Arrangement::LoggedOutIdle), QStringList());
        QVERIFY(!linesOf(w.trm).contains(" Koniec historii"));
        QVERIFY(!rig.link().st.pollingEnabled);
        QVERIFY(rig.link().st.stopRequested);
        if (unplug) QCOMPARE(rig.people.messages().size(), 1);
    }

    void noHeaderDropsTheConnectionAndFreesTheWindow() {
        EventRig rig;
        rig.recorder.fillRegister(10, 1);
        rig.logIn();
        rig.recorder.faults().silentCodes = {EventRegister::kStartCode};
        rig.startDownload();
        QVERIFY(!rig.reg().downloading());
        QCOMPARE(rig.received(EventRegister::kStartCode), 3);
        QCOMPARE(rig.people.shown, (QStringList{"beep", kNoAnswer}));
        QVERIFY(!rig.wire.Connected());
        QCOMPARE(wrongControls(rig.w(), Arrangement::LoggedOutIdle), QStringList());
    }
};

QTEST_MAIN(EventsFailureTest)
#include "tst_events_failures.moc"
