// Every operation that talks to the recorder, with the port pulled out, the recorder falling silent, or
// the line filling with garbage at several points of the exchange: at its first frames, in its middle
// (records still arriving, firmware blocks half sent, an erase waiting on its second try) and at the
// status-query item that a recorder may not know. Whatever happens, the program must not hang, must
// show exactly one box about it, must end idle with the port closed and no notice left on the screen,
// must keep every configuration value, and must not report a success that did not happen.
// Garbage that passes lets the operation recover and succeed.

#include "config/ConfigArea.h"
#include "config/ConfigItems.h"
#include "events/EventDecode.h"
#include "events/EventRegister.h"
#include "maintenance/BootDialog.h"
#include "maintenance/PasswordDialog.h"
#include "link/ReplyAssembler.h"
#include "link/Text.h"
#include "sim/SimWire.h"
#include "tst_maint_rig.h"

#include <QAction>
#include <QLabel>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

using namespace maint;

namespace {
enum class Op { Login, LiveStatus, ConfigRead, ConfigWrite, Download, Erase, Clock, Password, Firmware };
enum class Fault { Unplug, Silence, Garbage };
// Where the fault strikes.
enum class Trigger {
    Frame,       // as the recorder receives its n-th frame
    Record,      // when the n-th record of a download has reached the window
    SecondTry,   // the recorder ignores the first frame; the fault strikes as the resend arrives
};

const char* opName(Op op) {
    static const char* names[] = {"login", "live status", "config read", "config write", "register download",
                                  "register erase", "clock", "password", "firmware"};
    return names[int(op)];
}
const char* faultName(Fault f) {
    static const char* names[] = {"unplug", "silence", "garbage"};
    return names[int(f)];
}

const QStringList kSuccess = {"information: Wylogowano ze MX-4", "information: Ustawiono zegar w MX-4",
                              "information: Hasło zmienione", "information: Aktualizacja zakonczona",
                              "information: Rejestr zdarzeń skasowany"};
// 24 blocks of 128 bytes: frames 2 to 25 of an update are blocks.
constexpr int kFirmwareBytes = 3000;
constexpr int kRecords = 40;

int covered = 0;

// Windows other than the main one still on the screen: a progress notice, a dialog, a box.
QStringList leftShown(QWidget* main) {
    QStringList shown;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != main && top->isVisible() && !top->inherits("QMenu"))
            shown << (top->objectName().isEmpty() ? QString::fromLatin1(top->metaObject()->className()) : top->objectName());
    return shown;
}

// The values a configuration read leaves when it stops after some item: the values before, with the
// first n items taken from the recorder, for some n.
bool isPartialRead(const ConfigValues& after, const ConfigValues& before, const Recorder& recorder) {
    ConfigValues v = before;
    if (v == after) return true;
    for (const ConfigItem& item : configItems()) {
        DecodeItem(item.readCode, recorder.itemForCode(item.readCode), v);
        if (v == after) return true;
    }
    return false;
}
}  // namespace

class FaultSweepTest : public QObject {
    Q_OBJECT
    Files files;

    // Starts the operation and returns when its handler has returned (the download and the live status
    // go on in the event loop).
    void run(MaintRig& rig, Op op) {
        TMain& w = rig.w();
        switch (op) {
        case Op::Login:
            w.Button_polacz->click();
            break;
        case Op::LiveStatus:
            rig.runTicks(60);
            break;
        case Op::ConfigRead:
            w.Icon_get->click();
            break;
        case Op::ConfigWrite:
            w.Icon_put->click();
            break;
        case Op::Download:
            w.ButtonPobierz->click();
            rig.waitFor([&] { return !w.eventRegister->downloading(); }, 600);
            break;
        case Op::Erase:
            rig.people.yesNoAnswers.enqueue(true);
            w.ButtonKasuj->click();
            break;
        case Op::Clock:
            w.ButtonZegar->click();
            break;
        case Op::Password:
            whenModal<TFhaslo_nowe>([&](TFhaslo_nowe* d) {
                QPointer<TFhaslo_nowe> dialog(d);
                d->Edit_haslo_nowe->setText("5678");
                d->Button1->click();
                if (dialog && dialog->isVisible()) dialog->Button2->click();
            });
            w.Button_zmiana_hasla->click();
            break;
        case Op::Firmware: {
            rig.people.fileAnswers.enqueue(files.write("fw.nfr", imageFile(firmwareOf(kFirmwareBytes))));
            whenModal<TFboot>([&](TFboot* d) {
                QPointer<TFboot> dialog(d);
                d->Button1->click();
                if (d->ButtonStart->isEnabled()) d->ButtonStart->click();
                if (dialog && dialog->isVisible()) dialog->close();
            });
            w.ButtonFirmware->click();
            break;
        }
        }
    }

