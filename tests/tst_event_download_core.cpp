// The register download without a window: the exchange engine on the simulator's wire, the download
// fed by a host that knows no widget. Its lines and its records tell the same register, its endings
// come once each, and a stream that falls silent ends without the end line.

#include "events/EventDownload.h"
#include "link/Link.h"
#include "link/Session.h"
#include "sim/RecorderData.h"
#include "sim/SimWire.h"
#include "support/ScriptedPeople.h"
#include "support/SimPc.h"

#include <QtTest>
#include <optional>

namespace {
const QDateTime kNow(QDate(2024, 3, 5), QTime(7, 8, 9));
constexpr int kTickMs = 5;

struct CoreRig : LinkHost {
    Recorder recorder;
    SimWire wire{&recorder};
    ScriptedPeople people;
    Link link{&wire, &people, kTickMs};
    EventDownload download{&link};
    QVector<EventDownload::Ending> endings;
    QStringList shownLines;  // what the hooks were given, in order

    CoreRig() {
        link.setHost(this);
        download.setClockSource([] { return kNow; });
        EventDownload::Hooks hooks;
        hooks.line = [this](const EventLine& l) { shownLines << l.text; };
        hooks.ended = [this](EventDownload::Ending how) { endings << how; };
        download.setHooks(hooks);
    }
    void DispatchReply(quint8 code, const QByteArray& payload) override { download.reply(code, payload); }
    void DropConnection() override { wire.ClosePort(); }
    void EnterLoggedOut() override {
        link.st.loggedIn = false;
        download.loggedOut();
    }
    bool logIn() {
        link.startTimer();
        wire.OpenPort();
        link.resetReceiver();
        if (LogIn(link, QByteArrayLiteral("1234")) != LoginVerdict::LoggedIn) return false;
        link.st.loggedIn = true;
        return true;
    }
    bool finish() { return SimPc::waitUntil([this] { return !download.running(); }, 60000); }
};

QStringList headerLines(int records) {
    const QByteArray size(1, char(records * 8 & 0xFF));
    return DecodeRegisterHeader(size + char(records * 8 >> 8), kNow)->lines;
}
}  // namespace

class EventDownloadCoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void completeRegisterLinesAndRecordsAgree() {
        CoreRig rig;
        const QDateTime start(QDate(2024, 3, 1), QTime(8, 0));
        rig.recorder.fillRegister(40, 5, start, true);
        const QVector<QByteArray> records = MakeRegister(40, 5, start, true);
        QVERIFY(rig.logIn());
        rig.download.start();
        QVERIFY(rig.finish());

        QStringList expected = headerLines(40);
        int listed = 0;
        for (const QByteArray& r : records)
            if (const auto line = DecodeEventRecord(r)) {
                expected << line->text;
                ++listed;
            }
        expected << EndOfRegisterText();
        QVERIFY(listed < 40);  // some records carry codes without a line
        QCOMPARE(rig.download.lines(), expected);
        QCOMPARE(rig.shownLines, expected);
        QCOMPARE(rig.download.records().size(), 40);
        int withLine = 0;
        for (int i = 0; i < 40; ++i) {
            QCOMPARE(rig.download.records().at(i).raw, records.at(i));
            withLine += rig.download.records().at(i).hasLine;
        }
        QCOMPARE(withLine, listed);
        QCOMPARE(rig.endings, QVector<EventDownload::Ending>{EventDownload::Ending::Complete});
        QCOMPARE(rig.download.gaugePosition(), rig.download.gaugeMaximum());
        QCOMPARE(rig.download.gaugeMaximum(), 40 * 8);
        QVERIFY(rig.people.shown.isEmpty());
    }

    void stopAfterTheFirstRecord() {
        CoreRig rig;
        rig.recorder.fillRegister(200, 2);
        QVERIFY(rig.logIn());
        rig.download.setHooks({nullptr, nullptr, nullptr, [&] {
                                   if (!rig.download.records().isEmpty()) rig.download.requestStop();
                               },
                               [&](EventDownload::Ending how) { rig.endings << how; }, nullptr, nullptr});
        rig.download.start();
        QVERIFY(rig.finish());
        QCOMPARE(rig.endings, QVector<EventDownload::Ending>{EventDownload::Ending::Stopped});
        QVERIFY(rig.download.stopConfirmed());
        QVERIFY(rig.recorder.receivedCodes().contains(EventDownload::kStopCode));
        QVERIFY(rig.download.records().size() < 200);
        QVERIFY(!rig.download.lines().contains(EndOfRegisterText()));
        // Stopped as asked: not whole, and not the recorder's own doing.
        const EventDownload::Completeness& done = rig.download.completeness();
        QCOMPARE(done.announced, 200);
        QCOMPARE(done.received, int(rig.download.records().size()));
        QVERIFY(!done.complete() && !done.stoppedUnasked);
    }

    // Ctrl-C while the header is awaited: the stop goes out at once and the download ends as one the
    // user stopped, not as one the recorder broke off.
    void interruptedWhileTheHeaderIsAwaited() {
        CoreRig rig;
        rig.recorder.fillRegister(200, 2);
        QVERIFY(rig.logIn());
        SimFaults thinking = rig.recorder.faults();
        thinking.replyDelayMs = 300;
        rig.recorder.setFaults(thinking);
        rig.link.setInterruptSource([&] { return rig.recorder.receivedCodes().contains(EventDownload::kStartCode); });
        rig.download.setHooks({nullptr, nullptr, nullptr, nullptr,
                               [&](EventDownload::Ending how) { rig.endings << how; }, nullptr, nullptr});
        rig.download.start();
        QVERIFY(rig.finish());
        QVERIFY(rig.recorder.receivedCodes().contains(EventDownload::kStopCode));
        QVERIFY(!rig.download.completeness().complete());
        QVERIFY(!rig.download.completeness().stoppedUnasked);
    }

    // The recorder falls silent after a few records: the download ends by itself, without the end
    // line; telling the person is the host's business.
    void silentStreamEnds() {
        CoreRig rig;
        rig.recorder.fillRegister(100, 3);
        QVERIFY(rig.logIn());
        rig.download.setHooks({nullptr, nullptr, nullptr, [&] {
                                   if (rig.download.records().size() == 3) {
                                       SimFaults f = rig.recorder.faults();
                                       f.silent = true;
                                       rig.recorder.setFaults(f);
                                   }
                               },
                               [&](EventDownload::Ending how) { rig.endings << how; }, nullptr, nullptr});
        rig.download.start();
        QVERIFY(rig.finish());
        QCOMPARE(rig.endings, QVector<EventDownload::Ending>{EventDownload::Ending::Silent});
        QVERIFY(rig.download.records().size() >= 3);
        QVERIFY(rig.download.records().size() < 100);
        QVERIFY(!rig.download.lines().contains(EndOfRegisterText()));
        QVERIFY(rig.people.shown.isEmpty());
    }

    void nothingWithoutALogin() {
        CoreRig rig;
        rig.wire.OpenPort();
        rig.download.start();
        QVERIFY(!rig.download.running());
        QVERIFY(rig.recorder.received().isEmpty());
        QVERIFY(rig.endings.isEmpty());
    }
};

QTEST_GUILESS_MAIN(EventDownloadCoreTest)
#include "tst_event_download_core.moc"
