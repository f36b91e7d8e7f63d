// Every operation that talks to the recorder, with the port pulled out, the recorder falling silent, or
// the line filling with garbage at several points of the exchange. Whatever happens, the program must
// not hang, must say what went wrong once, must end idle with the port closed, must keep the values in
// the window, and must not report a success that did not happen.

#include "config/ConfigArea.h"
#include "config/ConfigItems.h"
#include "events/EventRegister.h"
#include "maintenance/BootDialog.h"
#include "maintenance/PasswordDialog.h"
#include "link/Text.h"
#include "tst_maint_rig.h"

#include <QAction>
#include <QLabel>
#include <QToolButton>
#include <QtTest>

using namespace maint;

namespace {
enum class Op { Login, LiveStatus, ConfigRead, ConfigWrite, Download, Erase, Clock, Password, Firmware };
enum class Fault { Unplug, Silence, Garbage };

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

int covered = 0;
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
            rig.people.fileAnswers.enqueue(files.write("fw.nfr", imageFile(firmwareOf(1000))));
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

private Q_SLOTS:
    void sweep_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("atFrame");
        for (int op = 0; op <= int(Op::Firmware); ++op)
            for (int fault = 0; fault <= int(Fault::Garbage); ++fault)
                for (int at : {1, 2, 6, 20})
                    QTest::addRow("%s, %s at frame %d", opName(Op(op)), faultName(Fault(fault)), at) << op << fault << at;
    }

    void sweep() {
        QFETCH(int, op);
        QFETCH(int, fault);
        QFETCH(int, atFrame);
        const Op operation = Op(op);
        const Fault kind = Fault(fault);
        MaintRig rig;
        rig.recorder.fillRegister(40, 7);
        if (operation != Op::Login && operation != Op::Firmware) {
            rig.logIn();
            QVERIFY(rig.waitFor([&] { return rig.w().Icon_get->isEnabled(); }, 40));
            rig.waitFor([&] { return !rig.link().exchangeActive(); }, 20);
        }
        const ConfigValues before = rig.w().Config->values();
        const QString passwordBefore = rig.w().Edit_haslo->text();
        rig.people.clear();
        rig.recorder.clearLog();

        int frames = 0;
        int appliedAt = -1;  // index in people.shown when the fault struck
        QObject::connect(&rig.recorder, &Recorder::frameReceived, &rig.wire, [&](quint8, const QByteArray&) {
            ++frames;
            if (appliedAt < 0 && frames == atFrame) {
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
                    break;
                }
            }
            if (appliedAt >= 0 && kind == Fault::Garbage) rig.recorder.babble(300);
        });

        run(rig, operation);
        if (appliedAt < 0) QSKIP("the operation ended before this frame");
        ++covered;

        // A silent recorder after a read of the status-query text ends the read quietly with the port
        // open: that is how a recorder without this item is told apart.
        const bool silentRead80 = operation == Op::ConfigRead && kind != Fault::Unplug &&
                                  rig.recorder.received().size() >= 3 &&
                                  rig.recorder.received().last().code == kSilentReadCode;
        if (silentRead80) {
            QVERIFY(rig.wire.Connected());
            QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
            QVERIFY(rig.people.messages().filter(QRegularExpression("^error:")).isEmpty());
            return;
        }

        // It never hangs: the port is closed within the time three tries of the longest wait take.
        QVERIFY2(rig.waitFor([&] { return !rig.wire.Connected(); }, 1200), qPrintable(rig.people.shown.join(" | ")));
        rig.runTicks(40);
        QCOMPARE(rig.w().Edit_status->text(), QStringLiteral("ROZŁĄCZONY"));
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QVERIFY(rig.w().Button_polacz->isEnabled());
        QVERIFY(!rig.w().Button_rozlacz->isEnabled());
        QVERIFY(!rig.w().Icon_get->isEnabled() && !rig.w().ButtonPobierz->isEnabled());

        // One clear message about what went wrong.
        const QStringList errors = rig.people.shown.mid(appliedAt).filter(QRegularExpression("^error:"));
        QVERIFY2(errors.size() == 1, qPrintable(rig.people.shown.join(" | ")));
        // No success after the fault.
        for (const QString& s : rig.people.shown.mid(appliedAt)) QVERIFY2(!kSuccess.contains(s), qPrintable(s));

        // The values in the window are kept (a read may have brought some in before the fault).
        const ConfigValues after = rig.w().Config->values();
        if (operation == Op::ConfigRead) {
            for (const ConfigItem& item : configItems())
                if (item.kind == ItemKind::Text)
                    QVERIFY(after.text(item.field) == before.text(item.field) ||
                            toCp1250(after.text(item.field), "x") == rig.recorder.itemForCode(item.readCode).split('\0').first());
        } else {
            QVERIFY(after == before);
        }
        if (!rig.people.shown.contains("information: Hasło zmienione")) QCOMPARE(rig.w().Edit_haslo->text(), passwordBefore);
    }

    void cleanupTestCase() {
        qInfo("fault sweep: %d operation x fault x point combinations exercised", covered);
        QVERIFY(covered >= 55);
    }
};

QTEST_MAIN(FaultSweepTest)
#include "tst_fault_sweep.moc"
