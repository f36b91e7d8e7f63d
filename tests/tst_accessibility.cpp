// What assistive technology reads, through QAccessible as a screen reader's bridge would: every widget of
// every window has a name that begins with the text it shows, value displays say the value they show and
// follow its changes, and what a colour tells is said in words.

#include "app/MainWindow.h"
#include "support/FakePort.h"
#include "config/ConfigArea.h"
#include "config/ConfigWidgets.h"
#include "config/Palette.h"
#include "link/Link.h"
#include "maintenance/BootDialog.h"
#include "tst_maint_rig.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>

using namespace maint;

namespace {
QString nameOf(QObject* o) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->text(QAccessible::Name) : QString();
}
QString descriptionOf(QObject* o) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->text(QAccessible::Description) : QString();
}

// The text a person sees on or beside the widget: a button's caption, a label's text, a group's title,
// or for a field the caption whose buddy it is (without its closing colon).
QString visibleText(QWidget* w) {
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
    else if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
    else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractScrollArea*>(w)) {
        for (QLabel* l : w->window()->findChildren<QLabel*>())
            if (l->buddy() == w) text = l->text();
        if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    }
    text.remove(QLatin1Char('&'));
    return text.trimmed();
}

// Qt's own parts of a widget (viewports, scroll bars, a combo box's inner edit and list) and bare
// containers are no controls of the window.
bool isControl(QWidget* w) {
    if (w->objectName().startsWith(QLatin1String("qt_"))) return false;
    if (qobject_cast<QScrollBar*>(w)) return false;
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractScrollArea*>(p)) return false;
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w) ||
           qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractScrollArea*>(w) ||
           qobject_cast<QProgressBar*>(w) || qobject_cast<QStatusBar*>(w) || qobject_cast<QTabWidget*>(w);
}

// "object: problem" for every control of the window whose name is empty or does not begin with what it
// shows.
#ifdef Q_OS_LINUX
constexpr bool isLinux = true;
#else
constexpr bool isLinux = false;
#endif

QStringList unnamed(QWidget* window) {
    QStringList problems;
    int controls = 0;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!isControl(w)) continue;
        ++controls;
        const QString name = nameOf(w), shown = visibleText(w);
        const QString who = window->objectName() + "/" + (w->objectName().isEmpty() ? w->metaObject()->className()
                                                                                   : w->objectName());
        if (name.trimmed().isEmpty()) {
            problems << who + ": no name";
            continue;
        }
        if (auto* combo = qobject_cast<QComboBox*>(w); combo && isLinux) {
            // On Linux Qt names a selector by the entry it shows (its value) and gives the caption as
            // its label relation.
            if (name != combo->currentText()) problems << who + ": \"" + name + "\" is not the entry shown";
            const auto labels = QAccessible::queryAccessibleInterface(w)->relations(QAccessible::Label);
            const bool labelled = std::any_of(labels.begin(), labels.end(), [&](const auto& r) {
                return r.first->text(QAccessible::Name).startsWith(shown);
            });
            if (!shown.isEmpty() && !labelled) problems << who + ": not labelled \"" + shown + "\"";
            continue;
        }
        if (!shown.isEmpty() && !name.startsWith(shown))
            problems << who + ": \"" + name + "\" does not begin with \"" + shown + "\"";
    }
    if (controls == 0) problems << window->objectName() + ": no controls found";
    return problems;
}

QByteArray statusPayload(quint8 byte0, quint8 byte1, quint8 modem, quint8 signal, quint8 sms, quint8 voice,
                         quint8 states) {
    // 5 V raw 265 (+4,9V), battery raw 700 (+13,1V), temperature raw 300 (+23,2).
    QByteArray p;
    for (int b : {int(byte0), int(byte1), int(modem), int(signal), int(sms), int(voice), 265 & 0xFF, 265 >> 8,
                  700 & 0xFF, 700 >> 8, 300 & 0xFF, 300 >> 8, int(states)})
        p.append(char(b));
    return p;
}
}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
    Files files;

