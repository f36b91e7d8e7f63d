// The configuration model: the temperature renderers and steps, the exit rules' results, every control
// with its name, typing limit, start value and start colour, and the values as plain data.

#include "config/Defaults.h"
#include "config/TempRules.h"
#include "tst_config_rig.h"

#include <QGroupBox>
#include <QLabel>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>

Q_DECLARE_METATYPE(CharSet)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {
// A random text of up to `max` characters from letters the recorder carries, Polish ones included.
QString randomText(QRandomGenerator& rng, int max) {
    static const QString pool = QStringLiteral("abcXYZ019 +-,.?!ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    const int n = rng.bounded(max + 1);
    QString t;
    for (int i = 0; i < n; ++i) t += pool.at(rng.bounded(pool.size()));
    return t;
}

ConfigValues randomValues(QRandomGenerator& rng) {
    ConfigValues v;
    // Longer than typing allows: a read or a file may bring such texts.
    for (QString& t : v.texts) t = randomText(rng, 40);
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
    v.temp.lowCode = quint8(rng.bounded(256));
    v.temp.highCode = quint8(rng.bounded(256));
    v.temp.correctionCode = quint8(rng.bounded(256));
    return v;
}

QString describe(const ConfigValues& a, const ConfigValues& b) {
    for (int f = 0; f < kTextFieldCount; ++f)
        if (a.texts[size_t(f)] != b.texts[size_t(f)])
            return fieldName(TextField(f)) + ": " + a.texts[size_t(f)] + " / " + b.texts[size_t(f)];
    return QStringLiteral("non-text values differ");
}
}  // namespace

class ConfigModelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---------------------------------------------------------------- renderers and steps

    void thresholdText_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "-128";
        QTest::newRow("1") << 1 << "-127";
        QTest::newRow("127") << 127 << "-1";
        QTest::newRow("128") << 128 << "+0";
        QTest::newRow("130") << 130 << "+2";
        QTest::newRow("136") << 136 << "+8";
        QTest::newRow("255") << 255 << "+127";
    }
    void thresholdText() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(::thresholdText(quint8(code)), text);
    }

    void correctionText_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "+0,0";
        QTest::newRow("1") << 1 << "+0,25";
        QTest::newRow("2") << 2 << "+0,50";
        QTest::newRow("3") << 3 << "+0,75";
        QTest::newRow("4") << 4 << "+1,0";
        QTest::newRow("5") << 5 << "+1,25";
        QTest::newRow("127") << 127 << "+31,75";
        QTest::newRow("128") << 128 << "+0,0";
        QTest::newRow("129") << 129 << "-0,25";
        QTest::newRow("132") << 132 << "-1,0";
        QTest::newRow("254") << 254 << "-31,50";
        QTest::newRow("255") << 255 << "-31,75";
    }
    void correctionText() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(::correctionText(quint8(code)), text);
    }

    void steps_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("threshold up") << "thresholdUp" << 136 << 137;
        QTest::newRow("threshold up at 255") << "thresholdUp" << 255 << 255;
        QTest::newRow("threshold up from 0") << "thresholdUp" << 0 << 1;
        QTest::newRow("threshold down") << "thresholdDown" << 130 << 129;
        QTest::newRow("threshold down at 0") << "thresholdDown" << 0 << 0;
        QTest::newRow("threshold down from 255") << "thresholdDown" << 255 << 254;
        QTest::newRow("correction down +0,0") << "correctionDown" << 0 << 129;
        QTest::newRow("correction down +0,25") << "correctionDown" << 1 << 0;
        QTest::newRow("correction down +31,75") << "correctionDown" << 127 << 126;
        QTest::newRow("correction down -0,25") << "correctionDown" << 129 << 130;
        QTest::newRow("correction down -31,25") << "correctionDown" << 253 << 254;
        QTest::newRow("correction down -31,50 stays") << "correctionDown" << 254 << 254;
        QTest::newRow("correction down second zero") << "correctionDown" << 128 << 129;
        QTest::newRow("correction down -31,75 stays") << "correctionDown" << 255 << 255;
        QTest::newRow("correction up -0,25") << "correctionUp" << 129 << 0;
        QTest::newRow("correction up -0,50") << "correctionUp" << 130 << 129;
        QTest::newRow("correction up -31,50") << "correctionUp" << 254 << 253;
        QTest::newRow("correction up -31,75") << "correctionUp" << 255 << 254;
        QTest::newRow("correction up +0,0") << "correctionUp" << 0 << 1;
        QTest::newRow("correction up +31,50") << "correctionUp" << 126 << 127;
        QTest::newRow("correction up +31,75 stays") << "correctionUp" << 127 << 127;
        QTest::newRow("correction up second zero") << "correctionUp" << 128 << 1;
    }
    void steps() {
        QFETCH(QString, step);
        QFETCH(int, from);
        QFETCH(int, to);
        const quint8 c = quint8(from);
        const quint8 r = step == "thresholdUp"      ? thresholdUp(c)
                         : step == "thresholdDown"  ? thresholdDown(c)
                         : step == "correctionUp"   ? correctionUp(c)
                                                    : correctionDown(c);
        QCOMPARE(int(r), to);
    }

    // The correction buttons walk -31,50 .. +31,75 through every quarter degree, each value once.
    void correctionWalksEveryQuarter() {
        quint8 code = 254;
        QStringList seen{::correctionText(code)};
        while (code != 127) {
            code = correctionUp(code);
            seen.append(::correctionText(code));
            QVERIFY(seen.size() <= 300);
        }
        QCOMPARE(seen.size(), 126 + 1 + 127);
        QCOMPARE(seen.first(), QString("-31,50"));
        QCOMPARE(seen.last(), QString("+31,75"));
        QCOMPARE(seen.count("+0,0"), 1);
        // And back down, the same values in the reverse order.
        QStringList back{::correctionText(code)};
        while (code != 254) {
            code = correctionDown(code);
            back.prepend(::correctionText(code));
        }
        QCOMPARE(back, seen);
    }

    void interval_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<QString>>("up");
        QTest::addColumn<std::optional<QString>>("down");
        using S = std::optional<QString>;
        QTest::newRow("60") << "60" << S("61") << S("59");
        QTest::newRow("1") << "1" << S("2") << S("1");
        QTest::newRow("255") << "255" << S("255") << S("254");
        QTest::newRow("0 from the recorder") << "0" << S("1") << S("0");
        QTest::newRow("low 8 bits of 300") << "300" << S("45") << S("43");
        QTest::newRow("low 8 bits of 256") << "256" << S("1") << S("0");
        QTest::newRow("empty") << "" << S() << S();
        QTest::newRow("not a number") << "6x" << S() << S();
    }
    void interval() {
        QFETCH(QString, text);
        QFETCH(std::optional<QString>, up);
        QFETCH(std::optional<QString>, down);
        QCOMPARE(intervalUp(text), up);
        QCOMPARE(intervalDown(text), down);
    }

    void exitRules_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("after");
        QTest::newRow("pin three digits") << "pin" << "123" << kDefaultPin;
        QTest::newRow("pin empty") << "pin" << "" << kDefaultPin;
        QTest::newRow("pin four digits") << "pin" << "4321" << "4321";
        QTest::newRow("pin longer, as read") << "pin" << "123456" << "123456";
        QTest::newRow("limit empty") << "limit" << "" << "0";
        QTest::newRow("limit 0") << "limit" << "0" << "0";
        QTest::newRow("limit 07") << "limit" << "07" << "07";
        QTest::newRow("period empty") << "period" << "" << "1";
        QTest::newRow("period 0") << "period" << "0" << "1";
        QTest::newRow("period 00") << "period" << "00" << "1";
        QTest::newRow("period 07") << "period" << "07" << "07";
        QTest::newRow("period 99") << "period" << "99" << "99";
        QTest::newRow("period pasted text stays") << "period" << "a0" << "a0";
    }
    void exitRules() {
        QFETCH(QString, rule);
        QFETCH(QString, text);
        QFETCH(QString, after);
        const QString r = rule == "pin" ? pinAfterExit(text) : rule == "limit" ? limitAfterExit(text) : periodAfterExit(text);
        QCOMPARE(r, after);
    }

    // ---------------------------------------------------------------- the controls

    void textControls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("limit");
        QTest::addColumn<CharSet>("set");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("readOnly");
        const QString yellow = Colour::LightYellow.name(), orange = Colour::LightOrange.name(),
                      green = Colour::LightGreen.name(), blue = Colour::SkyBlue.name(), window = "window";
        auto row = [](const QString& name, int limit, CharSet set, const QString& start, const QString& colour,
                      bool readOnly = false) {
            QTest::newRow(qPrintable(name)) << name << limit << set << start << colour << readOnly;
        };
        for (int i = 1; i <= 8; ++i) row(QString("Edit_Tel%1").arg(i), 13, CharSet::Telephone, "", yellow);
        row("Edit_operator", 13, CharSet::Telephone, "+48501200777", yellow);
        row("Edit_pin", 4, CharSet::Digits, kDefaultPin, yellow);
        row("JakiStan", 4, CharSet::Free, "?", yellow);
        row("Edit_LimitSMS", 2, CharSet::Digits, "0", yellow);
        row("Edit_LimitVoice", 2, CharSet::Digits, "0", yellow);
        for (int i = 1; i <= 5; ++i) {
            row(QString("Edit_IN%1A").arg(i), 30, CharSet::Free, "", orange);
            row(QString("Edit_IN%1N").arg(i), 30, CharSet::Free, "", green);
        }
        row("Edit_ACa", 30, CharSet::Free, "", orange);
        row("Edit_ACn", 30, CharSet::Free, "", green);
        row("Edit_DCa", 30, CharSet::Free, "", orange);
        row("Edit_DCn", 30, CharSet::Free, "", green);
        row("Edit_T1a", 30, CharSet::Free, "", orange);
        row("Edit_T1ok", 30, CharSet::Free, "", green);
        row("Edit_T1n", 30, CharSet::Free, "", blue);
        row("TempZapisz", 3, CharSet::Digits, "60", window, true);
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
        QFETCH(QString, colour);
        QFETCH(bool, readOnly);
        ConfigArea area;
        auto* e = area.findChild<ConfigEdit*>(name);
        QVERIFY(e);
        QCOMPARE(e->typingLimit(), limit);
        QCOMPARE(e->charSet(), set);
        QCOMPARE(e->text(), start);
        QCOMPARE(backgroundOf(e).name(), colour == "window" ? windowColour().name() : colour);
        QCOMPARE(e->isReadOnly(), readOnly);
        QVERIFY(!e->accessibleName().isEmpty());
        // Qt's own limit would cut texts the program sets.
        QCOMPARE(e->maxLength(), 32767);
        // Reachable by value as well as by name.
        bool found = false;
        for (int f = 0; f < kTextFieldCount; ++f) found = found || area.edit(TextField(f)) == e;
        QVERIFY(found);
    }

    void otherControlsAtStart() {
        ConfigArea area;
        auto* op = area.findChild<ConfigCombo*>("Combo_operator");
        QVERIFY(op);
        QCOMPARE(op->isEditable(), true);
        QCOMPARE(op->insertPolicy(), QComboBox::NoInsert);
        QStringList entries;
        for (int i = 0; i < op->count(); ++i) entries << op->itemText(i);
        QCOMPARE(entries, (QStringList{"ORANGE", "T-MOBILE", "PLUS", "PLAY", "inny"}));
        QCOMPARE(op->selectedIndex(), 0);
        QCOMPARE(op->currentText(), QString("ORANGE"));
        QCOMPARE(backgroundOf(op), Colour::LightYellow);
        for (int i = 1; i <= 4; ++i) {
            auto* c = area.findChild<ConfigCombo*>(QString("ComboOut%1").arg(i));
            QVERIFY(c);
            QStringList roles;
            for (int k = 0; k < c->count(); ++k) roles << c->itemText(k);
            QCOMPARE(roles, (QStringList{"Brak", "T MIN", "T MAX", "T ALR"}));
            QCOMPARE(c->currentText(), QString("Brak"));
            QCOMPARE(c->selectedIndex(), -1);
            QCOMPARE(c->insertPolicy(), QComboBox::NoInsert);
            QCOMPARE(backgroundOf(c), windowColour());
        }
        for (auto [name, text] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"Edit_T1Max", "+8"}, {"Edit_T1Min", "+2"}, {"Edit_T1Korekta", "+0,0"}}) {
            auto* e = area.findChild<QLineEdit*>(name);
            QVERIFY2(e, name);
            QCOMPARE(e->text(), QString(text));
            QVERIFY(e->isReadOnly());
            QCOMPARE(backgroundOf(e), windowColour());
        }
        QCOMPARE(area.tempSettings(), (TempSettings{130, 136, 0}));
        // Check boxes: unchecked, in the colour of their panel.
        QStringList boxes{"BoxPotw", "BoxAutoTest"};
        for (int i = 1; i <= 4; ++i) boxes << QString("BoxOut%1NC").arg(i) << QString("BoxOut%1Mono").arg(i);
        for (int row = 0; row < kMatrixRows; ++row)
            for (int p = 1; p <= kPhones; ++p) boxes << matrixBoxName(row, Sms, p) << matrixBoxName(row, Voice, p);
        QCOMPARE(boxes.size(), 10 + 128);
        for (const QString& name : boxes) {
            auto* b = area.findChild<QCheckBox*>(name);
            QVERIFY2(b, qPrintable(name));
            QVERIFY(!b->isChecked());
            QCOMPARE(backgroundOf(b), faceColour());
            QVERIFY(!b->accessibleName().isEmpty());
        }
        QCOMPARE(area.findChildren<QCheckBox*>().size(), 138);
        QVERIFY(area.findChild<QCheckBox*>("BoxIN3T5")->parentWidget() == area.TabSheet1);
        QVERIFY(area.findChild<QCheckBox*>("BoxT1S2")->parentWidget() == area.TabSheet2);
        QVERIFY(!area.EditPotw->isEnabled());
        QVERIFY(!area.EditAutotest->isEnabled());
        // Tabs, groups and spin buttons.
        QCOMPARE(area.TabSMSVoice->objectName(), QString("TabSMSVoice"));
        QCOMPARE(area.TabSMSVoice->count(), 2);
        QCOMPARE(area.TabSMSVoice->tabText(0), QString("SMS"));
        QCOMPARE(area.TabSMSVoice->tabText(1), QString("Voice"));
        QCOMPARE(area.TabSMSVoice->widget(0)->objectName(), QString("TabSheet1"));
        QCOMPARE(area.TabSMSVoice->widget(1)->objectName(), QString("TabSheet2"));
        for (int i = 1; i <= 4; ++i) {
            QCOMPARE(area.GroupOUT[i - 1]->title(), QString("OUT%1").arg(i));
            auto* spin = area.findChild<SpinButton*>(QString("SpinButton%1").arg(i));
            QVERIFY(spin);
            QVERIFY(spin->findChild<QToolButton*>(QString("SpinButton%1Up").arg(i)));
            QVERIFY(spin->findChild<QToolButton*>(QString("SpinButton%1Down").arg(i)));
        }
        QCOMPARE(area.BoxTelefony->title(), QString("Numery telefonów"));
        QCOMPARE(area.Boxwejscia->title(), QString("Wejścia"));
        QCOMPARE(area.BoxOpcjeWejsc->title(), QString("Opcje wejść"));
        QCOMPARE(area.BoxOpcjeWyjsc->title(), QString("Opcje wyjść"));
        QCOMPARE(area.BoxCzujnik->title(), QString("Czujnik temperatury"));
        QCOMPARE(area.LabelSMS->text(), QString("0 z"));
        QCOMPARE(area.LabelVoice->text(), QString("0 z"));
    }

    // The captions and hints the person reads.
    void captionsAndHints() {
        ConfigArea area;
        QStringList captions;
        for (QLabel* l : area.findChildren<QLabel*>()) captions << l->text();
        for (const char* c : {"Operator GSM", "Centrum SMS", "PIN", "Pytanie o stan:", "Limit SMS:", "Limit Voice:",
                              "Wejście Załączone", "Wejście Wyłączone", "Bateria", "Zasilanie", "Wysoka", "Norma",
                              "Niska", "MAX", "MIN", "Korekta", "Zapis", "h", "Zal", "Wyl", "T [s]", "Temp. steruje",
                              "BT", "ZS", "IN5", "T1", "8"})
            QVERIFY2(captions.contains(QString::fromUtf8(c)), c);
        QCOMPARE(area.Edit_pin->toolTip(), QString("PIN karty SIM (4 cyfry)"));
        QCOMPARE(area.Edit_LimitSMS->toolTip(), QString("Dobowy limit SMS"));
        QCOMPARE(area.Edit_LimitVoice->toolTip(), QString("Dobowy limit połączeń głosowych"));
        QCOMPARE(area.Out1Czas->toolTip(), QString("Czas aktywności wyjścia PK w trybie monostabilnym"));
        QCOMPARE(area.Out2Czas->toolTip(), QString("Czas aktywności wyjścia OUT2 w trybie monostabilnym"));
        QCOMPARE(area.Out3Czas->toolTip(), QString("Czas aktywności wyjścia OUT3 w trybie monostabilnym"));
        QCOMPARE(area.BoxOut2NC->text(), QString("NC"));
        QCOMPARE(area.BoxOut2NC->toolTip(), QString("NC - zaznaczone"));
        QCOMPARE(area.BoxOut3Mono->text(), QString("M/B"));
        QCOMPARE(area.BoxOut3Mono->toolTip(), QString("Monostabilny - zaznaczony"));
        QCOMPARE(area.BoxPotw->text(), QString("Wyślij potwierdzenie"));
        QCOMPARE(area.BoxPotw->toolTip(), QString("Czy wysłać SMS z potwierdzeniem wykonania operacji na wyjściach"));
        QCOMPARE(area.EditPotw->toolTip(), QString("Treść SMSa potwierdzającego wykonania operacji na wyjściach"));
        QCOMPARE(area.BoxAutoTest->text(), QString("Automatyczny SMS na telefon nr.1"));
    }

    // What a screen reader says, and the labels that lead to their fields.
    void accessibility() {
        ConfigArea area;
        QCOMPARE(area.findChild<QCheckBox*>("BoxIN3T5")->accessibleName(), QString("SMS IN3, telefon 5"));
        QCOMPARE(area.findChild<QCheckBox*>("BoxT3S8")->accessibleName(), QString("Voice ZS, telefon 8"));
        QCOMPARE(area.findChild<QCheckBox*>("BoxT2T1")->accessibleName(), QString("SMS BT, telefon 1"));
        QCOMPARE(area.SpinButton1->up->accessibleName(), QString("Próg MAX w górę"));
        QCOMPARE(area.SpinButton2->down->accessibleName(), QString("Próg MIN w dół"));
        QCOMPARE(area.SpinButton3->up->accessibleName(), QString("Korekta w górę"));
        QCOMPARE(area.SpinButton4->down->accessibleName(), QString("Zapis w dół"));
        QCOMPARE(area.Edit_Tel5->accessibleName(), QString("Telefon 5"));
        QCOMPARE(area.BoxOut4NC->accessibleName(), QString("OUT4 NC"));
        QCOMPARE(area.ComboOut2->accessibleName(), QString("OUT2 Temp. steruje"));
        // Every control the keyboard reaches has a name, and no two share one.
        QStringList names;
        for (QWidget* w : area.findChildren<QWidget*>()) {
            if (w->focusPolicy() == Qt::NoFocus || qobject_cast<QTabWidget*>(w) || w->inherits("QTabBar") ||
                w->inherits("QAbstractItemView") || w->parentWidget()->inherits("QComboBox"))
                continue;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
            names << w->accessibleName();
        }
        names.sort();
        for (int i = 1; i < names.size(); ++i) QVERIFY2(names[i] != names[i - 1], qPrintable(names[i]));
        // Every caption beside a field leads to it.
        for (QLabel* l : area.findChildren<QLabel*>()) {
            const QString t = l->text();
            if (t == "Pytanie o stan:") QCOMPARE(l->buddy(), area.JakiStan);
            if (t == "Limit Voice:") QCOMPARE(l->buddy(), area.Edit_LimitVoice);
            if (t == "Korekta") QCOMPARE(l->buddy(), area.Edit_T1Korekta);
            if (t == "Niska") QCOMPARE(l->buddy(), area.Edit_T1n);
            if (t == "h") QCOMPARE(l->buddy(), area.IleTest);
        }
    }

    // ---------------------------------------------------------------- values

    void valuesAtStartAreTheDefaults() {
        ConfigArea area;
        const ConfigValues v = area.values();
        QVERIFY2(v == ConfigValues::defaults(), qPrintable(describe(v, ConfigValues::defaults())));
    }

    void valuesRoundTripThroughTheSetters() {
        ConfigArea area;
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 60; ++round) {
            const ConfigValues v = randomValues(rng);
            area.setValues(v);
            const ConfigValues back = area.values();
            QVERIFY2(back == v, qPrintable(QString("round %1: %2").arg(round).arg(describe(back, v))));
            // Whole texts are shown, past the typing limit.
            QCOMPARE(area.Edit_T1Max->text(), ::thresholdText(v.temp.highCode));
            QCOMPARE(area.Edit_T1Min->text(), ::thresholdText(v.temp.lowCode));
            QCOMPARE(area.Edit_T1Korekta->text(), ::correctionText(v.temp.correctionCode));
            QCOMPARE(area.EditPotw->isEnabled(), v.potw);
            QCOMPARE(area.EditAutotest->isEnabled(), v.autoTest);
        }
    }

    void everyTemperatureCodeRoundTrips() {
        ConfigArea area;
        for (int c = 0; c < 256; ++c) {
            const TempSettings t{quint8(c), quint8(255 - c), quint8(c)};
            area.setTempSettings(t);
            QCOMPARE(area.values().temp, t);
            QCOMPARE(area.Edit_T1Korekta->text(), ::correctionText(quint8(c)));
        }
    }

    void aSelectorOutsideItsEntriesHasNoSelection() {
        ConfigArea area;
        area.setComboOut(0, 2);
        QCOMPARE(area.comboOut(0), 2);
        QCOMPARE(area.ComboOut1->currentText(), QString("T MAX"));
        area.setComboOut(0, 255);
        QCOMPARE(area.comboOut(0), -1);
        QCOMPARE(area.ComboOut1->currentText(), QString());
        area.setOperatorIndex(4);
        QCOMPARE(area.operatorIndex(), 4);
        QCOMPARE(area.Combo_operator->currentText(), QString("inny"));
        area.setOperatorIndex(7);
        QCOMPARE(area.operatorIndex(), -1);
    }

    // A value that really changes turns red; the same value set again fires nothing.
    void settersMarkRealChangesOnly() {
        ConfigArea area;
        area.setText(TextField::Edit_Tel1, "+48123");
        QCOMPARE(backgroundOf(area.Edit_Tel1), Colour::Red);
        area.paintSynchronised(TextField::Edit_Tel1);
        area.setText(TextField::Edit_Tel1, "+48123");
        QCOMPARE(backgroundOf(area.Edit_Tel1), Colour::LightYellow);

        area.setMatrixChecked(RowT3, Voice, 8, true);
        QCOMPARE(backgroundOf(area.matrixBox(RowT3, Voice, 8)), Colour::Red);
        QCOMPARE(backgroundOf(area.matrixBox(RowT3, Voice, 7)), faceColour());
        area.ResetMatrixColours();
        area.setMatrixChecked(RowT3, Voice, 8, true);
        QCOMPARE(backgroundOf(area.matrixBox(RowT3, Voice, 8)), windowColour());

        area.setOutputNC(1, true);
        area.setOutputMono(2, true);
        QCOMPARE(backgroundOf(area.BoxOut2NC), Colour::Red);
        QCOMPARE(backgroundOf(area.BoxOut3Mono), Colour::Red);
        QCOMPARE(backgroundOf(area.BoxOut1NC), faceColour());

        area.setPotw(true);
        QCOMPARE(backgroundOf(area.BoxPotw), Colour::Red);
        QVERIFY(area.EditPotw->isEnabled());

        // Selectors changed by the program fire nothing.
        QSignalSpy changed(area.ComboOut3, &ConfigCombo::userChanged);
        QSignalSpy closed(area.Combo_operator, &ConfigCombo::closedUp);
        area.setComboOut(2, 3);
        area.setComboOut(2, -1);
        area.setOperatorIndex(3);
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(closed.count(), 0);
        QCOMPARE(backgroundOf(area.ComboOut3), windowColour());
        QCOMPARE(area.Edit_operator->text(), QString("+48501200777"));

        // The temperature displays mark themselves when their text changes.
        area.paintTemperatureSynchronised();
        area.setTempSettings({130, 136, 0});
        QCOMPARE(backgroundOf(area.Edit_T1Min), windowColour());
        area.setTempSettings({131, 136, 0});
        QCOMPARE(backgroundOf(area.Edit_T1Min), Colour::Red);
        QCOMPARE(backgroundOf(area.Edit_T1Max), windowColour());
    }

    void synchronisedColours() {
        ConfigArea area;
        ConfigValues v = randomValues(*QRandomGenerator::global());
        area.setValues(v);
        for (int f = 0; f < kTextFieldCount; ++f) area.paintSynchronised(TextField(f));
        area.ResetMatrixColours();
        area.paintOptionsSynchronised();
        area.paintTemperatureSynchronised();
        QCOMPARE(backgroundOf(area.Edit_IN3A), Colour::LightOrange);
        QCOMPARE(backgroundOf(area.Edit_Out4Wyl), Colour::LightGreen);
        QCOMPARE(backgroundOf(area.Edit_T1n), Colour::SkyBlue);
        QCOMPARE(backgroundOf(area.Edit_LimitVoice), Colour::LightYellow);
        for (QWidget* w : std::initializer_list<QWidget*>{area.IleTest, area.BoxPotw, area.BoxAutoTest, area.BoxOut4NC,
                                                          area.BoxOut1Mono, area.Out3Czas, area.ComboOut4,
                                                          area.Edit_T1Max, area.Edit_T1Korekta, area.TempZapisz,
                                                          area.matrixBox(RowIN1, Sms, 1), area.EditPotw})
            QVERIFY2(backgroundOf(w) == windowColour(), qPrintable(w->objectName()));
        for (QCheckBox* b : area.findChildren<QCheckBox*>())
            QVERIFY2(backgroundOf(b) == windowColour(), qPrintable(b->objectName()));
    }
};

QTEST_MAIN(ConfigModelTest)
#include "tst_config_model.moc"
