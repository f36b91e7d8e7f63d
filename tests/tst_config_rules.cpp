// The editing rules as the person triggers them: typed characters, the typing limit and pasting, leaving
// a field, clicks and focus on the check boxes, the selectors, the spin buttons and the Tab key's walk.

#include "config/Defaults.h"
#include "config/TempRules.h"
#include "tst_config_rig.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QToolButton>

namespace {
// Chooses an entry in the selector's list with the keyboard and lets the list's closing run.
void chooseInList(ConfigCombo* combo, int index) {
    combo->setFocus(Qt::TabFocusReason);
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    combo->view()->setCurrentIndex(combo->model()->index(index, 0));
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QTRY_VERIFY(!combo->view()->isVisible());
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
    void keyFilters_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        for (const char* f : {"Edit_pin", "Edit_LimitSMS", "Out4Czas", "IleTest"}) QTest::newRow(f) << f << "a+ -,7" << "7";
        QTest::newRow("+ in Edit_Tel3") << "Edit_Tel3" << "+48 a-601" << "+48601";
        QTest::newRow("+ in Edit_operator") << "Edit_operator" << "+48x" << "+48";
        QTest::newRow("no space") << "Edit_Out2wyl" << "W Ł1" << "WŁ1";
        QTest::newRow("Polish letters") << "Edit_IN1A" << "Drzwi ąę!" << "Drzwi ąę!";
        QTest::newRow("no CJK") << "Edit_T1ok" << "a中b" << "ab";
        QTest::newRow("no emoji") << "EditPotw" << "x" + QString::fromUtf8("\xF0\x9F\x98\x80") << "x";
    }
    void keyFilters() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        ShownArea s;
        auto* e = s.area.findChild<ConfigEdit*>(field);
        e->setEnabled(true);
        clearByKeys(e);
        typeText(e, typed);
        QCOMPARE(e->text(), shown);
        // Keys that type no character pass every filter.
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClick(e, Qt::Key_Delete);
        QCOMPARE(e->text(), shown.mid(1));
    }

    void typingAndPastingStopAtTheLimit() {
        ShownArea s;
        clearByKeys(s.area.Edit_pin);
        typeText(s.area.Edit_pin, "123456");
        QCOMPARE(s.area.Edit_pin->text(), QString("1234"));
        // A longer text set by the program is shown whole; typing cannot lengthen it, deleting shortens it.
        s.area.setText(TextField::Edit_IN1A, QString(40, 'r'));
        enter(s.area.Edit_IN1A);
        QTest::keyClick(s.area.Edit_IN1A, Qt::Key_End);
        typeText(s.area.Edit_IN1A, "x");
        QCOMPARE(s.area.Edit_IN1A->text(), QString(40, 'r'));
        QTest::keyClick(s.area.Edit_IN1A, Qt::Key_Backspace);
        QCOMPARE(s.area.Edit_IN1A->text(), QString(39, 'r'));
        // Pasted text is not filtered, only cut to what fits in place of the selection.
        QGuiApplication::clipboard()->setText("A B123456");
        ConfigEdit* zal = s.area.Edit_Out1zal;
        enter(zal);
        QTest::keyClick(zal, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(zal->text(), QString("A B1"));
        zal->setSelection(1, 2);
        zal->pasteLimited();
        QCOMPARE(zal->text(), QString("AA 1"));
        // The context menu's paste too.
        ConfigEdit* t1 = s.area.Edit_T1a;
        enter(t1);
        QGuiApplication::clipboard()->setText(QString(50, 'p'));
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(5, 5), t1->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(t1, &menuEvent);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        for (QAction* a : menu->actions())
            if (a->text().startsWith("&Paste")) a->trigger();
        menu->close();
        QCOMPARE(t1->text(), QString(30, 'p'));
    }

    void exitRules_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("Out4Czas empty") << "Out4Czas" << "" << "1";
        QTest::newRow("Out4Czas 00") << "Out4Czas" << "00" << "1";
        QTest::newRow("Out4Czas 07") << "Out4Czas" << "07" << "07";
        QTest::newRow("Out1Czas 0") << "Out1Czas" << "0" << "1";
        QTest::newRow("IleTest empty") << "IleTest" << "" << "1";
        QTest::newRow("Edit_pin three digits") << "Edit_pin" << "123" << kDefaultPin;
        QTest::newRow("Edit_pin four digits") << "Edit_pin" << "9876" << "9876";
        QTest::newRow("Edit_LimitVoice empty") << "Edit_LimitVoice" << "" << "0";
    }
    void exitRules() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        ShownArea s;
        auto* e = s.area.findChild<ConfigEdit*>(field);
        clearByKeys(e);
        typeText(e, typed);
        tabOut(e);
        QVERIFY(!e->hasFocus());
        QCOMPARE(e->text(), after);
    }

    void checkBoxesMarkThemselves() {
        ShownArea s;
        ConfigArea& a = s.area;
        // Matrix cells on click or Space, the voice cells of row ZS like every other.
        a.TabSMSVoice->setCurrentIndex(1);
        QCheckBox* zs = a.matrixBox(RowT3, Voice, 8);
        QTest::mouseClick(zs, Qt::LeftButton, {}, zs->rect().center());
        QVERIFY(zs->isChecked());
        QCOMPARE(backgroundOf(zs), Colour::Red);
        a.ResetMatrixColours();
        zs->setFocus(Qt::TabFocusReason);
        QTest::keyClick(zs, Qt::Key_Space);
        QCOMPARE(backgroundOf(zs), Colour::Red);
        // Merely tabbing onto an output box marks it; focus given back by another window does not.
        a.BoxOut2NC->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(backgroundOf(a.BoxOut2NC), Colour::Red);
        QVERIFY(!a.BoxOut2NC->isChecked());
        QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(a.BoxOut3Mono, &back);
        QCOMPARE(backgroundOf(a.BoxOut3Mono), faceColour());
    }

    void confirmationEnablesItsText() {
        ShownArea s;
        QCheckBox* potw = s.area.BoxPotw;
        QTest::mouseClick(potw, Qt::LeftButton, {}, QPoint(8, potw->height() / 2));
        QVERIFY(s.area.EditPotw->isEnabled());
        s.area.paintOptionsSynchronised();
        QTest::mouseClick(potw, Qt::LeftButton, {}, QPoint(8, potw->height() / 2));
        QVERIFY(!potw->isChecked());
        QVERIFY(!s.area.EditPotw->isEnabled());
        QCOMPARE(s.area.values().text(TextField::EditPotw), QString("OK"));
        QCOMPARE(backgroundOf(potw), Colour::Red);
    }

    void choosingAnOperatorFillsTheSmsCentre() {
        ShownArea s;
        chooseInList(s.area.Combo_operator, 3);
        QCOMPARE(s.area.Edit_operator->text(), QString("+48790998250"));
        QCOMPARE(backgroundOf(s.area.Edit_operator), Colour::Red);
        s.area.paintSynchronised(TextField::Edit_operator);
        chooseInList(s.area.Combo_operator, 3);  // the same number: nothing changes
        QCOMPARE(backgroundOf(s.area.Edit_operator), Colour::LightYellow);
        chooseInList(s.area.Combo_operator, 4);
        QCOMPARE(s.area.Edit_operator->text(), QString());
        // Hiding the area is no closing of the list.
        typeText(s.area.Edit_operator, "+48111");
        s.area.setBoxesVisible(false);
        s.area.setBoxesVisible(true);
        QCoreApplication::processEvents();
        QCOMPARE(s.area.Edit_operator->text(), QString("+48111"));
    }

    // A role selector showing "Brak" has no entry until the person chooses or types one.
    void roleSelectors() {
        ShownArea s;
        ConfigCombo* c = s.area.ComboOut2;
        enter(c);
        enter(s.area.Out2Czas);
        enter(c);
        tabOut(c);
        QCOMPARE(c->selectedIndex(), -1);
        QCOMPARE(backgroundOf(c), windowColour());
        enter(c);
        c->lineEdit()->selectAll();
        typeText(c->lineEdit(), "xyz");
        QTest::keyClick(c->lineEdit(), Qt::Key_Return);
        tabOut(c);
        QCOMPARE(c->selectedIndex(), -1);
        QCOMPARE(c->count(), 4);
        QCOMPARE(backgroundOf(c), Colour::Red);
        // A reply or a file that leaves its selection alone leaves the typed text too.
        s.area.setValues(s.area.values());
        QCOMPARE(c->currentText(), QString("xyz"));
        chooseInList(c, 0);
        QCOMPARE(c->selectedIndex(), 0);
    }

    void spinButtons_data() {
        QTest::addColumn<int>("spin");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("code");  // the byte, or TempZapisz's number
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("red");
        QTest::newRow("MAX up") << 1 << true << 136 << "+9" << true;
        QTest::newRow("MAX up at +127") << 1 << true << 255 << "+127" << false;
        QTest::newRow("MIN down at -128") << 2 << false << 0 << "-128" << false;
        QTest::newRow("MIN down through 0") << 2 << false << 128 << "-1" << true;
        QTest::newRow("correction down from +0,25") << 3 << false << 1 << "+0,0" << true;
        QTest::newRow("correction down from +0,0") << 3 << false << 0 << "-0,25" << true;
        QTest::newRow("correction up from -0,25") << 3 << true << 129 << "+0,0" << true;
        QTest::newRow("correction down at -31,50") << 3 << false << 254 << "-31,50" << true;
        QTest::newRow("correction up at +31,75") << 3 << true << 127 << "+31,75" << true;
        QTest::newRow("correction up from 128") << 3 << true << 128 << "+0,25" << true;
        QTest::newRow("correction down from 128") << 3 << false << 128 << "-0,25" << true;
        QTest::newRow("correction down at 255") << 3 << false << 255 << "-31,75" << true;
        QTest::newRow("correction up from 255") << 3 << true << 255 << "-31,50" << true;
        QTest::newRow("interval up at 255") << 4 << true << 255 << "255" << true;
        QTest::newRow("interval down at 1") << 4 << false << 1 << "1" << true;
        QTest::newRow("interval up from 0") << 4 << true << 0 << "1" << true;
        QTest::newRow("interval low 8 bits") << 4 << true << 300 << "45" << true;
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
        (spin == 1 ? t.highCode : spin == 2 ? t.lowCode : t.correctionCode) = quint8(spin == 4 ? 0 : code);
        a.setTempSettings(t);
        if (spin == 4) a.setText(TextField::TempZapisz, QString::number(code));
        a.paintTemperatureSynchronised();
        SpinButton* button = QList<SpinButton*>{a.SpinButton1, a.SpinButton2, a.SpinButton3, a.SpinButton4}[spin - 1];
        QLineEdit* display = QList<QLineEdit*>{a.Edit_T1Max, a.Edit_T1Min, a.Edit_T1Korekta, a.TempZapisz}[spin - 1];
        QToolButton* b = up ? button->up : button->down;
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        QCOMPARE(display->text(), shown);
        QCOMPARE(backgroundOf(display), red ? Colour::Red : windowColour());
        if (spin == 3) QCOMPARE(display->text(), correctionText(a.tempSettings().correctionCode));
    }

    void tabOrderFollowsTheLayout() {
        ShownArea s;
        ConfigArea& a = s.area;
        a.Edit_Tel1->setFocus(Qt::TabFocusReason);
        QList<QWidget*> walk{a.Edit_Tel1};
        for (int i = 0; i < 400 && walk.size() == i + 1; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget() != a.Edit_Tel1) walk.append(QApplication::focusWidget());
        }
        const QList<QWidget*> expected{
            a.Edit_Tel1, a.Edit_Tel4, a.Edit_Tel5, a.Edit_Tel8, a.Combo_operator, a.Edit_operator, a.Edit_pin,
            a.JakiStan, a.Edit_LimitSMS, a.Edit_LimitVoice, a.Edit_IN1A, a.Edit_IN1N, a.Edit_IN2A, a.Edit_DCn,
            a.Edit_T1a, a.Edit_T1n, a.Edit_T1Max, a.SpinButton1->up, a.Edit_T1Min, a.TempZapisz,
            a.matrixBox(RowIN1, Sms, 1), a.matrixBox(RowIN1, Sms, 2), a.matrixBox(RowT3, Sms, 8), a.BoxAutoTest,
            a.IleTest, a.Edit_Out1zal, a.Edit_Out1wyl, a.BoxOut1NC, a.Out1Czas, a.ComboOut1, a.Edit_Out2zal,
            a.ComboOut4, a.BoxPotw};
        int last = -1;
        for (QWidget* w : expected) {
            QVERIFY2(walk.indexOf(w) > last, qPrintable(w->objectName() + " out of order"));
            last = int(walk.indexOf(w));
        }
    }
};

QTEST_MAIN(ConfigRulesTest)
#include "tst_config_rules.moc"
