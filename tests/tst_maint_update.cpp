// The firmware update through the main window: file checks, the transfer, acknowledgements, resends,
// failures and what the window shows afterwards.

#include "app/MainWindow.h"
#include "maintenance/BootDialog.h"
#include "maintenance/FirmwareUpdate.h"
#include "tst_maint_rig.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace maint;
using Rig = WindowRig<FakePort>;

namespace {
const QString kWarning = QStringLiteral("warning: NIE WYŁĄCZAJ MX-4 Z ZASILANIA");
const QString kDone = QStringLiteral("information: Aktualizacja zakonczona");
const QString kFailed = QStringLiteral("error: Brak odpowiedzi z MX-4, aktualizacja nieudana");
const QString kOpen = QStringLiteral("open: MX-4 firmware (*.nfr)");

// Opens the dialog with "Aktualizacja", picks `path`, presses START when it is enabled, and reports
// what the dialog showed.
struct UpdateRun {
    bool dialogShown = false;
    bool startEnabled = false;
    bool linesRaised = false;
    bool pollingWhileOpen = true;
    QPointer<TFboot> dialog;
    QList<int> progress;
};

UpdateRun runUpdate(Rig& rig, const QString& path, std::function<void(TFboot*)> beforeStart = {}) {
    UpdateRun run;
    rig.people.fileAnswers.enqueue(path);
    whenModal<TFboot>([&](TFboot* d) {
        run.dialogShown = true;
        run.dialog = d;
        run.linesRaised = rig.port.dtr() && rig.port.rts();
        run.pollingWhileOpen = rig.link().st.pollingEnabled;
        QObject::connect(d->BarBoot, &QProgressBar::valueChanged, [&](int v) { run.progress.append(v); });
        d->Button1->click();
        run.startEnabled = d->ButtonStart->isEnabled();
        if (beforeStart) beforeStart(d);
        if (run.startEnabled) d->ButtonStart->click();
        // A dialog the transfer did not close is closed here, as the person would.
        if (run.dialog && run.dialog->isVisible()) run.dialog->close();
    });
    rig.w().ButtonFirmware->click();
    return run;
}

QList<quint8> blockCodesOnly(const QList<quint8>& codes) {
    QList<quint8> out;
    for (quint8 c : codes)
        if (c == kRestartCode || c == kFirmwareBlockCode || c == kFirmwareEndCode) out.append(c);
    return out;
}
}  // namespace

