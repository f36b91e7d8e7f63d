// The synchronisation colours end to end: a read from the simulated recorder leaves every control in
// its synchronised colour, and a file load leaves exactly the values it changed red.

#include "config/ConfigItems.h"
#include "support/FakePort.h"
#include "support/RandomConfig.h"
#include "support/WindowRig.h"
#include "tst_config_rig.h"

#include <QTemporaryDir>
#include <QToolButton>

namespace {
// Every control whose colour differs from what a read leaves, by name.
QStringList notSynchronised(ConfigArea& a) {
    QStringList off;
    for (int f = 0; f < kTextFieldCount; ++f)
        if (backgroundOf(a.edit(TextField(f))) != ConfigArea::synchronisedColour(TextField(f)))
            off << fieldName(TextField(f));
    QList<QWidget*> window{a.Edit_T1Max, a.Edit_T1Min, a.Edit_T1Korekta};
    for (QCheckBox* b : a.findChildren<QCheckBox*>()) window << b;
    for (int i = 0; i < kOutputs; ++i) window << a.outputCombo(i);
    for (QWidget* w : window)
        if (backgroundOf(w) != windowColour()) off << w->objectName();
    return off;
}
}  // namespace

class ConfigColoursTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aReadLeavesEveryControlSynchronised() {
        SimRig rig;
        QRandomGenerator rng(7);
        const ConfigValues v = randomConfig(rng);
        for (const ConfigItem& item : configItems()) rig.recorder.setItemForCode(item.readCode, EncodeItem(item, v));
        QVERIFY(rig.login());
        QVERIFY(rig.waitFor([&] { return rig.w().Icon_get->isEnabled(); }, 40));
        ConfigArea& a = *rig.w().Config;
        a.setText(TextField::Edit_Tel1, "+48999");  // red before the read
        rig.w().Icon_get->click();
        QCOMPARE(a.values().texts, v.texts);
        QCOMPARE(notSynchronised(a), QStringList());
        QCOMPARE(backgroundOf(a.Combo_operator), Colour::LightYellow);
        QCOMPARE(a.EditPotw->isEnabled(), v.potw);
    }

    // After each acknowledged item its controls take the colours a read of it would leave; a write
    // changes no value.
    void aWriteLeavesEveryControlSynchronised() {
        SimRig rig;
        QVERIFY(rig.login());
        QVERIFY(rig.waitFor([&] { return rig.w().Icon_get->isEnabled(); }, 40));
        ConfigArea& a = *rig.w().Config;
        QRandomGenerator rng(11);
        ConfigValues v = randomConfig(rng);
        a.setValues(v);
        v = a.values();
        // Everything as a person leaves it after editing: red.
        for (int f = 0; f < kTextFieldCount; ++f) paintBackground(a.edit(TextField(f)), Colour::Red);
        for (QCheckBox* b : a.findChildren<QCheckBox*>()) paintBackground(b, Colour::Red);
        for (int i = 0; i < kOutputs; ++i) paintBackground(a.outputCombo(i), Colour::Red);
        for (QWidget* w : std::initializer_list<QWidget*>{a.Edit_T1Max, a.Edit_T1Min, a.Edit_T1Korekta})
            paintBackground(w, Colour::Red);
        rig.w().Icon_put->click();
        QCOMPARE(notSynchronised(a), QStringList());
        QVERIFY(a.values() == v);
        for (const ConfigItem& item : configItems())
            QCOMPARE(rig.recorder.itemForCode(item.readCode), EncodeItem(item, v));
    }

    void aFileLoadLeavesChangedValuesRed() {
        WindowRig<FakePort> rig;
        ConfigArea& a = *rig.w().Config;
        QTemporaryDir dir;
        const QString path = dir.filePath("zapis.ncf");
        ConfigValues changed = a.values();
        changed.text(TextField::Edit_IN2N) = "Otwarte";
        changed.matrix[RowT3][Voice][7] = true;
        changed.outMono[3] = true;
        changed.temp.highCode = 140;
        a.setValues(changed);
        rig.people.fileAnswers.enqueue(path);
        rig.w().SpeedButton1->click();
        QVERIFY(QFile::exists(path));
        // Back to the start values, all synchronised, then the file.
        a.setValues(ConfigValues::defaults());
        for (int f = 0; f < kTextFieldCount; ++f) a.paintSynchronised(TextField(f));
        a.ResetMatrixColours();
        a.paintOptionsSynchronised();
        a.paintTemperatureSynchronised();
        rig.people.fileAnswers.enqueue(path);
        rig.w().SpeedButton2->click();
        QCOMPARE(rig.people.messages().last(), QString("information: Odczytano plik konfiguracji"));
        QVERIFY(a.values() == changed);
        QCOMPARE(notSynchronised(a), (QStringList{"Edit_IN2N", "Edit_T1Max", "BoxT3S8", "BoxOut4Mono"}));
        QCOMPARE(backgroundOf(a.Edit_IN2N), Colour::Red);
    }
};

QTEST_MAIN(ConfigColoursTest)
#include "tst_config_colours.moc"
