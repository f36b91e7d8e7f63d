// The firmware update through the main window against the simulated recorder's bootloader: file checks,
// the transfer, acknowledgements, resends, failures and what the window shows afterwards.

#include "app/MainWindow.h"
#include "link/Link.h"
#include "maintenance/BootDialog.h"
#include "maintenance/FirmwareUpdate.h"
#include "tst_maint_rig.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace maint;

namespace {
const QString kWarning = QStringLiteral("warning: NIE WYŁĄCZAJ MX-4 Z ZASILANIA");
const QString kDone = QStringLiteral("information: Aktualizacja zakonczona");
const QString kFailed = QStringLiteral("error: Brak odpowiedzi z MX-4, aktualizacja nieudana");
const QString kOpen = QStringLiteral("open: MX-4 firmware (*.nfr)");

// What the dialog showed during one update.
struct UpdateRun {
    bool dialogShown = false;
    bool startEnabled = false;
    bool linesRaised = false;
    bool pollingWhileOpen = true;
    QPointer<TFboot> dialog;
    QList<int> progress;
};

// Opens the dialog with "Aktualizacja", picks `path`, presses START when it is enabled, and closes a
// dialog the transfer left open, as the person would.
template <class Rig>
UpdateRun runUpdate(Rig& rig, const QString& path, std::function<void(TFboot*)> beforeStart = {}) {
    UpdateRun run;
    rig.people.fileAnswers.enqueue(path);
    whenModal<TFboot>([&](TFboot* d) {
        run.dialogShown = true;
        run.dialog = d;
        run.linesRaised = rig.w().ComPort()->dtr() && rig.w().ComPort()->rts();
        run.pollingWhileOpen = rig.link().st.pollingEnabled;
        QObject::connect(d->BarBoot, &QProgressBar::valueChanged, [&](int v) { run.progress.append(v); });
        d->Button1->click();
        run.startEnabled = d->ButtonStart->isEnabled();
        if (beforeStart) beforeStart(d);
        if (run.startEnabled) d->ButtonStart->click();
        if (run.dialog && run.dialog->isVisible()) run.dialog->close();
    });
    rig.w().ButtonFirmware->click();
    return run;
}

// The firmware as the bootloader stores it: whole blocks, the last one filled up with 0xFF.
QByteArray asStored(const QByteArray& firmware) {
    const int blocks = (firmware.size() + 127) / 128;
    return firmware + QByteArray(blocks * 128 - firmware.size(), char(0xFF));
}

// How often each block number came.
QMap<int, int> sendsPerBlock(const MaintRig& rig) {
    QMap<int, int> sends;
    for (const QByteArray& payload : rig.received(kFirmwareBlockCode)) ++sends[quint8(payload.at(0))];
    return sends;
}
}  // namespace

class MaintUpdateTest : public QObject {
    Q_OBJECT
    Files files;

private Q_SLOTS:
    void successfulUpdate() {
        MaintRig rig;
        const QByteArray firmware = firmwareOf(132);
        const UpdateRun run = runUpdate(rig, files.write("ok.nfr", imageFile(firmware)));
        QVERIFY(run.dialogShown);
        QVERIFY(run.startEnabled);
        QVERIFY(run.linesRaised);
        QVERIFY(!run.pollingWhileOpen);
        QCOMPARE(rig.people.shown, (QStringList{kOpen, "beep", kWarning, kDone}));
        // Restart, two blocks, the end command; nothing else.
        QCOMPARE(rig.receivedCodes(),
                 (QList<quint8>{kRestartCode, kFirmwareBlockCode, kFirmwareBlockCode, kFirmwareEndCode}));
        QCOMPARE(rig.recorder.firmwareUpdates(), 1);
        QCOMPARE(rig.recorder.blockSequenceErrors(), 0);
        QCOMPARE(rig.recorder.firmwareImage(), firmware + QByteArray(124, char(0xFF)));
        QCOMPARE(run.progress, (QList<int>{128 * 100 / 136, 132 * 100 / 136, 100}));
        // Disconnected and logged out, the dialog gone.
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QVERIFY(!rig.wire.Connected());
        QVERIFY(run.dialog.isNull());
        QVERIFY(rig.w().Button_polacz->isEnabled());
    }