private Q_SLOTS:
    void initTestCase() { QAccessible::setActive(true); }

    // The main window with its configuration area, the port list, the port-opening notice, the transfer
    // progress, the archive's window, and the dialogs that are created when they open: password,
    // firmware, about.
    void everyWidgetOfEveryWindowIsNamedAfterWhatItShows() {
        MaintRig rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.ButtonKonfig->click();
        rig.logIn();
        QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 400));
        w.ButtonArchiwum->click();
        QStringList problems;
        QStringList windows;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName().isEmpty() || qobject_cast<QMenu*>(top)) continue;
            windows << top->objectName();
            problems << unnamed(top);
        }
        for (const char* expected : {"TMain", "TFormCom", "TFormJakieCOM", "TFormProgres", "TFormArchiwum"})
            QVERIFY2(windows.contains(QLatin1String(expected)), qPrintable(windows.join(' ')));

        QStringList dialogs;
        auto checkModal = [&](QWidget* d) {
            dialogs << d->metaObject()->className();
            problems << unnamed(d);
            d->close();
        };
        whenModal<QDialog>(checkModal);
        w.Button_zmiana_hasla->click();
        whenModal<QDialog>(checkModal);
        w.Oprogramie1->trigger();
        whenModal<TFboot>(checkModal);
        w.ButtonFirmware->click();
        QCOMPARE(dialogs, QStringList({"TFhaslo_nowe", "TFInfo", "TFboot"}));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }

    // Tab walks every enabled control once, the picture buttons, the matrix cells and the event list
    // among them, and Space presses what it reaches.
    void theKeyboardReachesEveryControl() {
        MaintRig rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.ButtonKonfig->click();
        rig.logIn();
        QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 400));
        // The port-opening notice took the activation with it when it closed.
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget* start = w.ButtonKonfig;
        start->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), start);
        QList<QWidget*> walk{start};
        for (int i = 0; i < 600; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* f = QApplication::focusWidget();
            if (f == start) break;
            walk << f;
        }
        QSet<QWidget*> once(walk.begin(), walk.end());
        QStringList order;
        for (QWidget* f : walk) order << (f ? f->objectName() : QStringLiteral("(none)"));
        QVERIFY2(once.size() == walk.size(), qPrintable(order.join(' ')));
        QStringList missing;
        for (QWidget* c : w.findChildren<QWidget*>()) {
            if (!c->isVisible() || !c->isEnabled() || !(c->focusPolicy() & Qt::TabFocus) || c->focusProxy()) continue;
            if (c->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<QScrollBar*>(c)) continue;
            if (!once.contains(c)) missing << c->objectName() + "(" + c->metaObject()->className() + ")";
        }
        if (!missing.isEmpty()) qDebug() << "walked:" << order;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" ")));
        for (QWidget* must : std::initializer_list<QWidget*>{w.Icon_get, w.Icon_put, w.SpeedButton1, w.SpeedButton2,
                                                             w.trm, w.Config->findChild<QCheckBox*>("BoxIN3T5"),
                                                             w.Config->SpinButton1->up, w.ButtonPobierz})
            QVERIFY2(once.contains(must), qPrintable(must->objectName()));
    }

    // Alt and the underlined letter open each menu; every entry has its letter too.
    void theMenusOpenWithAlt() {
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QList<QAction*> menus = w.menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        const Qt::Key keys[] = {Qt::Key_P, Qt::Key_D, Qt::Key_I};
        for (int i = 0; i < 3; ++i) {
            QMenu* menu = menus[i]->menu();
            QVERIFY2(QKeySequence::mnemonic(menu->title()) == QKeySequence(Qt::ALT | keys[i]), qPrintable(menu->title()));
            for (QAction* entry : menu->actions())
                QVERIFY2(!QKeySequence::mnemonic(entry->text()).isEmpty(), qPrintable(entry->text()));
            QTest::keyClick(&w, keys[i], Qt::AltModifier);
            QTRY_VERIFY2(menu->isVisible(), qPrintable(menu->title()));
            menu->close();
            QTRY_VERIFY(!menu->isVisible());
        }
    }

    // The version after the login reply, the live values after a status reply: each display's name says
    // what it shows, and follows each change. (That the change reaches a screen reader as an event is
    // checked over the real bridge, tests/atspi: offscreen, Qt delivers no accessibility events.)
    void valueDisplaysSayTheirValues() {
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        QCOMPARE(nameOf(w.TextWersja), QString("MX-4 v ..."));
        QCOMPARE(descriptionOf(w.TextWersja), QString("Wersja frimware w sterowniku ZUMA"));
        w.DispatchReply(1, QByteArray("T2"));
        QCOMPARE(w.TextWersja->text(), QString("MX-4 v 1.2"));
        QCOMPARE(nameOf(w.TextWersja), QString("MX-4 v 1.2"));

        w.DispatchReply(253, statusPayload(0x1F, 0x85, 18, 15, 7, 3, 0x0D));
        QCOMPARE(nameOf(w.LabelZd), QString("Zd: 5"));
        QCOMPARE(nameOf(w.StatusPanel), QString("Połączony z siecią GSM"));
        QCOMPARE(nameOf(w.Config->LabelSMS), QString("7 z, SMS wysłane dziś"));
        QCOMPARE(nameOf(w.Config->LabelVoice), QString("3 z, Połączenia głosowe dziś"));
        QCOMPARE(nameOf(w.Temp1), QString("Temp.: +23,2"));
        QCOMPARE(nameOf(w.Ubat), QString("Bateria: +13,1V"));
        QCOMPARE(nameOf(w.Uzs), QString("Zasilacz 5V: +4,9V"));
        QCOMPARE(nameOf(w.BarRSSI), QString("Syg. GSM: 15 z 20"));

        // The next reply changes the values, and the names follow.
        w.DispatchReply(253, statusPayload(0x00, 0x3F, 100, 99, 12, 0, 0x00));
        QCOMPARE(nameOf(w.LabelZd), QString("Zd: 63"));
        QCOMPARE(nameOf(w.StatusPanel), QString("RESET modemu GSM"));
        QCOMPARE(nameOf(w.Config->LabelSMS), QString("12 z, SMS wysłane dziś"));
        QCOMPARE(nameOf(w.BarRSSI), QString("Syg. GSM: 0 z 20"));

        // The progress figures: the event register download's gauge says its percentage.
        QCOMPARE(nameOf(w.TempBar), QString("Postęp pobierania rejestru: 0%"));
        w.TempBar->setRange(0, 64);
        w.TempBar->setValue(16);
        QCOMPARE(nameOf(w.TempBar), QString("Postęp pobierania rejestru: 25%"));

        // A display that shows nothing still has a name.
        w.HideLiveStatus();
        QCOMPARE(nameOf(w.Config->LabelSMS), QString("SMS wysłane dziś: brak danych"));
        w.DispatchReply(253, statusPayload(0, 0, 21, 0, 0, 0, 0));
        QCOMPARE(w.StatusPanel->text(), QString());
        QCOMPARE(nameOf(w.StatusPanel), QString("Modem GSM: brak danych"));
    }

    void stateDescriptionsFollowTheColours() {
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        // Hidden live status: no data.
        QCOMPARE(descriptionOf(w.PanelIN1), QString("Wejście 1; In1: brak danych"));
        QVERIFY(descriptionOf(w.Temp1).endsWith("; brak danych"));
        // Inputs and F on, outputs off.
        w.DispatchReply(253, statusPayload(0x1F, 0x85, 18, 15, 0, 0, 0x0D));
        QLabel* inputs[] = {w.PanelIN1, w.PanelIN2, w.PanelIN3, w.PanelIN4, w.PanelIN5};
        QLabel* outputs[] = {w.PanelPK, w.PanelOut2, w.PanelOut3, w.PanelOut4};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(descriptionOf(inputs[i]), QString("Wejście %1; In%1: aktywne").arg(i + 1));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(descriptionOf(outputs[i]), QString("Wyjście %1; Out%1: wyłączone").arg(i + 1));
        QCOMPARE(descriptionOf(w.PanelFab), QString("Flaga F; F: aktywne"));
        QCOMPARE(descriptionOf(w.Temp1), QString("Temperatura, °C; norma"));
        QCOMPARE(descriptionOf(w.Uzs), QString("Napięcie zasilacza 5V; norma"));
        QCOMPARE(descriptionOf(w.Ubat), QString("Napięcie baterii; norma"));
        // Inputs and F off, outputs on, temperature high, both voltages out of range.
        w.DispatchReply(253, statusPayload(0xE0, 0x40, 18, 15, 0, 0, 0x02));
        QCOMPARE(descriptionOf(w.PanelIN3), QString("Wejście 3; In3: nieaktywne"));
        QCOMPARE(descriptionOf(w.PanelFab), QString("Flaga F; F: nieaktywne"));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(descriptionOf(outputs[i]), QString("Wyjście %1; Out%1: załączone").arg(i + 1));
        QCOMPARE(descriptionOf(w.Temp1), QString("Temperatura, °C; wysoka"));
        QCOMPARE(descriptionOf(w.Uzs), QString("Napięcie zasilacza 5V; poza normą"));
        w.DispatchReply(253, statusPayload(0, 0, 18, 15, 0, 0, 0x03));
        QCOMPARE(descriptionOf(w.Temp1), QString("Temperatura, °C; niska"));
        w.HideLiveStatus();
        QCOMPARE(descriptionOf(w.PanelOut2), QString("Wyjście 2; Out2: brak danych"));
        QCOMPARE(descriptionOf(w.Temp1), QString("Temperatura, °C; brak danych"));
    }

    // A configuration control painted as changed says "zmienione" until it is read or written again.
    void changedConfigurationIsSaid() {
        WindowRig<FakePort> rig;
        ConfigArea& a = *rig.w().Config;
        QCOMPARE(descriptionOf(a.Edit_pin), QString("PIN karty SIM (4 cyfry)"));
        QCOMPARE(descriptionOf(a.Edit_Tel1), QString());
        a.Edit_Tel1->setText("+48601234567");
        a.Edit_pin->setText("4321");
        a.findChild<QCheckBox*>("BoxIN3T5")->setChecked(true);
        a.BoxOut2NC->setChecked(true);
        QCOMPARE(descriptionOf(a.Edit_Tel1), QString("zmienione"));
        QCOMPARE(descriptionOf(a.Edit_pin), QString("PIN karty SIM (4 cyfry); zmienione"));
        QCOMPARE(descriptionOf(a.findChild<QCheckBox*>("BoxIN3T5")), QString("zmienione"));
        QCOMPARE(descriptionOf(a.BoxOut2NC), QString("NC - zaznaczone; zmienione"));
        a.SpinButton1->up->click();
        QCOMPARE(nameOf(a.Edit_T1Max), QString("MAX: +9"));
        QVERIFY(descriptionOf(a.Edit_T1Max).startsWith("Próg MAX"));
        // Read or written: synchronised again, and no longer said to be changed.
        a.paintSynchronised(TextField::Edit_Tel1);
        a.paintSynchronised(TextField::Edit_pin);
        a.ResetMatrixColours();
        QCOMPARE(descriptionOf(a.Edit_Tel1), QString());
        QCOMPARE(descriptionOf(a.Edit_pin), QString("PIN karty SIM (4 cyfry)"));
        QCOMPARE(descriptionOf(a.findChild<QCheckBox*>("BoxIN3T5")), QString());
        QCOMPARE(descriptionOf(a.BoxOut2NC), QString("NC - zaznaczone; zmienione"));
    }

    // The firmware dialog: "Plik" is named "Plik", and the chosen file is said.
    void chosenFirmwareFileIsSaid() {
        MaintRig rig;
        const QString path = files.write("ok.nfr", imageFile(firmwareOf(132)));
        rig.people.fileAnswers.enqueue(path);
        QString before, after, button, buttonDescription;
        whenModal<TFboot>([&](TFboot* d) {
            before = nameOf(d->LabelNazwaPliku);
            button = nameOf(d->Button1);
            buttonDescription = descriptionOf(d->Button1);
            d->Button1->click();
            after = nameOf(d->LabelNazwaPliku);
            d->close();
        });
        rig.w().ButtonFirmware->click();
        QCOMPARE(before, QString("Nie wybrano pliku firmware"));
        QCOMPARE(button, QString("Plik"));
        QCOMPARE(buttonDescription, QString("Wybierz plik firmware"));
        QCOMPARE(after, QDir::toNativeSeparators(path));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