class MaintUpdateTest : public QObject {
    Q_OBJECT
    Files files;

private Q_SLOTS:
    void successfulUpdate() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        const QByteArray firmware = firmwareOf(132);
        const UpdateRun run = runUpdate(rig, files.write("ok.nfr", imageFile(firmware)));
        QVERIFY(run.dialogShown);
        QVERIFY(run.startEnabled);
        QVERIFY(run.linesRaised);
        QVERIFY(!run.pollingWhileOpen);
        QCOMPARE(rig.people.shown, (QStringList{kOpen, "beep", kWarning, kDone}));
        // Restart, two blocks, the end command; nothing else.
        QCOMPARE(recorder.codes, (QList<quint8>{kRestartCode, kFirmwareBlockCode, kFirmwareBlockCode, kFirmwareEndCode}));
        QCOMPARE(rig.port.written.first(), QByteArray::fromHex("4EFF014290"));
        QCOMPARE(rig.port.written.last(), QByteArray::fromHex("4E66014B00"));
        QCOMPARE(rig.port.written[1].left(4), QByteArray::fromHex("4E658100"));
        QCOMPARE(rig.port.written[2].left(4), QByteArray::fromHex("4E658101"));
        QCOMPARE(recorder.received(), firmware + QByteArray(124, char(0xFF)));
        QCOMPARE(run.progress, (QList<int>{128 * 100 / 136, 132 * 100 / 136, 100}));
        // Disconnected and logged out, the dialog gone.
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QVERIFY(!rig.port.Connected());
        QVERIFY(run.dialog.isNull());
        QVERIFY(rig.w().Button_polacz->isEnabled());
    }

    void updateWhileLoggedInLogsOutFirst() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        rig.w().Button_polacz->click();
        QVERIFY(rig.link().st.loggedIn);
        rig.runTicks(1);
        const UpdateRun run = runUpdate(rig, files.write("ok2.nfr", imageFile(firmwareOf(700))));
        QVERIFY(run.startEnabled);
        QVERIFY(!run.pollingWhileOpen);
        QVERIFY(!rig.link().st.loggedIn);
        QVERIFY(recorder.ended);
        // No status request slipped in between the restart and the end command.
        const int restart = int(recorder.codes.indexOf(kRestartCode));
        QVERIFY(!recorder.codes.mid(restart).contains(253));
        QCOMPARE(recorder.received().left(700), firmwareOf(700));
    }

    void missedAcknowledgements_data() {
        QTest::addColumn<int>("firmwareBytes");
        QTest::addColumn<QList<int>>("missesPerBlock");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("two on one block") << 400 << QList<int>{0, 2, 0, 0} << true;
        QTest::newRow("one on each of two blocks") << 400 << QList<int>{1, 0, 0, 1} << true;
        QTest::newRow("third on a later block") << 400 << QList<int>{1, 1, 1, 0} << false;
        QTest::newRow("three on the first block") << 400 << QList<int>{3, 0, 0, 0} << false;
    }
    void missedAcknowledgements() {
        QFETCH(int, firmwareBytes);
        QFETCH(QList<int>, missesPerBlock);
        QFETCH(bool, succeeds);
        Rig rig;
        FakeRecorder recorder(rig.port);
        recorder.ack = [&](int block, int send) {
            return send < missesPerBlock.value(block) ? QByteArray() : QByteArray("!");
        };
        runUpdate(rig, files.write("m.nfr", imageFile(firmwareOf(firmwareBytes))));
        QCOMPARE(recorder.ended, succeeds);
        QCOMPARE(rig.people.messages().contains(kDone), succeeds);
        QCOMPARE(rig.people.messages().contains(kFailed), !succeeds);
        if (succeeds) {
            QCOMPARE(recorder.received().left(firmwareBytes), firmwareOf(firmwareBytes));
        } else {
            // The third expiry ends it: the failing block got its two-resend budget's remainder and no
            // later block was sent.
            int spent = 0, failing = 0;
            for (int b = 0; b < missesPerBlock.size(); ++b) {
                if (spent + missesPerBlock[b] > 2) {
                    failing = b;
                    break;
                }
                spent += missesPerBlock[b];
            }
            QCOMPARE(recorder.sends.value(failing), 1 + (2 - spent));
            QVERIFY(!recorder.sends.contains(failing + 1));
        }
        QVERIFY(!rig.port.Connected());
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
    }

    void ackGluedToAnotherByteIsNotSeen_data() {
        QTest::addColumn<QByteArray>("chunk");
        QTest::newRow("! then a byte") << QByteArray("!x");
        QTest::newRow("a byte then !") << QByteArray("x!");
        QTest::newRow("two !") << QByteArray("!!");
        QTest::newRow("other lone byte") << QByteArray("?");
    }
    void ackGluedToAnotherByteIsNotSeen() {
        QFETCH(QByteArray, chunk);
        Rig rig;
        FakeRecorder recorder(rig.port);
        recorder.ack = [&](int block, int send) { return block == 0 && send == 0 ? chunk : QByteArray("!"); };
        runUpdate(rig, files.write("g.nfr", imageFile(firmwareOf(200))));
        QCOMPARE(recorder.sends.value(0), 2);
        QCOMPARE(recorder.sends.value(1), 1);
        QVERIFY(recorder.ended);
    }

    void ackInTheExpiringPassCounts() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        bool waiting = false, delivered = false;
        recorder.ack = [&](int block, int) {
            if (block != 0) return QByteArray("!");
            waiting = true;
            return QByteArray();
        };
        // Runs right after the link's own tick, in the same timer event: the "!" arrives in the pass in
        // which the block's time-out has just run out.
        QObject::connect(rig.link().timer(), &QTimer::timeout, [&] {
            if (waiting && !delivered && rig.link().st.timeoutTicks == 0) {
                delivered = true;
                rig.port.deliver("!");
            }
        });
        runUpdate(rig, files.write("e.nfr", imageFile(firmwareOf(200))));
        QVERIFY(delivered);
        QCOMPARE(recorder.sends.value(0), 1);
        QVERIFY(recorder.ended);
        QVERIFY(rig.people.messages().contains(kDone));
    }

    void failureOnTheLastBlockShowsOnlyTheFailure() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        recorder.ack = [](int block, int) { return block == 1 ? QByteArray() : QByteArray("!"); };
        const UpdateRun run = runUpdate(rig, files.write("l.nfr", imageFile(firmwareOf(132))));
        QCOMPARE(rig.people.shown, (QStringList{kOpen, "beep", kWarning, "beep", kFailed}));
        QCOMPARE(recorder.sends.value(1), 3);
        QVERIFY(!recorder.ended);
        QVERIFY(!blockCodesOnly(recorder.codes).contains(kFirmwareEndCode));
        QVERIFY(!rig.port.Connected());
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
        QVERIFY(run.dialog.isNull());
        // The gauge never claimed completion.
        QVERIFY(!run.progress.contains(100));
    }

    void badFilesNeverEnableStart() {
        Rig rig;
        FakeRecorder recorder(rig.port);
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
        QVERIFY(recorder.codes.isEmpty());
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
        Rig rig;
        FakeRecorder recorder(rig.port);
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
        QVERIFY(recorder.codes.isEmpty());
    }

    void transferCannotBeDisturbed() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        QPointer<TFboot> dialog;
        bool stillOpen = false, buttonsOff = false;
        recorder.onBlock = [&](int block, int) {
            if (block != 1 || !dialog) return;
            dialog->close();
            dialog->reject();
            dialog->Button1->click();
            dialog->ButtonStart->click();
            stillOpen = dialog && dialog->isVisible();
            buttonsOff = !dialog->Button1->isEnabled() && !dialog->ButtonStart->isEnabled();
        };
        const UpdateRun run = runUpdate(rig, files.write("d.nfr", imageFile(firmwareOf(500))), [&](TFboot* d) {
            dialog = d;
        });
        QVERIFY(stillOpen);
        QVERIFY(buttonsOff);
        // One file request, one restart, every block once, one end.
        QCOMPARE(rig.people.count(kOpen), 1);
        QCOMPARE(recorder.count(kRestartCode), 1);
        QCOMPARE(recorder.count(kFirmwareBlockCode), 4);
        QVERIFY(recorder.ended);
        QVERIFY(run.dialog.isNull());
    }

    void noPortSelectedSaysSoOnce() {
        Rig rig(QVector<PortEntry>{});
        FakeRecorder recorder(rig.port);
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
        QVERIFY(rig.port.written.isEmpty());
        QVERIFY(stillOpen);
        QVERIFY(startAgain);
        QVERIFY(gaugeHidden);
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QVERIFY(rig.w().ButtonFirmware->isEnabled());
    }

    void portThatCannotOpenOpensNoDialog() {
        Rig rig;
        rig.port.openFails = true;
        bool shown = false;
        QTimer* poll = whenModal<TFboot>([&](TFboot* d) {
            shown = true;
            d->close();
        });
        rig.w().ButtonFirmware->click();
        rig.runTicks(5);
        QVERIFY(!shown);
        delete poll;
        QCOMPARE(rig.people.messages(), QStringList{"error: Unable to open com port (Error: 2)"});
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
    }

    void portLostDuringTheTransferIsReportedOnce() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        recorder.ack = [&](int block, int) {
            if (block == 1) {
                QTimer::singleShot(0, &rig.port, [&] {
                    rig.port.ClosePort();
                    Q_EMIT rig.port.portLost(QStringLiteral("Port COM1 został odłączony"));
                });
                return QByteArray();
            }
            return QByteArray("!");
        };
        const UpdateRun run = runUpdate(rig, files.write("p.nfr", imageFile(firmwareOf(400))));
        QCOMPARE(rig.people.messages(), (QStringList{kOpen, kWarning, "error: Port COM1 został odłączony"}));
        QCOMPARE(recorder.count(kFirmwareBlockCode), 2);
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
        QVERIFY(run.dialog.isNull());
    }
};

QTEST_MAIN(MaintUpdateTest)
#include "tst_maint_update.moc"
