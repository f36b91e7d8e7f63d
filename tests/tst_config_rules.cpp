// The editing rules as the person triggers them: typed characters, the typing limit and pasting, leaving
// a field, clicks and focus on the check boxes, the selectors and the spin buttons.

#include "config/Defaults.h"
#include "config/TempRules.h"
#include "tst_config_rig.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QToolButton>

namespace {
// Chooses an entry in the selector's list with the keyboard, as the person does, and lets the list's
// closing run.
void chooseInList(ConfigCombo* combo, int index) {
    combo->setFocus(Qt::TabFocusReason);
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    view->setCurrentIndex(combo->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QCoreApplication::processEvents();
}

void clearByKeys(QLineEdit* e) {
    e->setFocus(Qt::TabFocusReason);
    QTest::keyClick(e, Qt::Key_End);
    while (!e->text().isEmpty()) QTest::keyClick(e, Qt::Key_Backspace);
}
}  // namespace

class ConfigRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---------------------------------------------------------------- key filters

    void keyFilters_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        for (const char* f : {"Edit_pin", "Edit_LimitSMS", "Edit_LimitVoice", "Out1Czas", "Out2Czas", "Out3Czas",
                              "Out4Czas", "IleTest"})
            QTest::newRow(f) << f << "a+ -,x7" << "7";
        QTest::newRow("Edit_pin refuses +") << "Edit_pin" << "+12" << "12";
        for (const char* f : {"Edit_Tel1", "Edit_Tel3", "Edit_Tel5", "Edit_Tel8", "Edit_operator"})
            QTest::newRow(f) << f << "+48 a-601" << "+48601";
        for (const char* f : {"Edit_Out1zal", "Edit_Out2wyl", "Edit_OUT3Zal", "Edit_Out4Wyl"})
            QTest::newRow(f) << f << "W Ł1" << "WŁ1";
        QTest::newRow("free field takes Polish letters") << "Edit_IN1A" << "Drzwi otwarte ąę!" << "Drzwi otwarte ąę!";
        QTest::newRow("JakiStan") << "JakiStan" << "St ?" << "St ?";
        QTest::newRow("no CJK in a free field") << "Edit_T1ok" << "a中b" << "ab";
        QTest::newRow("no CJK in EditPotw") << "EditPotw" << "中OK" << "OK";
        QTest::newRow("no emoji") << "Edit_DCn" << QString("x") + QString::fromUtf8("\xF0\x9F\x98\x80") + "y" << "xy";
        QTest::newRow("no CJK without spaces") << "Edit_Out1zal" << "中a" << "a";
    }
    void keyFilters() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        ShownArea s;
        auto* e = s.area.findChild<ConfigEdit*>(field);
        QVERIFY(e);
        e->setEnabled(true);
        clearByKeys(e);
        typeText(e, typed);
        QCOMPARE(e->text(), shown);
    }

    // Keys that type no character work in every field.
    void editingKeysPass() {
        ShownArea s;
        ConfigEdit* e = s.area.Edit_pin;
        enter(e);
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClick(e, Qt::Key_Delete);
        QCOMPARE(e->text(), kDefaultPin.mid(1));
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), kDefaultPin.mid(1, 2));
        QTest::keyClick(e, Qt::Key_Left);
        typeText(e, "9");
        QCOMPARE(e->text(), kDefaultPin.mid(1, 1) + "9" + kDefaultPin.mid(2, 1));
    }

    // ---------------------------------------------------------------- typing limit and pasting

    void typingStopsAtTheLimit() {
        ShownArea s;
        clearByKeys(s.area.Edit_pin);
        typeText(s.area.Edit_pin, "123456");
        QCOMPARE(s.area.Edit_pin->text(), QString("1234"));
        clearByKeys(s.area.Edit_IN2N);
        typeText(s.area.Edit_IN2N, QString(35, QChar(u'ż')));
        QCOMPARE(s.area.Edit_IN2N->text(), QString(30, QChar(u'ż')));
        // A full field takes a character in place of a selected one.
        QTest::keyClick(s.area.Edit_IN2N, Qt::Key_Left, Qt::ShiftModifier);
        typeText(s.area.Edit_IN2N, "a");
        QCOMPARE(s.area.Edit_IN2N->text(), QString(29, QChar(u'ż')) + "a");
    }

    // A text set by the program is shown whole; typing cannot make it longer, deleting shortens it.
    void aLongerTextIsShownWhole() {
        ShownArea s;
        const QString read = QString(40, 'r');
        s.area.setText(TextField::Edit_IN1A, read);
        QCOMPARE(s.area.Edit_IN1A->text(), read);
        enter(s.area.Edit_IN1A);
        QTest::keyClick(s.area.Edit_IN1A, Qt::Key_End);
        typeText(s.area.Edit_IN1A, "x");
        QCOMPARE(s.area.Edit_IN1A->text(), read);
        QTest::keyClick(s.area.Edit_IN1A, Qt::Key_Backspace);
        QCOMPARE(s.area.Edit_IN1A->text(), QString(39, 'r'));
        s.area.setText(TextField::Edit_pin, "123456");
        QCOMPARE(s.area.values().text(TextField::Edit_pin), QString("123456"));
    }

    void pastingIsCutToTheLimit() {
        ShownArea s;
        QGuiApplication::clipboard()->setText("A B123456");
        // Pasted text is not filtered, only cut to what fits.
        ConfigEdit* zal = s.area.Edit_Out1zal;
        enter(zal);
        QTest::keyClick(zal, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(zal->text(), QString("A B1"));
        // Pasting over a selection replaces it, with what fits in its place.
        zal->setSelection(1, 2);
        zal->pasteLimited();
        QCOMPARE(zal->text(), QString("AA 1"));
        QCOMPARE(backgroundOf(zal), Colour::Red);

        // The context menu's paste is cut the same way.
        ConfigEdit* t1 = s.area.Edit_T1a;
        enter(t1);
        QGuiApplication::clipboard()->setText(QString(50, 'p'));
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(5, 5), t1->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(t1, &menuEvent);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        QAction* paste = nullptr;
        for (QAction* a : menu->actions())
            if (a->text().startsWith("&Paste")) paste = a;
        QVERIFY(paste);
        paste->trigger();
        menu->close();
        QCOMPARE(t1->text(), QString(30, 'p'));
    }

    // ---------------------------------------------------------------- exit rules

    void exitRules_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("Out4Czas empty") << "Out4Czas" << "" << "1";
        QTest::newRow("Out4Czas 00") << "Out4Czas" << "00" << "1";
        QTest::newRow("Out4Czas 07") << "Out4Czas" << "07" << "07";
        QTest::newRow("Out1Czas 0") << "Out1Czas" << "0" << "1";
        QTest::newRow("Out2Czas 99") << "Out2Czas" << "99" << "99";
        QTest::newRow("Out3Czas empty") << "Out3Czas" << "" << "1";
        QTest::newRow("IleTest empty") << "IleTest" << "" << "1";
        QTest::newRow("IleTest 00") << "IleTest" << "00" << "1";
        QTest::newRow("IleTest 12") << "IleTest" << "12" << "12";
        QTest::newRow("Edit_pin three digits") << "Edit_pin" << "123" << kDefaultPin;
        QTest::newRow("Edit_pin empty") << "Edit_pin" << "" << kDefaultPin;
        QTest::newRow("Edit_pin four digits") << "Edit_pin" << "9876" << "9876";
        QTest::newRow("Edit_LimitSMS empty") << "Edit_LimitSMS" << "" << "0";
        QTest::newRow("Edit_LimitVoice empty") << "Edit_LimitVoice" << "" << "0";
        QTest::newRow("Edit_LimitVoice 5") << "Edit_LimitVoice" << "5" << "5";
    }
    void exitRules() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        ShownArea s;
        auto* e = s.area.findChild<ConfigEdit*>(field);
        clearByKeys(e);
        typeText(e, typed);
        QCOMPARE(e->text(), typed);
        tabOut(e);
        QVERIFY(!e->hasFocus());
        QCOMPARE(e->text(), after);
    }

    // Focus that goes because another window took it is not the person leaving the field.
    void anotherWindowTakingTheFocusRunsNoExitRule() {
        ShownArea s;
        clearByKeys(s.area.Out2Czas);
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(s.area.Out2Czas, &out);
        QCOMPARE(s.area.Out2Czas->text(), QString());
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QCoreApplication::sendEvent(s.area.Out2Czas, &popup);
        QCOMPARE(s.area.Out2Czas->text(), QString());
        QFocusEvent mouse(QEvent::FocusOut, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(s.area.Out2Czas, &mouse);
        QCOMPARE(s.area.Out2Czas->text(), QString("1"));
    }

    // ---------------------------------------------------------------- change marking

    void typingPaintsRed() {
        ShownArea s;
        enter(s.area.Edit_Tel2);
        QCOMPARE(backgroundOf(s.area.Edit_Tel2), Colour::LightYellow);
        typeText(s.area.Edit_Tel2, "6");
        QCOMPARE(backgroundOf(s.area.Edit_Tel2), Colour::Red);
        // A refused key changes nothing and paints nothing.
        enter(s.area.Edit_Tel4);
        typeText(s.area.Edit_Tel4, "x");
        QCOMPARE(backgroundOf(s.area.Edit_Tel4), Colour::LightYellow);
        // Leaving a field whose exit rule keeps the text paints nothing.
        enter(s.area.Out1Czas);
        tabOut(s.area.Out1Czas);
        QCOMPARE(backgroundOf(s.area.Out1Czas), windowColour());
    }

    void matrixCellsMarkThemselvesOnClick_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("phone");
        QTest::newRow("BoxIN1T1") << int(RowIN1) << int(Sms) << 1;
        QTest::newRow("BoxIN4T1") << int(RowIN4) << int(Sms) << 1;
        QTest::newRow("BoxT2S8") << int(RowT2) << int(Voice) << 8;
        QTest::newRow("BoxT3T1") << int(RowT3) << int(Sms) << 1;
        QTest::newRow("BoxT3S1 (ZS voice)") << int(RowT3) << int(Voice) << 1;
        QTest::newRow("BoxT3S8 (ZS voice)") << int(RowT3) << int(Voice) << 8;
    }
    void matrixCellsMarkThemselvesOnClick() {
        QFETCH(int, row);
        QFETCH(int, kind);
        QFETCH(int, phone);
        ShownArea s;
        s.area.TabSMSVoice->setCurrentIndex(kind);
        QCheckBox* b = s.area.matrixBox(row, kind, phone);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        QVERIFY(b->isChecked());
        QCOMPARE(backgroundOf(b), Colour::Red);
        s.area.ResetMatrixColours();
        // Space on the focused cell toggles it back and marks it again.
        b->setFocus(Qt::TabFocusReason);
        QTest::keyClick(b, Qt::Key_Space);
        QVERIFY(!b->isChecked());
        QCOMPARE(backgroundOf(b), Colour::Red);
    }

    void tabbingOntoAnOutputBoxPaintsIt() {
        ShownArea s;
        s.area.Out1Czas->setFocus(Qt::TabFocusReason);
        QCOMPARE(backgroundOf(s.area.BoxOut2NC), faceColour());
        s.area.BoxOut2NC->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(backgroundOf(s.area.BoxOut2NC), Colour::Red);
        QVERIFY(!s.area.BoxOut2NC->isChecked());
        QCOMPARE(backgroundOf(s.area.BoxOut3Mono), faceColour());
        // Focus given back by a closing window is not the person entering.
        for (QCheckBox* b : {s.area.BoxOut3Mono, s.area.BoxPotw, s.area.BoxAutoTest}) {
            QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
            QCoreApplication::sendEvent(b, &in);
            QCOMPARE(backgroundOf(b), faceColour());
            QFocusEvent tab(QEvent::FocusIn, Qt::BacktabFocusReason);
            QCoreApplication::sendEvent(b, &tab);
            QCOMPARE(backgroundOf(b), Colour::Red);
        }
    }

    void confirmationAndAutomaticSmsEnableTheirTexts() {
        ShownArea s;
        QCheckBox* potw = s.area.BoxPotw;
        QTest::mouseClick(potw, Qt::LeftButton, {}, QPoint(8, potw->height() / 2));
        QVERIFY(potw->isChecked());
        QVERIFY(s.area.EditPotw->isEnabled());
        QCOMPARE(backgroundOf(potw), Colour::Red);
        s.area.paintOptionsSynchronised();
        QTest::mouseClick(potw, Qt::LeftButton, {}, QPoint(8, potw->height() / 2));
        QVERIFY(!potw->isChecked());
        QVERIFY(!s.area.EditPotw->isEnabled());
        QCOMPARE(s.area.EditPotw->text(), QString("OK"));
        QCOMPARE(s.area.values().text(TextField::EditPotw), QString("OK"));
        QCOMPARE(backgroundOf(potw), Colour::Red);

        QCheckBox* autoTest = s.area.BoxAutoTest;
        autoTest->setFocus(Qt::TabFocusReason);
        QTest::keyClick(autoTest, Qt::Key_Space);
        QVERIFY(s.area.EditAutotest->isEnabled());
        s.area.EditAutotest->setFocus(Qt::TabFocusReason);
        typeText(s.area.EditAutotest, "Test OK");
        QCOMPARE(s.area.EditAutotest->text(), QString("Test OK"));
        autoTest->setFocus(Qt::TabFocusReason);
        QTest::keyClick(autoTest, Qt::Key_Space);
        QVERIFY(!s.area.EditAutotest->isEnabled());
        QCOMPARE(s.area.EditAutotest->text(), QString("Test OK"));
    }

    // ---------------------------------------------------------------- the operator selector

    void choosingAnOperatorFillsTheSmsCentre() {
        ShownArea s;
        ConfigCombo* op = s.area.Combo_operator;
        chooseInList(op, 3);
        QCOMPARE(op->selectedIndex(), 3);
        QCOMPARE(s.area.Edit_operator->text(), QString("+48790998250"));
        QCOMPARE(backgroundOf(s.area.Edit_operator), Colour::Red);
        // Choosing it again with its number already there paints nothing.
        s.area.paintSynchronised(TextField::Edit_operator);
        chooseInList(op, 3);
        QCOMPARE(backgroundOf(s.area.Edit_operator), Colour::LightYellow);
        chooseInList(op, 1);
        QCOMPARE(s.area.Edit_operator->text(), QString("+48602951111"));
        chooseInList(op, 2);
        QCOMPARE(s.area.Edit_operator->text(), QString("+48601000310"));
        chooseInList(op, 0);
        QCOMPARE(s.area.Edit_operator->text(), QString("+48501200777"));
        chooseInList(op, 4);
        QCOMPARE(op->selectedIndex(), 4);
        QCOMPARE(s.area.Edit_operator->text(), QString());
        // The selector itself has no change rule.
        QCOMPARE(backgroundOf(op), Colour::LightYellow);
    }

    void theSmsCentreIsKeptWhenTheListDoesNotClose() {
        ShownArea s;
        enter(s.area.Edit_operator);
        clearByKeys(s.area.Edit_operator);
        typeText(s.area.Edit_operator, "+48111");
        // A typed operator that is no entry selects nothing, and closing the list then fills nothing.
        s.area.Combo_operator->setFocus(Qt::TabFocusReason);
        s.area.Combo_operator->lineEdit()->selectAll();
        typeText(s.area.Combo_operator->lineEdit(), "Sieć X");
        QCOMPARE(s.area.operatorIndex(), -1);
        s.area.Combo_operator->showPopup();
        QTRY_VERIFY(s.area.Combo_operator->view()->isVisible());
        QTest::keyClick(s.area.Combo_operator->view(), Qt::Key_Escape);
        QTRY_VERIFY(!s.area.Combo_operator->view()->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(s.area.Edit_operator->text(), QString("+48111"));
        // Hiding and showing the area is no closing of the list.
        s.area.setOperatorIndex(0);
        s.area.setBoxesVisible(false);
        s.area.setBoxesVisible(true);
        QCoreApplication::processEvents();
        QCOMPARE(s.area.Edit_operator->text(), QString("+48111"));
    }

    // ---------------------------------------------------------------- temperature-role selectors

    void roleSelectorKeepsNoSelectionUntilTheUserChooses() {
        ShownArea s;
        ConfigCombo* c = s.area.ComboOut2;
        QSignalSpy changed(c, &ConfigCombo::userChanged);
        // A focus round trip neither selects "Brak" nor paints.
        enter(c);
        enter(s.area.Out2Czas);
        enter(c);
        tabOut(c);
        QCOMPARE(c->selectedIndex(), -1);
        QCOMPARE(c->currentText(), QString("Brak"));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(backgroundOf(c), windowColour());
        // Choosing "Brak" in the list is a choice.
        chooseInList(c, 0);
        QCOMPARE(c->selectedIndex(), 0);
        QCOMPARE(backgroundOf(c), Colour::Red);
    }

    void typingInARoleSelector() {
        ShownArea s;
        ConfigCombo* c = s.area.ComboOut3;
        enter(c);
        c->lineEdit()->selectAll();
        typeText(c->lineEdit(), "xyz");
        QCOMPARE(c->currentText(), QString("xyz"));
        QCOMPARE(c->selectedIndex(), -1);
        QCOMPARE(backgroundOf(c), Colour::Red);
        QTest::keyClick(c->lineEdit(), Qt::Key_Return);
        tabOut(c);
        QCOMPARE(c->count(), 4);  // typed text is no new entry
        QCOMPARE(c->selectedIndex(), -1);
        QCOMPARE(s.area.values().comboOut[2], -1);
        // A typed entry name selects that entry.
        enter(c);
        c->lineEdit()->selectAll();
        typeText(c->lineEdit(), "T ALR");
        QCOMPARE(c->selectedIndex(), 3);
        tabOut(c);
        QCOMPARE(c->selectedIndex(), 3);
        QCOMPARE(c->count(), 4);
    }

    void programmaticRoleChangesFireNothing() {
        ShownArea s;
        QSignalSpy changed(s.area.ComboOut4, &ConfigCombo::userChanged);
        s.area.setComboOut(3, 1);
        s.area.setComboOut(3, -1);
        s.area.setComboOut(3, 2);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(backgroundOf(s.area.ComboOut4), windowColour());
        // The program's selection survives a focus round trip.
        s.area.setComboOut(3, -1);
        enter(s.area.ComboOut4);
        tabOut(s.area.ComboOut4);
        QCOMPARE(s.area.comboOut(3), -1);
        QCOMPARE(changed.count(), 0);
    }

    // ---------------------------------------------------------------- spin buttons

    void spinButtons_data() {
        QTest::addColumn<int>("spin");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("code");  // the byte, or TempZapisz's number
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("red");
        QTest::newRow("MAX up") << 1 << true << 136 << "+9" << true;
        QTest::newRow("MAX up at +127") << 1 << true << 255 << "+127" << false;
        QTest::newRow("MAX down at -128") << 1 << false << 0 << "-128" << false;
        QTest::newRow("MAX down through 0") << 1 << false << 128 << "-1" << true;
        QTest::newRow("MIN down") << 2 << false << 130 << "+1" << true;
        QTest::newRow("MIN down at -128") << 2 << false << 0 << "-128" << false;
        QTest::newRow("MIN up at +127") << 2 << true << 255 << "+127" << false;
        QTest::newRow("correction down from +0,25") << 3 << false << 1 << "+0,0" << true;
        QTest::newRow("correction down from +0,0") << 3 << false << 0 << "-0,25" << true;
        QTest::newRow("correction up from -0,25") << 3 << true << 129 << "+0,0" << true;
        QTest::newRow("correction down at -31,50") << 3 << false << 254 << "-31,50" << true;
        QTest::newRow("correction up at +31,75") << 3 << true << 127 << "+31,75" << true;
        QTest::newRow("correction up from second zero") << 3 << true << 128 << "+0,25" << true;
        QTest::newRow("correction down from second zero") << 3 << false << 128 << "-0,25" << true;
        QTest::newRow("correction down at -31,75") << 3 << false << 255 << "-31,75" << true;
        QTest::newRow("correction up from -31,75") << 3 << true << 255 << "-31,50" << true;
        QTest::newRow("interval up") << 4 << true << 60 << "61" << true;
        QTest::newRow("interval up at 255") << 4 << true << 255 << "255" << true;
        QTest::newRow("interval down at 1") << 4 << false << 1 << "1" << true;
        QTest::newRow("interval up from 0") << 4 << true << 0 << "1" << true;
        QTest::newRow("interval down at 0") << 4 << false << 0 << "0" << true;
    }
    void spinButtons() {
        QFETCH(int, spin);
        QFETCH(bool, up);
        QFETCH(int, code);
        QFETCH(QString, shown);
        QFETCH(bool, red);
        ShownArea s;
        ConfigArea& a = s.area;
        TempSettings t = a.tempSettings();
        if (spin == 1) t.highCode = quint8(code);
        if (spin == 2) t.lowCode = quint8(code);
        if (spin == 3) t.correctionCode = quint8(code);
        a.setTempSettings(t);
        if (spin == 4) a.setText(TextField::TempZapisz, QString::number(code));
        a.paintTemperatureSynchronised();
        SpinButton* button = spin == 1 ? a.SpinButton1 : spin == 2 ? a.SpinButton2 : spin == 3 ? a.SpinButton3 : a.SpinButton4;
        QLineEdit* display = spin == 1 ? a.Edit_T1Max : spin == 2 ? a.Edit_T1Min : spin == 3 ? a.Edit_T1Korekta : a.TempZapisz;
        QToolButton* b = up ? button->up : button->down;
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        QCOMPARE(display->text(), shown);
        QCOMPARE(backgroundOf(display), red ? Colour::Red : windowColour());
        // The display shows the byte it was rendered from.
        if (spin == 1) QCOMPARE(display->text(), ::thresholdText(a.tempSettings().highCode));
        if (spin == 2) QCOMPARE(display->text(), ::thresholdText(a.tempSettings().lowCode));
        if (spin == 3) QCOMPARE(display->text(), ::correctionText(a.tempSettings().correctionCode));
    }

    // The arrow keys on a temperature display step it like its buttons.
    void arrowKeysStepTheDisplays() {
        ShownArea s;
        enter(s.area.Edit_T1Max);
        QTest::keyClick(s.area.Edit_T1Max, Qt::Key_Up);
        QTest::keyClick(s.area.Edit_T1Max, Qt::Key_Up);
        QCOMPARE(s.area.Edit_T1Max->text(), QString("+10"));
        enter(s.area.TempZapisz);
        QTest::keyClick(s.area.TempZapisz, Qt::Key_Down);
        QCOMPARE(s.area.TempZapisz->text(), QString("59"));
        QCOMPARE(s.area.tempSettings().highCode, quint8(138));
    }

    // ---------------------------------------------------------------- keyboard walk

    void tabOrderFollowsTheLayout() {
        ShownArea s;
        ConfigArea& a = s.area;
        a.Edit_Tel1->setFocus(Qt::TabFocusReason);
        QList<QWidget*> walk{a.Edit_Tel1};
        for (int i = 0; i < 400; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* f = QApplication::focusWidget();
            if (f == a.Edit_Tel1) break;
            walk.append(f);
        }
        const QList<QWidget*> expected{a.Edit_Tel1, a.Edit_Tel2, a.Edit_Tel4, a.Edit_Tel5, a.Edit_Tel8,
                                       a.Combo_operator, a.Edit_operator, a.Edit_pin, a.JakiStan, a.Edit_LimitSMS,
                                       a.Edit_LimitVoice, a.Edit_IN1A, a.Edit_IN1N, a.Edit_IN2A, a.Edit_DCn,
                                       a.Edit_T1a, a.Edit_T1ok, a.Edit_T1n, a.Edit_T1Max, a.SpinButton1->up,
                                       a.Edit_T1Min, a.Edit_T1Korekta, a.TempZapisz, a.SpinButton4->down,
                                       a.matrixBox(RowIN1, Sms, 1), a.matrixBox(RowIN1, Sms, 2),
                                       a.matrixBox(RowIN2, Sms, 1), a.matrixBox(RowT3, Sms, 8), a.BoxAutoTest,
                                       a.IleTest, a.Edit_Out1zal, a.Edit_Out1wyl, a.BoxOut1NC, a.BoxOut1Mono,
                                       a.Out1Czas, a.ComboOut1, a.Edit_Out2zal, a.ComboOut4, a.BoxPotw};
        int last = -1;
        for (QWidget* w : expected) {
            const int at = int(walk.indexOf(w));
            QVERIFY2(at > last, qPrintable(w->objectName() + " out of order"));
            last = at;
        }
    }
};

QTEST_MAIN(ConfigRulesTest)
#include "tst_config_rules.moc"