    // A window on the simulated recorder, logged in (or not, for the two operations that start there),
    // with a register to download.
    static void prepare(MaintRig& rig, Op op) {
        rig.recorder.fillRegister(kRecords, 7);
        if (op != Op::Login && op != Op::Firmware) {
            rig.logIn();
            if (!rig.waitFor([&] { return rig.w().Icon_get->isEnabled(); }, 40)) qWarning("no status after the login");
            rig.waitFor([&] { return !rig.link().exchangeActive(); }, 20);
        }
        rig.people.clear();
        rig.recorder.clearLog();
    }

    // Calls `strike` once, at the point the trigger names.
    static void armTrigger(MaintRig& rig, Trigger trigger, int at, std::function<void()> strike) {
        auto struck = std::make_shared<bool>(false);
        auto fire = [struck, strike] {
            if (*struck) return;
            *struck = true;
            strike();
        };
        switch (trigger) {
        case Trigger::Frame:
        case Trigger::SecondTry: {
            if (trigger == Trigger::SecondTry) rig.recorder.faults().silentNextFrames = 1;
            auto frames = std::make_shared<int>(0);
            QObject::connect(&rig.recorder, &Recorder::frameReceived, &rig.wire, [frames, at, fire](quint8, const QByteArray&) {
                if (++*frames == at) fire();
            });
            break;
        }
        case Trigger::Record: {
            // Record frames as the wire hands them to the window (the list shows them a little later,
            // in batches).
            auto received = std::make_shared<AssemblerState>();
            auto records = std::make_shared<int>(0);
            QObject::connect(&rig.wire, &SimWire::chunkDelivered, &rig.wire, [received, records, at, fire](const QByteArray& bytes) {
                received->rxBuffer += bytes;
                for (const ReplyFrame& f : AssembleAll(*received))
                    if (f.code == EventRegister::kRecordCode && ++*records == at) fire();
            });
            break;
        }
        }
    }

    static void addRows(bool recovery) {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("trigger");
        QTest::addColumn<int>("at");
        const QVector<int> faults = recovery ? QVector<int>{int(Fault::Garbage)}
                                             : QVector<int>{int(Fault::Unplug), int(Fault::Silence), int(Fault::Garbage)};
        for (int op = 0; op <= int(Op::Firmware); ++op)
            for (int fault : faults) {
                QVector<int> points{1, 2, 6, 20};
                // Item 39 is the status-query text (read code 80), the one a recorder may not know.
                if (Op(op) == Op::ConfigRead || Op(op) == Op::ConfigWrite) points << 39;
                for (int at : points)
                    QTest::addRow("%s, %s at frame %d", opName(Op(op)), faultName(Fault(fault)), at)
                        << op << fault << int(Trigger::Frame) << at;
                if (Op(op) == Op::Download)
                    for (int at : {1, 10, 30})
                        QTest::addRow("%s, %s at record %d", opName(Op(op)), faultName(Fault(fault)), at)
                            << op << fault << int(Trigger::Record) << at;
                if (Op(op) == Op::Erase || Op(op) == Op::Clock || Op(op) == Op::Download)
                    QTest::addRow("%s, %s on the second try", opName(Op(op)), faultName(Fault(fault)))
                        << op << fault << int(Trigger::SecondTry) << 2;
            }
    }

private Q_SLOTS:
    void sweep_data() { addRows(false); }

