// The configuration model: the temperature renderers, every control with its name, typing limit, start
// value and start colour, and the values as plain data through the widget setters.

#include "config/Defaults.h"
#include "config/TempRules.h"
#include "tst_config_rig.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>

Q_DECLARE_METATYPE(CharSet)

namespace {
ConfigValues randomValues(QRandomGenerator& rng) {
    static const QString pool = QStringLiteral("abcXYZ019 +-,.?!ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    ConfigValues v;
    for (QString& t : v.texts) {  // up to 40 characters: a read or a file may pass the typing limit
        t.clear();
        for (int n = rng.bounded(41); n > 0; --n) t += pool.at(rng.bounded(pool.size()));
    }
    for (auto& row : v.matrix)
        for (auto& kind : row)
            for (bool& cell : kind) cell = rng.bounded(2);
    for (int i = 0; i < kOutputs; ++i) {
        v.outNC[i] = rng.bounded(2);
        v.outMono[i] = rng.bounded(2);
        v.comboOut[i] = rng.bounded(-1, 4);
    }
    v.potw = rng.bounded(2);
    v.autoTest = rng.bounded(2);
    v.operatorIndex = rng.bounded(-1, 5);
    v.temp = {quint8(rng.bounded(256)), quint8(rng.bounded(256)), quint8(rng.bounded(256))};
    return v;
}
}  // namespace

class ConfigModelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void renderers_data() {
        QTest::addColumn<bool>("threshold");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const std::pair<int, const char*> thresholds[] = {{0, "-128"}, {127, "-1"}, {128, "+0"}, {130, "+2"},
                                                          {136, "+8"}, {255, "+127"}};
        for (auto [c, t] : thresholds) QTest::addRow("threshold %d", c) << true << c << QString(t);
        const std::pair<int, const char*> corrections[] = {{0, "+0,0"},     {1, "+0,25"},   {2, "+0,50"},
                                                           {4, "+1,0"},     {5, "+1,25"},   {127, "+31,75"},
                                                           {128, "+0,0"},   {129, "-0,25"}, {254, "-31,50"},
                                                           {255, "-31,75"}};
        for (auto [c, t] : corrections) QTest::addRow("correction %d", c) << false << c << QString(t);
    }
    void renderers() {
        QFETCH(bool, threshold);
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(threshold ? thresholdText(quint8(code)) : correctionText(quint8(code)), text);
    }

    // The correction buttons walk -31,50 .. +31,75 through every quarter degree once, and back.
    void correctionWalksEveryQuarter() {
        quint8 code = 254;
        QStringList up{correctionText(code)};
        while (code != 127 && up.size() < 300) up.append(correctionText(code = correctionUp(code)));
        QCOMPARE(up.size(), 254);
        QCOMPARE(up.count("+0,0"), 1);
        QStringList down{correctionText(code)};
        while (code != 254 && down.size() < 300) down.prepend(correctionText(code = correctionDown(code)));
        QCOMPARE(down, up);
    }

