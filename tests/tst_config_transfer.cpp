// Reading and writing the whole configuration against the simulated recorder.

#include "config/ConfigArea.h"
#include "config/ConfigItems.h"
#include "config/ConfigTransfer.h"
#include "config/ProgressDialog.h"
#include "support/RandomConfig.h"
#include "support/WindowRig.h"

#include <QAction>
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
            ConfigValues back = rig.w().Config->values();
            // The recorder answers the SMS centre without the zero byte that selects an operator.
            back.operatorIndex = v.operatorIndex;
            QVERIFY2(back == v, qPrintable(QString::number(n)));
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

    void noOtherCommandStartsInsideATransfer() {
        SimRig rig;
        QVERIFY(loggedInAndReady(rig));
        QStringList enabledDuring;
        bool checked = false;
        connect(&rig.recorder, &Recorder::frameReceived, rig.w().Config, [&](quint8 code, const QByteArray&) {
            if (code != 30 || checked) return;
            checked = true;
            TMain& w = rig.w();
            for (QWidget* c : std::initializer_list<QWidget*>{w.ButtonKasuj, w.ButtonRestart, w.ButtonResetlimit,
                                                              w.ButtonZegar, w.Button_zmiana_hasla, w.ButtonPobierz,
                                                              w.Icon_get, w.Icon_put})
                if (c->isEnabled()) enabledDuring.append(c->objectName());
            if (w.Pobierz1->isEnabled()) enabledDuring.append("Pobierz1");
            if (w.Zapisz1->isEnabled()) enabledDuring.append("Zapisz1");
            // A menu click lands inside the running read: it must not start a second transfer.
            w.Pobierz1->trigger();
        });
        rig.recorder.clearLog();
        rig.w().Icon_get->click();
        QVERIFY(checked);
        QCOMPARE(enabledDuring, QStringList());
        QCOMPARE(codesFrom(rig.recorder, 4, 84).size(), 41);
        TMain& w = rig.w();
        for (QWidget* c : std::initializer_list<QWidget*>{w.ButtonKasuj, w.ButtonRestart, w.ButtonResetlimit,
                                                          w.ButtonZegar, w.Button_zmiana_hasla, w.ButtonPobierz})
            QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
        QVERIFY(w.Pobierz1->isEnabled() && w.Zapisz1->isEnabled());
    }
};

QTEST_MAIN(ConfigTransferTest)
#include "tst_config_transfer.moc"