    void sweep() {
        QFETCH(int, op);
        QFETCH(int, fault);
        QFETCH(int, trigger);
        QFETCH(int, at);
        const Op operation = Op(op);
        const Fault kind = Fault(fault);
        MaintRig rig;
        prepare(rig, operation);
        const ConfigValues before = rig.w().Config->values();
        const QString passwordBefore = rig.w().Edit_haslo->text();

        int appliedAt = -1;  // index in people.shown when the fault struck
        bool babbling = false;
        armTrigger(rig, Trigger(trigger), at, [&] {
            appliedAt = int(rig.people.shown.size());
            switch (kind) {
            case Fault::Unplug:
                // Pulled out as this frame went: it gets no answer, and the port goes.
                rig.recorder.faults().silent = true;
                QTimer::singleShot(0, &rig.wire, [&] { rig.wire.unplug(); });
                break;
            case Fault::Silence:
                rig.recorder.faults().silent = true;
                break;
            case Fault::Garbage:
                rig.recorder.faults().corruptNextReplies = SimFaults::kAlways;
                rig.recorder.faults().glueNextAcks = SimFaults::kAlways;
                rig.recorder.faults().babbleWithStartBytes = true;
                babbling = true;
                rig.recorder.babble(300);
                break;
            }
        });
        QObject::connect(&rig.recorder, &Recorder::frameReceived, &rig.wire, [&](quint8, const QByteArray&) {
            if (babbling) rig.recorder.babble(300);
        });

        run(rig, operation);
        if (appliedAt < 0) QSKIP("the operation ended before this point");
        ++covered;
        const int shownWhenItEnded = int(rig.people.shown.size());

        // A silent recorder after a read of the status-query text ends the read quietly with the port
        // open: that is how a recorder without this item is told apart.
        QStringList afterFault = rig.people.shown.mid(appliedAt);
        const bool silentRead80 = operation == Op::ConfigRead && kind != Fault::Unplug &&
                                  rig.recorder.received().size() >= 3 &&
                                  rig.recorder.received().last().code == kSilentReadCode;
        if (silentRead80) {
            QVERIFY(rig.wire.Connected());
            QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
            QVERIFY2(afterFault.filter(QRegularExpression("^error:")).isEmpty(), qPrintable(afterFault.join(" | ")));
            QCOMPARE(leftShown(&rig.w()), QStringList());
            return;
        }

        // It never hangs: the port is closed within the time three tries of the longest wait take.
        QVERIFY2(rig.waitFor([&] { return !rig.wire.Connected(); }, 1200), qPrintable(rig.people.shown.join(" | ")));
        rig.runTicks(40);
        afterFault = rig.people.shown.mid(appliedAt);
        QCOMPARE(rig.w().Edit_status->text(), QStringLiteral("ROZŁĄCZONY"));
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QVERIFY(rig.w().Button_polacz->isEnabled());
        QVERIFY(!rig.w().Button_rozlacz->isEnabled());
        QVERIFY(!rig.w().Icon_get->isEnabled() && !rig.w().ButtonPobierz->isEnabled());
        QVERIFY(!rig.w().eventRegister->downloading());
        // Idle: no progress notice, dialog or box left on the screen.
        QCOMPARE(leftShown(&rig.w()), QStringList());

        // One box about what went wrong, and no other box of any kind after the fault.
        auto boxesIn = [](const QStringList& shown) {
            QStringList boxes;
            for (const QString& s : shown)
                if (s != QLatin1String("beep")) boxes << s;
            return boxes;
        };
        const QString all = rig.people.shown.join(" | ");
        if (Trigger(trigger) == Trigger::Record && kind != Fault::Unplug) {
            // Records stop coming: the download ends with its box and the connection stays, as for a
            // lost end frame; then the status request finds the recorder silent and says so again.
            const QStringList download = boxesIn(rig.people.shown.mid(appliedAt, shownWhenItEnded - appliedAt));
            QVERIFY2(download == QStringList{"error: Brak odpowiedzi z MX-4"}, qPrintable(all));
            QVERIFY2(boxesIn(rig.people.shown.mid(shownWhenItEnded)) == QStringList{"error: Brak odpowiedzi z MX-4"}, qPrintable(all));
        } else {
            const QStringList boxes = boxesIn(afterFault);
            QVERIFY2(boxes.size() == 1 && boxes[0].startsWith("error: "), qPrintable(all));
        }
        for (const QString& s : afterFault) QVERIFY2(!kSuccess.contains(s), qPrintable(s));

        // Every configuration value is kept; a read may have brought in the items before the fault.
        const ConfigValues after = rig.w().Config->values();
        if (operation == Op::ConfigRead)
            QVERIFY(isPartialRead(after, before, rig.recorder));
        else
            QVERIFY(after == before);
        if (!rig.people.shown.contains("information: Hasło zmienione")) QCOMPARE(rig.w().Edit_haslo->text(), passwordBefore);
    }

