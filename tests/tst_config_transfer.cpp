// Reading and writing the whole configuration against the simulated recorder.

#include "config/ConfigArea.h"
#include "config/ConfigItems.h"
#include "config/ConfigTransfer.h"
#include "config/ProgressDialog.h"
#include "link/Frame.h"
#include "support/FakePort.h"
#include "support/RandomConfig.h"
#include "support/WindowRig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QProgressBar>
#include <QToolButton>
#include <QtTest>

using F = TextField;

namespace {
// Puts a configuration into the recorder as it would hold it after a write.
void storeInRecorder(Recorder& recorder, const ConfigValues& v) {
    for (const ConfigItem& item : configItems()) {
        QByteArray payload = EncodeItem(item, v);
        if (item.field == F::Edit_operator && v.operatorIndex != kOperatorOther) payload.append('\0');
        recorder.setItemForCode(item.readCode, payload);
    }
}

QVector<quint8> codesFrom(const Recorder& r, int first, int last) {
    QVector<quint8> codes;
    for (const auto& f : r.received())
        if (f.code >= first && f.code <= last) codes.append(f.code);
    return codes;
}

bool loggedInAndReady(SimRig& rig) {
    return rig.login() && rig.waitFor([&] { return rig.w().Icon_get->isEnabled(); }, 40);
}
}  // namespace

class ConfigTransferTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gaugeIsPaintedAFewTimesASecondNotAtEveryItem() {
        // A transfer moves the gauge at every item; a paint each time was a third of a read's work.
        QWidget parent;
        parent.resize(400, 300);
        parent.show();
        TFormProgres progress(&parent);
        progress.start(QStringLiteral("Pobieram konfiguracje sterownika"));
        QVERIFY(QTest::qWaitForWindowExposed(&progress));
        QCoreApplication::processEvents();
        int paints = 0;
        struct Counter : QObject {
            int* n;
            explicit Counter(int* count) : n(count) {}
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++*n;
                return false;
            }
        } counter(&paints);
        progress.Bar->installEventFilter(&counter);
        progress.setProgress(36);
        progress.setProgress(37);
        QCOMPARE(progress.Bar->value(), 37);
        QCOMPARE(progress.Bar->accessibleName(), QStringLiteral("Postęp przesyłania konfiguracji: 37%"));
        QCOMPARE(paints, 0);
        // Two moves, one paint, with the newer value.
        QTRY_VERIFY(paints > 0);
        QCOMPARE(paints, 1);
        // The same value again is no change at all.
        paints = 0;
        progress.setProgress(37);
        QCoreApplication::processEvents();
        QCOMPARE(paints, 0);
    }

    void fullRead() {
        SimRig rig;
        QRandomGenerator rng(1);
        const ConfigValues v = randomConfig(rng);
        storeInRecorder(rig.recorder, v);
        QVERIFY(loggedInAndReady(rig));
        rig.recorder.clearLog();
        rig.w().Icon_get->click();
        QVERIFY(rig.w().Config->values() == v);
        QVector<quint8> expected;
        for (const ConfigItem& item : configItems()) expected.append(item.readCode);
        QCOMPARE(codesFrom(rig.recorder, 4, 84), expected);
        for (const auto& f : rig.recorder.received())
            if (f.code >= 4 && f.code <= 84) QCOMPARE(f.payload, QByteArray("T"));
        TFormProgres* progress = rig.w().findChild<TFormProgres*>();
        QCOMPARE(progress->Bar->value(), 100);
        QVERIFY(!progress->isVisible());
        QVERIFY(rig.w().Icon_get->isEnabled() && rig.w().Icon_put->isEnabled());
        QVERIFY(rig.link().st.pollingEnabled);
        QVERIFY(rig.people.shown.isEmpty());
    }

    void fullWrite() {
        SimRig rig;
        QVERIFY(loggedInAndReady(rig));
        QRandomGenerator rng(2);
        ConfigValues v = randomConfig(rng);
        rig.w().Config->setValues(v);
        rig.recorder.clearLog();
        rig.w().Icon_put->click();
        QVector<quint8> expected;
        for (const ConfigItem& item : configItems()) {
            expected.append(item.writeCode);
            QCOMPARE(rig.recorder.itemForCode(item.readCode), EncodeItem(item, v));
        }
        QCOMPARE(codesFrom(rig.recorder, 5, 85), expected);
        QCOMPARE(rig.w().findChild<TFormProgres*>()->Bar->value(), 41);
        QVERIFY(rig.w().Icon_get->isEnabled());
        QVERIFY(rig.people.shown.isEmpty());
    }

    void writeThenReadGivesTheSameValues() {
        SimRig rig;
        QVERIFY(loggedInAndReady(rig));
        QRandomGenerator rng(3);
        for (int n = 0; n < 15; ++n) {
            const ConfigValues v = randomConfig(rng);
            rig.w().Config->setValues(v);
            rig.w().configTransfer->WriteConfiguration();
            rig.w().Config->setValues(ConfigValues::defaults());
            rig.w().configTransfer->ReadConfiguration();
            // The SMS centre comes back without the zero it was written without, and still selects its
            // operator.
            QVERIFY2(rig.w().Config->values() == v, qPrintable(QString::number(n)));
        }
        QVERIFY(rig.people.shown.isEmpty());
    }

    void recorderFallsSilentDuringARead() {
        SimRig rig;
        QRandomGenerator rng(4);
        const ConfigValues v = randomConfig(rng);
        storeInRecorder(rig.recorder, v);
        QVERIFY(loggedInAndReady(rig));
        const ConfigValues before = rig.w().Config->values();
        const int k = 10;
        rig.recorder.faults().silentAfterFrames = k;
        rig.w().Icon_get->click();
        QCOMPARE(rig.people.shown, (QStringList{"beep", "error: Brak odpowiedzi z MX-4"}));
        const ConfigValues now = rig.w().Config->values();
        for (const ConfigItem& item : configItems()) {
            if (item.kind != ItemKind::Text) continue;
            const QString expected = item.number <= k ? v.text(item.field) : before.text(item.field);
            QCOMPARE(now.text(item.field), expected);
        }
        QCOMPARE(int(codesFrom(rig.recorder, 4, 84).count(quint8(4 + 2 * k))), 3);
        QVERIFY(!rig.wire.Connected());
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QVERIFY(!rig.w().Icon_get->isEnabled());
        QVERIFY(!rig.w().Pobierz1->isEnabled());
        QVERIFY(!rig.w().findChild<TFormProgres*>()->isVisible());
    }

    void recorderThatDoesNotKnowCode80() {
        SimRig rig;
        QVERIFY(loggedInAndReady(rig));
        rig.recorder.faults().silentCodes = {80};
        rig.recorder.clearLog();
        rig.w().Icon_get->click();
        QVERIFY(rig.people.shown.isEmpty());
        QVERIFY(rig.wire.Connected());
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        const QVector<quint8> codes = codesFrom(rig.recorder, 4, 84);
        QCOMPARE(codes.count(quint8(80)), 3);
        QVERIFY(!codes.contains(82) && !codes.contains(84));
        QCOMPARE(codes.size(), 38 + 3);
    }

    void emptyNumberFieldStopsTheWriteBeforeAnyFrame() {
        SimRig rig;
        QVERIFY(loggedInAndReady(rig));
        ConfigValues v = rig.w().Config->values();
        v.text(F::Edit_LimitSMS).clear();
        rig.w().Config->setValues(v);
        rig.recorder.clearLog();
        rig.w().Icon_put->click();
        QVERIFY(codesFrom(rig.recorder, 5, 85).isEmpty());
        QCOMPARE(rig.people.shown, (QStringList{"error: Pole „Limit SMS” nie zawiera liczby.", "beep",
                                                "plain: Port COM niedostępny"}));
        // Nothing was switched off.
        QVERIFY(rig.w().Icon_put->isEnabled());
        QVERIFY(rig.w().Pobierz1->isEnabled());
        QVERIFY(rig.link().st.pollingEnabled);
        QVERIFY(rig.w().Edit_logon->text() == QLatin1String("ZALOGOWANY"));
    }

    void valueGoneBadDuringTheWriteStopsAtItsItem() {
        SimRig rig;
        QVERIFY(loggedInAndReady(rig));
        connect(&rig.recorder, &Recorder::frameReceived, rig.w().Config, [&](quint8 code, const QByteArray&) {
            if (code == 21) {  // item 9 is being written: the technician empties a time field
                ConfigValues v = rig.w().Config->values();
                v.text(F::Out2Czas).clear();
                rig.w().Config->setValues(v);
            }
        });
        rig.recorder.clearLog();
        rig.w().Icon_put->click();
        const QVector<quint8> codes = codesFrom(rig.recorder, 5, 85);
        QCOMPARE(codes.size(), 23);
        QCOMPARE(codes.last(), quint8(49));
        QCOMPARE(rig.people.shown.first(), QString("error: Pole „OUT2 T [s]” nie zawiera liczby."));
        // The window ends as after a write.
        QVERIFY(!rig.w().findChild<TFormProgres*>()->isVisible());
        QVERIFY(rig.w().Icon_get->isEnabled() && rig.w().Icon_put->isEnabled());
        QVERIFY(rig.w().Pobierz1->isEnabled() && rig.w().ButtonPobierz->isEnabled());
        QVERIFY(rig.link().st.pollingEnabled);
    }

    void textTooLongForAFrameIsRefusedBeforeSending() {
        SimRig rig;
        QVERIFY(loggedInAndReady(rig));
        ConfigValues v = rig.w().Config->values();
        v.text(F::Edit_T1ok) = QString(253, QLatin1Char('x'));
        rig.w().Config->setValues(v);
        rig.recorder.clearLog();
        rig.w().Icon_put->click();
        QVERIFY(codesFrom(rig.recorder, 5, 85).isEmpty());
        QCOMPARE(rig.people.messages().size(), 1);
        QVERIFY(rig.people.messages()[0].startsWith("error: Pole „Norma” jest za długie"));
    }

    void noOtherCommandStartsInsideATransfer_data() {
        QTest::addColumn<bool>("write");
        QTest::newRow("read") << false;
        QTest::newRow("write") << true;
    }
    void noOtherCommandStartsInsideATransfer() {
        QFETCH(bool, write);
        SimRig rig;
        QVERIFY(loggedInAndReady(rig));
        TMain& w = rig.w();
        QStringList enabledDuring;
        int dialogsOpened = 0;
        bool fired = false;
        // Every command arrives inside the running transfer the way a click gets past a disabled control:
        // a queued signal, a shortcut, a menu entry. Each must be refused where it arrives.
        connect(&rig.recorder, &Recorder::frameReceived, w.Config, [&](quint8 code, const QByteArray&) {
            if (code != (write ? 31 : 30) || fired) return;
            fired = true;
            for (QAbstractButton* c : std::initializer_list<QAbstractButton*>{
                     w.ButtonKasuj, w.ButtonRestart, w.ButtonResetlimit, w.ButtonZegar, w.Button_zmiana_hasla,
                     w.ButtonPobierz, w.ButtonFirmware, w.Icon_get, w.Icon_put, w.Button_polacz, w.Button_rozlacz}) {
                if (c->isEnabled()) enabledDuring.append(c->objectName());
                Q_EMIT c->clicked();
            }
            for (QAction* a : {w.Pobierz1, w.Zapisz1, w.Odczyt1}) {
                if (a->isEnabled()) enabledDuring.append(a->objectName());
                Q_EMIT a->triggered();
            }
        });
        auto* poll = new QTimer(w.Config);
        connect(poll, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++dialogsOpened;
                modal->close();
            }
        });
        poll->start(1);
        rig.recorder.clearLog();
        rig.people.fileAnswers.enqueue(QStringLiteral("/nonexistent/x.ncf"));
        (write ? w.Icon_put : w.Icon_get)->click();
        QVERIFY(fired);
        QCOMPARE(enabledDuring, QStringList());
        QCOMPARE(dialogsOpened, 0);
        // Exactly the 41 requests of the transfer went out, nothing else; no file was asked for.
        const QVector<quint8> codes = codesFrom(rig.recorder, 0, 255);
        QCOMPARE(codes.size(), 41);
        QCOMPARE(codesFrom(rig.recorder, write ? 5 : 4, write ? 85 : 84).size(), 41);
        QVERIFY(rig.people.shown.isEmpty());
        QCOMPARE(rig.w().Edit_logon->text(), QString("ZALOGOWANY"));
        QVERIFY(rig.wire.Connected());
        for (QWidget* c : std::initializer_list<QWidget*>{w.ButtonKasuj, w.ButtonRestart, w.ButtonResetlimit,
                                                          w.ButtonZegar, w.Button_zmiana_hasla, w.ButtonPobierz})
            QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
        QVERIFY(w.Pobierz1->isEnabled() && w.Zapisz1->isEnabled());
    }

    void readRestoresTheWindowWhenItsPortFails() {
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        // The recorder answers the login, the status and the first item; then the driver refuses to write.
        int items = 0;
        rig.port.onWrite = [&](const QByteArray& frame) {
            const quint8 code = quint8(frame.at(1));
            if (code == 1) rig.port.deliverLater(BuildReplyFrame(1, "T2"));
            if (code == 253) rig.port.deliverLater(BuildReplyFrame(253, QByteArray(13, '\0')));
            if (code >= 4 && code <= 84 && code % 2 == 0) {
                if (++items == 2) throw PortError(QStringLiteral("Unable to write to com port"), 5);
                rig.port.deliverLater(BuildReplyFrame(code, "+48111"));
            }
        };
        w.Button_polacz->click();
        QVERIFY(rig.loggedIn());
        QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 40));
        rig.people.clear();
        w.Icon_get->click();
        QCOMPARE(rig.people.messages(), QStringList{"error: Unable to write to com port (Error: 5)"});
        // The transfer is over however it ended: no notice, the live status back, the commands usable.
        QVERIFY(!w.configTransfer->running());
        QVERIFY(!w.findChild<TFormProgres*>()->isVisible());
        QVERIFY(rig.link().st.pollingEnabled);
        QCOMPARE(w.link()->activity().current(), Activity::LoggedIn);
        QVERIFY(w.Icon_get->isEnabled() && w.Pobierz1->isEnabled() && w.ButtonPobierz->isEnabled());
        items = 0;
        rig.port.onWrite = [&](const QByteArray& frame) {
            const quint8 code = quint8(frame.at(1));
            if (code >= 4 && code <= 84) rig.port.deliverLater(BuildReplyFrame(code, "1"));
        };
        w.Icon_get->click();
        QCOMPARE(rig.people.messages().size(), 1);
    }
};

QTEST_MAIN(ConfigTransferTest)
#include "tst_config_transfer.moc"