    void updateWhileLoggedInLogsOutFirst() {
        MaintRig rig;
        rig.logIn();
        const UpdateRun run = runUpdate(rig, files.write("ok2.nfr", imageFile(firmwareOf(700))));
        QVERIFY(run.startEnabled);
        QVERIFY(!run.pollingWhileOpen);
        QVERIFY(!rig.link().st.loggedIn);
        QCOMPARE(rig.recorder.firmwareUpdates(), 1);
        // No status request slipped in between the restart and the end command.
        const QList<quint8> codes = rig.receivedCodes();
        QVERIFY(!codes.mid(int(codes.indexOf(kRestartCode))).contains(253));
        QCOMPARE(rig.recorder.firmwareImage(), asStored(firmwareOf(700)));
    }

    void missedAcknowledgements_data() {
        QTest::addColumn<QList<int>>("missesPerBlock");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("two on one block") << QList<int>{0, 2, 0, 0} << true;
        QTest::newRow("one on each of two blocks") << QList<int>{1, 0, 0, 1} << true;
        QTest::newRow("third on a later block") << QList<int>{1, 1, 1, 0} << false;
        QTest::newRow("three on the first block") << QList<int>{3, 0, 0, 0} << false;
    }
    void missedAcknowledgements() {
        QFETCH(QList<int>, missesPerBlock);
        QFETCH(bool, succeeds);
        MaintRig rig;
        for (int b = 0; b < missesPerBlock.size(); ++b)
            if (missesPerBlock[b] > 0) rig.recorder.faults().dropAckOfBlock.insert(b, missesPerBlock[b]);
        const QByteArray firmware = firmwareOf(400);
        runUpdate(rig, files.write("m.nfr", imageFile(firmware)));
        QCOMPARE(rig.recorder.firmwareUpdates(), succeeds ? 1 : 0);
        QCOMPARE(rig.people.messages().contains(kDone), succeeds);
        QCOMPARE(rig.people.messages().contains(kFailed), !succeeds);
        const QMap<int, int> sends = sendsPerBlock(rig);
        if (succeeds) {
            QCOMPARE(rig.recorder.firmwareImage(), asStored(firmware));
            for (int b = 0; b < missesPerBlock.size(); ++b) QCOMPARE(sends.value(b), 1 + missesPerBlock[b]);
        } else {
            // The third expiry ends it: the failing block got what was left of the two resends, and no
            // later block was sent.
            int spent = 0, failing = 0;
            for (int b = 0; b < missesPerBlock.size(); ++b) {
                if (spent + missesPerBlock[b] > 2) {
                    failing = b;
                    break;
                }
                spent += missesPerBlock[b];
            }
            QCOMPARE(sends.value(failing), 1 + (2 - spent));
            QVERIFY(!sends.contains(failing + 1));
            QVERIFY(!rig.receivedCodes().contains(kFirmwareEndCode));
        }
        QVERIFY(!rig.wire.Connected());
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
    }

    void ackGluedToAnotherByteIsNotSeen_data() {
        QTest::addColumn<QByteArray>("glue");
        QTest::addColumn<bool>("glueFirst");
        QTest::newRow("! then a byte") << QByteArray("x") << false;
        QTest::newRow("a byte then !") << QByteArray("x") << true;
        QTest::newRow("two !") << QByteArray("!") << false;
    }
    void ackGluedToAnotherByteIsNotSeen() {
        QFETCH(QByteArray, glue);
        QFETCH(bool, glueFirst);
        MaintRig rig;
        rig.recorder.faults().glueNextAcks = 1;
        rig.recorder.faults().ackGlue = glue;
        rig.recorder.faults().ackGlueFirst = glueFirst;
        runUpdate(rig, files.write("g.nfr", imageFile(firmwareOf(200))));
        const QMap<int, int> sends = sendsPerBlock(rig);
        QCOMPARE(sends.value(0), 2);
        QCOMPARE(sends.value(1), 1);
        QCOMPARE(rig.recorder.firmwareUpdates(), 1);
    }