    void textControls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("limit");
        QTest::addColumn<CharSet>("set");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QColor>("colour");
        const QColor yellow = Colour::LightYellow, orange = Colour::LightOrange, green = Colour::LightGreen,
                     window = windowColour();
        auto row = [](const QString& name, int limit, CharSet set, const QString& start, const QColor& colour) {
            QTest::newRow(qPrintable(name)) << name << limit << set << start << colour;
        };
        for (int i = 1; i <= 8; ++i) row(QString("Edit_Tel%1").arg(i), 13, CharSet::Telephone, "", yellow);
        row("Edit_operator", 13, CharSet::Telephone, "+48501200777", yellow);
        row("Edit_pin", 4, CharSet::Digits, kDefaultPin, yellow);
        row("JakiStan", 4, CharSet::Free, "?", yellow);
        row("Edit_LimitSMS", 2, CharSet::Digits, "0", yellow);
        row("Edit_LimitVoice", 2, CharSet::Digits, "0", yellow);
        for (QString n : {"IN1", "IN2", "IN3", "IN4", "IN5"}) {
            row("Edit_" + n + "A", 30, CharSet::Free, "", orange);
            row("Edit_" + n + "N", 30, CharSet::Free, "", green);
        }
        for (const char* n : {"Edit_ACa", "Edit_DCa", "Edit_T1a"}) row(n, 30, CharSet::Free, "", orange);
        for (const char* n : {"Edit_ACn", "Edit_DCn", "Edit_T1ok"}) row(n, 30, CharSet::Free, "", green);
        row("Edit_T1n", 30, CharSet::Free, "", Colour::SkyBlue);
        row("TempZapisz", 3, CharSet::Digits, "60", window);
        row("EditAutotest", 15, CharSet::Free, "", window);
        row("IleTest", 2, CharSet::Digits, "24", window);
        for (const char* n : {"Edit_Out1zal", "Edit_Out2zal", "Edit_OUT3Zal", "Edit_OUT4Zal"})
            row(n, 4, CharSet::NoSpace, "", orange);
        for (const char* n : {"Edit_Out1wyl", "Edit_Out2wyl", "Edit_Out3Wyl", "Edit_Out4Wyl"})
            row(n, 4, CharSet::NoSpace, "", green);
        for (int i = 1; i <= 4; ++i) row(QString("Out%1Czas").arg(i), 2, CharSet::Digits, "5", window);
        row("EditPotw", 15, CharSet::Free, "OK", window);
    }
    void textControls() {
        QFETCH(QString, name);
        QFETCH(int, limit);
        QFETCH(CharSet, set);
        QFETCH(QString, start);
        QFETCH(QColor, colour);
        ConfigArea area;
        auto* e = area.findChild<ConfigEdit*>(name);
        QVERIFY(e);
        QCOMPARE(e->typingLimit(), limit);
        QCOMPARE(e->charSet(), set);
        QCOMPARE(e->text(), start);
        QCOMPARE(backgroundOf(e), colour);
        QCOMPARE(e->maxLength(), 32767);  // Qt's own limit would cut texts the program sets
        QVERIFY(!e->accessibleName().isEmpty());
    }

    void otherControlsAtStart() {
        ConfigArea area;
        QCOMPARE(area.Combo_operator->itemText(4), QString("inny"));
        QCOMPARE(area.Combo_operator->selectedIndex(), 0);
        QCOMPARE(backgroundOf(area.Combo_operator), Colour::LightYellow);
        for (int i = 0; i < kOutputs; ++i) {
            ConfigCombo* c = area.outputCombo(i);
            QCOMPARE(c->objectName(), QString("ComboOut%1").arg(i + 1));
            QCOMPARE(c->itemText(3), QString("T ALR"));
            QCOMPARE(c->currentText(), QString("Brak"));
            QCOMPARE(c->selectedIndex(), -1);
            QCOMPARE(backgroundOf(c), windowColour());
            QVERIFY(area.findChild<QToolButton*>(QString("SpinButton%1Up").arg(i + 1)));
        }
        for (QLineEdit* e : {area.Edit_T1Max, area.Edit_T1Min, area.Edit_T1Korekta, area.TempZapisz}) {
            QVERIFY(e->isReadOnly());
            QCOMPARE(backgroundOf(e), windowColour());
        }
        QCOMPARE(area.Edit_T1Max->text() + area.Edit_T1Min->text() + area.Edit_T1Korekta->text(), QString("+8+2+0,0"));
        QStringList boxes{"BoxPotw", "BoxAutoTest", "BoxOut1NC", "BoxOut4NC", "BoxOut2Mono", "BoxOut3Mono"};
        for (int row = 0; row < kMatrixRows; ++row)
            for (int p = 1; p <= kPhones; ++p) boxes << matrixBoxName(row, Sms, p) << matrixBoxName(row, Voice, p);
        for (const QString& name : boxes) {
            auto* b = area.findChild<QCheckBox*>(name);
            QVERIFY2(b && !b->isChecked() && backgroundOf(b) == faceColour(), qPrintable(name));
        }
        QCOMPARE(area.findChildren<QCheckBox*>().size(), 138);
        QCOMPARE(area.findChild<QCheckBox*>("BoxIN3T5")->parentWidget(), area.TabSheet1);
        QCOMPARE(area.findChild<QCheckBox*>("BoxT1S2")->parentWidget(), area.TabSheet2);
        QCOMPARE(area.TabSMSVoice->tabText(0) + area.TabSMSVoice->tabText(1), QString("SMSVoice"));
        QVERIFY(!area.EditPotw->isEnabled() && !area.EditAutotest->isEnabled());
        QVERIFY(area.values() == ConfigValues::defaults());
    }

    void accessibleNames() {
        ConfigArea area;
        QCOMPARE(area.findChild<QCheckBox*>("BoxIN3T5")->accessibleName(), QString("SMS IN3, telefon 5"));
        QCOMPARE(area.findChild<QCheckBox*>("BoxT3S8")->accessibleName(), QString("Voice ZS, telefon 8"));
        QCOMPARE(area.SpinButton1->up->accessibleName(), QString("Próg MAX w górę"));
        QCOMPARE(area.SpinButton3->down->accessibleName(), QString("Korekta w dół"));
        // Every control the keyboard reaches has a name of its own.
        QStringList names;
        for (QWidget* w : area.findChildren<QWidget*>()) {
            if (w->focusPolicy() == Qt::NoFocus || w->inherits("QTabWidget") || w->inherits("QTabBar") ||
                w->inherits("QAbstractItemView") || w->parentWidget()->inherits("QComboBox"))
                continue;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
            QVERIFY2(!names.contains(w->accessibleName()), qPrintable(w->accessibleName()));
            names << w->accessibleName();
        }
        QVERIFY(names.size() > 190);
    }

    void valuesRoundTripThroughTheSetters() {
        ConfigArea area;
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 60; ++round) {
            const ConfigValues v = randomValues(rng);
            area.setValues(v);
            QVERIFY2(area.values() == v, qPrintable(QString("round %1").arg(round)));
            QCOMPARE(area.Edit_T1Korekta->text(), correctionText(v.temp.correctionCode));
            QCOMPARE(area.EditPotw->isEnabled(), v.potw);
        }
        area.setComboOut(0, 255);
        area.setOperatorIndex(7);
        QCOMPARE(area.comboOut(0), -1);
        QCOMPARE(area.operatorIndex(), -1);
    }

    // A value that really changes turns red; the same value again, or a selector, fires nothing.
    void settersMarkRealChangesOnly() {
        ConfigArea area;
        area.setText(TextField::Edit_Tel1, "+48123");
        QCOMPARE(backgroundOf(area.Edit_Tel1), Colour::Red);
        area.paintSynchronised(TextField::Edit_Tel1);
        area.setText(TextField::Edit_Tel1, "+48123");
        QCOMPARE(backgroundOf(area.Edit_Tel1), Colour::LightYellow);

        area.setMatrixChecked(RowT3, Voice, 8, true);
        area.setOutputNC(1, true);
        area.setAutoTest(true);
        for (QWidget* w : std::initializer_list<QWidget*>{area.matrixBox(RowT3, Voice, 8), area.BoxOut2NC, area.BoxAutoTest})
            QCOMPARE(backgroundOf(w), Colour::Red);
        QVERIFY(area.EditAutotest->isEnabled());
        area.ResetMatrixColours();
        area.setMatrixChecked(RowT3, Voice, 8, true);
        QCOMPARE(backgroundOf(area.matrixBox(RowT3, Voice, 8)), windowColour());

        QSignalSpy changed(area.ComboOut3, &ConfigCombo::userChanged);
        QSignalSpy closed(area.Combo_operator, &ConfigCombo::closedUp);
        area.setComboOut(2, 3);
        area.setOperatorIndex(3);
        QCoreApplication::processEvents();
        QCOMPARE(changed.count() + closed.count(), 0);
        QCOMPARE(backgroundOf(area.ComboOut3), windowColour());
        QCOMPARE(area.Edit_operator->text(), QString("+48501200777"));

        area.setTempSettings({130, 136, 0});
        QCOMPARE(backgroundOf(area.Edit_T1Min), windowColour());
        area.setTempSettings({131, 136, 0});
        QCOMPARE(backgroundOf(area.Edit_T1Min), Colour::Red);
        QCOMPARE(backgroundOf(area.Edit_T1Max), windowColour());
        area.paintOptionsSynchronised();
        QCOMPARE(backgroundOf(area.BoxOut2NC), windowColour());
        QCOMPARE(backgroundOf(area.Edit_LimitSMS), Colour::LightYellow);
    }
};

QTEST_MAIN(ConfigModelTest)
#include "tst_config_model.moc"