    // One corrupted answer and a burst of junk, then a recorder that answers well again: the resend
    // brings the operation to its end.
    void recovery_data() { addRows(true); }

    void recovery() {
        QFETCH(int, op);
        QFETCH(int, trigger);
        QFETCH(int, at);
        const Op operation = Op(op);
        MaintRig rig;
        prepare(rig, operation);
        // What a read must bring: values unlike the window's.
        ConfigValues onRecorder = ConfigValues::defaults();
        onRecorder.text(TextField::Edit_Tel1) = "+48111222333";
        onRecorder.text(TextField::Edit_IN3A) = "Drzwi otwarte";
        onRecorder.matrix[RowIN2][Voice][4] = true;
        onRecorder.temp.highCode = 140;
        onRecorder.text(TextField::TempZapisz) = "30";
        if (operation == Op::ConfigRead) {
            for (const ConfigItem& item : configItems()) rig.recorder.setItemForCode(item.readCode, EncodeItem(item, onRecorder));
            // The recorder keeps the SMS centre with its zero byte, which selects the operator.
            rig.recorder.setItem(2, operatorNumber(0).toLatin1() + QByteArray(1, '\0'));
        }
        if (operation == Op::ConfigWrite) rig.w().Config->setValues(onRecorder);

        bool struck = false;
        armTrigger(rig, Trigger(trigger), at, [&] {
            struck = true;
            rig.recorder.faults().corruptNextReplies = 1;
            rig.recorder.faults().glueNextAcks = 1;
            rig.recorder.faults().ackGlue = QByteArray("n\x05", 2);
            rig.recorder.faults().babbleWithStartBytes = true;
            rig.recorder.faults().babbleBytes = 40;
        });
        run(rig, operation);
        if (!struck) QSKIP("the operation ended before this point");
        rig.waitFor([&] { return !rig.link().exchangeActive(); }, 40);

        QVERIFY2(rig.people.shown.filter(QRegularExpression("^error:")).isEmpty(), qPrintable(rig.people.shown.join(" | ")));
        QCOMPARE(leftShown(&rig.w()), QStringList());
        const bool loggedInAfter = operation != Op::Firmware;
        QCOMPARE(rig.loggedIn(), loggedInAfter);
        switch (operation) {
        case Op::Login:
        case Op::LiveStatus:
            QVERIFY(rig.waitFor([&] { return rig.w().Icon_get->isEnabled(); }, 60));
            break;
        case Op::ConfigRead:
            QVERIFY(rig.w().Config->values() == onRecorder);
            break;
        case Op::ConfigWrite:
            for (const ConfigItem& item : configItems())
                QCOMPARE(rig.recorder.itemForCode(item.readCode), EncodeItem(item, onRecorder));
            break;
        case Op::Download: {
            const QString text = rig.w().trm->toPlainText();
            QVERIFY2(text.endsWith(EndOfRegisterText()), qPrintable(text.right(200)));
            break;
        }
        case Op::Erase:
            QVERIFY(rig.people.shown.contains("information: Rejestr zdarzeń skasowany"));
            QCOMPARE(rig.recorder.recordCount(), 0);
            break;
        case Op::Clock:
            QVERIFY(rig.people.shown.contains("information: Ustawiono zegar w MX-4"));
            break;
        case Op::Password:
            QVERIFY(rig.people.shown.contains("information: Hasło zmienione"));
            QCOMPARE(rig.recorder.password(), QByteArray("5678"));
            break;
        case Op::Firmware:
            QVERIFY2(rig.people.shown.contains("information: Aktualizacja zakonczona"), qPrintable(rig.people.shown.join(" | ")));
            QCOMPARE(rig.recorder.firmwareImage().left(kFirmwareBytes), firmwareOf(kFirmwareBytes));
            break;
        }
    }

    void cleanupTestCase() {
        qInfo("fault sweep: %d operation x fault x point combinations exercised", covered);
        QVERIFY(covered >= 80);
    }
};

QTEST_MAIN(FaultSweepTest)
#include "tst_fault_sweep.moc"