    void ackInTheExpiringPassCounts() {
        // A fake line, to put the "!" into the very pass in which the time-out runs out.
        WindowRig<FakePort> rig;
        int block0Sends = 0;
        bool waiting = false, delivered = false, ended = false;
        rig.port.onWrite = [&](const QByteArray& frame) {
            const quint8 code = quint8(frame.at(1));
            if (code == kFirmwareEndCode) ended = true;
            if (code != kFirmwareBlockCode) return;
            if (quint8(frame.at(3)) == 0 && block0Sends++ == 0) {
                waiting = true;
                return;
            }
            rig.port.deliverLater("!");
        };
        // Runs right after the link's own tick, in the same timer event.
        QObject::connect(rig.link().timer(), &QTimer::timeout, [&] {
            if (waiting && !delivered && rig.link().st.timeoutTicks == 0) {
                delivered = true;
                rig.port.deliver("!");
            }
        });
        runUpdate(rig, files.write("e.nfr", imageFile(firmwareOf(200))));
        QVERIFY(delivered);
        QCOMPARE(block0Sends, 1);
        QVERIFY(ended);
        QVERIFY(rig.people.messages().contains(kDone));
    }

    void failureOnTheLastBlockShowsOnlyTheFailure() {
        MaintRig rig;
        rig.recorder.faults().dropAckOfBlock.insert(1, SimFaults::kAlways);
        const UpdateRun run = runUpdate(rig, files.write("l.nfr", imageFile(firmwareOf(132))));
        QCOMPARE(rig.people.shown, (QStringList{kOpen, "beep", kWarning, "beep", kFailed}));
        QCOMPARE(sendsPerBlock(rig).value(1), 3);
        QVERIFY(!rig.receivedCodes().contains(kFirmwareEndCode));
        QCOMPARE(rig.recorder.firmwareUpdates(), 0);
        QVERIFY(!rig.wire.Connected());
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
        QVERIFY(run.dialog.isNull());
        // The gauge never claimed completion.
        QVERIFY(!run.progress.contains(100));
    }

    void badFilesNeverEnableStart() {
        MaintRig rig;
        QByteArray badCheck = imageFile(firmwareOf(50));
        badCheck.back() = char(badCheck.back() ^ 0x01);
        const QString wrongMagic = files.write("wm.nfr", imageFile(firmwareOf(50), "tcf"));
        const QString wrongCheck = files.write("wc.nfr", badCheck);
        const QString good = files.write("good.nfr", imageFile(firmwareOf(50)));
        QList<bool> startAfter;
        QStringList labels;
        whenModal<TFboot>([&](TFboot* d) {
            for (const QString& path : {good, wrongMagic, wrongCheck, good}) {
                rig.people.fileAnswers.enqueue(path);
                d->Button1->click();
                startAfter.append(d->ButtonStart->isEnabled());
                labels.append(d->LabelNazwaPliku->text());
            }
            // Cancelling the file dialog changes nothing.
            d->Button1->click();
            startAfter.append(d->ButtonStart->isEnabled());
            d->close();
        });
        rig.w().ButtonFirmware->click();
        QCOMPARE(startAfter, (QList<bool>{true, false, false, true, true}));
        QCOMPARE(labels.at(1), QDir::toNativeSeparators(wrongMagic));
        QCOMPARE(rig.people.messages(),
                 (QStringList{kOpen, kOpen, "error: Zly format pliku", kOpen, "error: Bląd CRC pliku konfiguracji",
                              kOpen, kOpen}));
        // Nothing went to the recorder, and closing resumed the live status.
        QVERIFY(rig.recorder.received().isEmpty());
        QVERIFY(rig.link().st.pollingEnabled);
    }

    void sizesThatCannotBeSentAreRefused_data() {
        QTest::addColumn<int>("firmwareBytes");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("no firmware byte") << 0 << false;
        QTest::newRow("one firmware byte") << 1 << true;
        QTest::newRow("65535-byte file") << 65531 << true;
        QTest::newRow("65536-byte file") << 65532 << false;
        QTest::newRow("larger than the buffer") << 70000 << false;
    }
    void sizesThatCannotBeSentAreRefused() {
        QFETCH(int, firmwareBytes);
        QFETCH(bool, accepted);
        MaintRig rig;
        const QString path = files.write("s.nfr", imageFile(firmwareOf(firmwareBytes)));
        bool startEnabled = !accepted;
        int messages = -1;
        whenModal<TFboot>([&](TFboot* d) {
            rig.people.fileAnswers.enqueue(path);
            d->Button1->click();
            startEnabled = d->ButtonStart->isEnabled();
            messages = rig.people.messages().size();
            d->close();
        });
        rig.w().ButtonFirmware->click();
        QCOMPARE(startEnabled, accepted);
        // A refusal says why, once.
        QCOMPARE(messages, accepted ? 1 : 2);
        if (!accepted) {
            const QString why = rig.people.messages().at(1);
            QVERIFY2(why.startsWith("error: Plik firmware"), qPrintable(why));
            QCOMPARE(rig.people.count("beep"), 1);
        }
        QVERIFY(rig.recorder.received().isEmpty());
    }

    void transferCannotBeDisturbed() {
        MaintRig rig;
        TMain& w = rig.w();
        QPointer<TFboot> dialog;
        bool stillOpen = false, buttonsOff = false, tried = false;
        QObject::connect(&rig.recorder, &Recorder::frameReceived, [&](quint8 code, const QByteArray& payload) {
            if (tried || code != kFirmwareBlockCode || quint8(payload.at(0)) != 1 || !dialog) return;
            tried = true;
            // Closing, a second file, a second START: by the close box, by Escape, and as signals that
            // get past the disabled buttons. Then the main window's commands the same way.
            dialog->close();
            dialog->reject();
            dialog->done(QDialog::Accepted);
            rig.people.fileAnswers.enqueue(files.write("other.nfr", imageFile(firmwareOf(10))));
            Q_EMIT dialog->Button1->clicked();
            Q_EMIT dialog->ButtonStart->clicked();
            for (QAbstractButton* c : std::initializer_list<QAbstractButton*>{
                     w.ButtonFirmware, w.Button_polacz, w.Button_rozlacz, w.ButtonRestart, w.ButtonPobierz})
                Q_EMIT c->clicked();
            stillOpen = dialog && dialog->isVisible();
            buttonsOff = !dialog->Button1->isEnabled() && !dialog->ButtonStart->isEnabled();
        });
        const UpdateRun run = runUpdate(rig, files.write("d.nfr", imageFile(firmwareOf(500))),
                                        [&](TFboot* d) { dialog = d; });
        QVERIFY(tried);
        QVERIFY(stillOpen);
        QVERIFY(buttonsOff);
        // One file request, one restart, every block once, one end; nothing else reached the recorder.
        QCOMPARE(rig.people.count(kOpen), 1);
        QCOMPARE(rig.received(kRestartCode).size(), 1);
        QCOMPARE(rig.received(kFirmwareBlockCode).size(), 4);
        QCOMPARE(rig.recorder.firmwareUpdates(), 1);
        QCOMPARE(rig.recorder.received().size(), 1 + 4 + 1);
        QVERIFY(run.dialog.isNull());
    }

    void fileThatCannotBeOpenedLeavesNoImage() {
        MaintRig rig;
        const QString good = files.write("good2.nfr", imageFile(firmwareOf(50)));
        const QString missing = files.dir.filePath("missing.nfr");
        bool startWithGood = false, startAfterMissing = true;
        QString label;
        whenModal<TFboot>([&](TFboot* d) {
            rig.people.fileAnswers.enqueue(good);
            d->Button1->click();
            startWithGood = d->ButtonStart->isEnabled();
            rig.people.fileAnswers.enqueue(missing);
            d->Button1->click();
            startAfterMissing = d->ButtonStart->isEnabled();
            label = d->LabelNazwaPliku->text();
            // START, however it is pressed, cannot send the image chosen before.
            Q_EMIT d->ButtonStart->clicked();
            d->close();
        });
        rig.w().ButtonFirmware->click();
        QVERIFY(startWithGood);
        QVERIFY(!startAfterMissing);
        QCOMPARE(label, QDir::toNativeSeparators(missing));
        QVERIFY(rig.people.messages().last().startsWith("error: Nie można otworzyć pliku"));
        QVERIFY(rig.received(kRestartCode).isEmpty());
        QVERIFY(rig.received(kFirmwareBlockCode).isEmpty());
    }

    void noPortSelectedSaysSoOnce() {
        MaintRig rig(false);
        bool startAgain = false, stillOpen = false, gaugeHidden = false;
        rig.people.fileAnswers.enqueue(files.write("n.nfr", imageFile(firmwareOf(60))));
        whenModal<TFboot>([&](TFboot* d) {
            d->Button1->click();
            d->ButtonStart->click();
            stillOpen = d->isVisible();
            startAgain = d->ButtonStart->isEnabled() && d->Button1->isEnabled();
            gaugeHidden = d->BarBoot->isHidden();
            d->close();
        });
        rig.w().ButtonFirmware->click();
        QCOMPARE(rig.people.messages(), (QStringList{kOpen, "error: Port Not Open."}));
        QVERIFY(rig.recorder.received().isEmpty());
        QVERIFY(stillOpen);
        QVERIFY(startAgain);
        QVERIFY(gaugeHidden);
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QVERIFY(rig.w().ButtonFirmware->isEnabled());
    }

    void portThatCannotOpenOpensNoDialog() {
        MaintRig rig;
        rig.wire.setBusy(true);
        bool shown = false;
        QTimer* poll = whenModal<TFboot>([&](TFboot* d) {
            shown = true;
            d->close();
        });
        rig.w().ButtonFirmware->click();
        rig.runTicks(5);
        QVERIFY(!shown);
        delete poll;
        QCOMPARE(rig.people.messages(), QStringList{"error: Unable to open com port (Error: 16)"});
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
    }

    void portLostDuringTheTransferIsReportedOnce() {
        MaintRig rig;
        QString lost;
        QObject::connect(&rig.wire, &SerialPort::portLost, [&](const QString& m) { lost = m; });
        QObject::connect(&rig.recorder, &Recorder::frameReceived, [&](quint8 code, const QByteArray& payload) {
            if (code == kFirmwareBlockCode && quint8(payload.at(0)) == 1)
                QTimer::singleShot(0, &rig.wire, [&] { rig.wire.unplug(); });
        });
        const UpdateRun run = runUpdate(rig, files.write("p.nfr", imageFile(firmwareOf(400))));
        QVERIFY(!lost.isEmpty());
        QCOMPARE(rig.people.messages(), (QStringList{kOpen, kWarning, "error: " + lost}));
        QCOMPARE(rig.received(kFirmwareBlockCode).size(), 2);
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
        QVERIFY(run.dialog.isNull());
    }
};

QTEST_MAIN(MaintUpdateTest)
#include "tst_maint_update.moc"
