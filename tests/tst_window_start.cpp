// The main window at start, its port list, the error hook, and Qt's own texts in Polish.

#include "app/AppStyle.h"
#include "app/PortDialogs.h"
#include "config/ConfigArea.h"
#include "config/Palette.h"
#include "support/FakePort.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using Rig = WindowRig<FakePort>;

static QVector<PortEntry> ports(const QStringList& names) {
    QVector<PortEntry> v;
    for (const QString& n : names) v.append({n, QStringLiteral("\\Device\\") + n});
    return v;
}

class WindowStartTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startState() {
        Rig rig;
        TMain& w = rig.w();
        QCOMPARE(w.windowTitle(), QString("MX-4 Konfig v 1.02"));
        QCOMPARE(w.Edit_status->text(), QString("ROZŁĄCZONY"));
        QCOMPARE(backgroundOf(w.Edit_status), Colour::Red);
        QCOMPARE(w.Edit_logon->text(), QString("WYLOGOWANY"));
        QCOMPARE(backgroundOf(w.Edit_logon), Colour::Red);
        QCOMPARE(w.TextWersja->text(), QString("MX-4 v ..."));
        QCOMPARE(textColourOf(w.TextWersja), Colour::Grey);
        QVERIFY(w.Button_polacz->isEnabled());
        QVERIFY(!w.Button_rozlacz->isEnabled());
        // Usable at start: COM?, the port list, the password, POŁĄCZ, Aktualizacja, Konfiguracja,
        // Drukuj, the two file buttons, the menus Plik and Info.
        for (QWidget* on : std::initializer_list<QWidget*>{w.ButtonCom, w.ComCombo, w.Edit_haslo, w.ButtonFirmware,
                                                           w.ButtonKonfig, w.Button1, w.SpeedButton1,
                                                           w.SpeedButton2})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        for (QWidget* off : std::initializer_list<QWidget*>{w.Button_zmiana_hasla, w.ButtonRestart,
                                                            w.ButtonResetlimit, w.ButtonZegar, w.ButtonPobierz,
                                                            w.ButtonSTOP, w.ButtonKasuj, w.Icon_get, w.Icon_put})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        QVERIFY(w.Odczyt1->isEnabled() && w.Zapis1->isEnabled() && w.Oprogramie1->isEnabled());
        QVERIFY(!w.Pobierz1->isEnabled() && !w.Zapisz1->isEnabled());
        QVERIFY(w.StatusBar->isHidden());
        QVERIFY(!w.Config->boxesVisible());
        QVERIFY(w.link()->timer()->isActive());
        QVERIFY(!rig.port.Connected());
    }

    void portsKeepTheirOrderAndTheFirstIsChosen() {
        Rig rig(ports({"COM3", "COM1", "COM4"}));
        TMain& w = rig.w();
        QCOMPARE(w.ComCombo->count(), 3);
        QCOMPARE(w.ComCombo->itemText(0), QString("COM3"));
        QCOMPARE(w.ComCombo->itemText(1), QString("COM1"));
        QCOMPARE(w.ComCombo->currentIndex(), 0);
        QCOMPARE(rig.port.portName(), QString("COM3"));
        QVERIFY(w.Button_polacz->isEnabled());

        // Picking another entry sets the port name; COM? sets the choice back to the first entry and
        // fills the dialog's two memos side by side.
        w.ComCombo->setCurrentIndex(2);
        Q_EMIT w.ComCombo->activated(2);
        QCOMPARE(rig.port.portName(), QString("COM4"));
        w.ButtonCom->click();
        QCOMPARE(w.ComCombo->currentIndex(), 0);
        QCOMPARE(rig.port.portName(), QString("COM3"));
        QVERIFY(w.FormJakieCOM->isVisible());
        QCOMPARE(w.FormJakieCOM->PortyCom->toPlainText(), QString("COM3\nCOM1\nCOM4"));
        QCOMPARE(w.FormJakieCOM->DevCom->toPlainText(), QString("\\Device\\COM3\n\\Device\\COM1\n\\Device\\COM4"));
        // Odświerz does the same.
        rig.catalog.setPorts(ports({"COM7"}));
        w.FormJakieCOM->Button1->click();
        QCOMPARE(w.FormJakieCOM->PortyCom->toPlainText(), QString("COM7"));
        QCOMPARE(rig.port.portName(), QString("COM7"));
    }

    void systemPortsAreOrderedAdaptersFirst() {
        QVector<PortEntry> list = {{"ttyS10", "/dev/ttyS10", false}, {"ttyUSB1", "/dev/ttyUSB1", true},
                                   {"ttyS2", "/dev/ttyS2", false},   {"ttyACM0", "/dev/ttyACM0", true},
                                   {"ttyUSB0", "/dev/ttyUSB0", true}, {"COM10", "\\\\.\\COM10", false},
                                   {"COM9", "\\\\.\\COM9", false}};
        sortPorts(list);
        QStringList names;
        for (const PortEntry& p : list) names.append(p.portName);
        QCOMPARE(names, (QStringList{"ttyACM0", "ttyUSB0", "ttyUSB1", "COM9", "COM10", "ttyS2", "ttyS10"}));
        // The same list in another order sorts the same.
        std::reverse(list.begin(), list.end());
        sortPorts(list);
        QStringList again;
        for (const PortEntry& p : list) again.append(p.portName);
        QCOMPARE(again, names);
    }

    void noPortsLeavesConnectDisabled() {
        Rig rig(ports({}));
        TMain& w = rig.w();
        QCOMPARE(w.ComCombo->count(), 0);
        QVERIFY(!w.Button_polacz->isEnabled());
        w.ButtonCom->click();
        QVERIFY(w.FormJakieCOM->PortyCom->toPlainText().isEmpty());
        QVERIFY(w.FormJakieCOM->DevCom->toPlainText().isEmpty());
        QVERIFY(!w.Button_polacz->isEnabled());
    }

    void refreshWhileOpenKeepsThePort() {
        Rig rig(ports({"COM1", "COM2"}));
        TMain& w = rig.w();
        w.ComCombo->setCurrentIndex(1);
        Q_EMIT w.ComCombo->activated(1);
        rig.port.OpenPort();
        w.openSelectedPort();
        rig.catalog.setPorts(ports({"COM1", "COM2", "COM9"}));
        w.ButtonCom->click();
        QVERIFY(rig.port.Connected());
        QCOMPARE(rig.port.portName(), QString("COM2"));
        QCOMPARE(w.ComCombo->currentText(), QString("COM2"));
        QCOMPARE(w.FormJakieCOM->PortyCom->toPlainText(), QString("COM1\nCOM2\nCOM9"));
        QCOMPARE(w.Edit_status->text(), QString("POŁĄCZONY"));
    }

    void leavingThePortListWithoutAChoiceDisablesConnect() {
        Rig rig(ports({"COM1"}));
        rig.w().ComCombo->setCurrentIndex(-1);
        rig.w().ComComboExit();
        QVERIFY(!rig.w().Button_polacz->isEnabled());
    }

    void openFailureGoesToTheErrorHook() {
        Rig rig;
        rig.port.openFails = true;
        rig.w().Button_polacz->click();
        QCOMPARE(rig.people.shown, QStringList{"error: Unable to open com port (Error: 2)"});
        QVERIFY(rig.w().Button_polacz->isEnabled());
        QVERIFY(!rig.w().FormCom->isVisible());
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
        QVERIFY(rig.w().ComCombo->isEnabled());
    }

    // A port refused for lack of permission says what to do on a second line, with the user's name.
    void openFailureSaysWhatToDo_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("absent") << 2 << "error: Unable to open com port (Error: 2)";
        QTest::newRow("in use") << 16 << "error: Unable to open com port (Error: 16)";
#ifdef Q_OS_LINUX
        QTest::newRow("no permission") << 13
                                       << "error: Unable to open com port (Error: 13)\nBrak uprawnień do portu. Dodaj "
                                          "użytkownika do grupy dialout: sudo usermod -aG dialout technik i zaloguj się "
                                          "ponownie.";
#endif
    }
    void openFailureSaysWhatToDo() {
        QFETCH(int, code);
        QFETCH(QString, shown);
        const QByteArray user = qgetenv("USER");
        qputenv("USER", "technik");
        const auto restore = qScopeGuard([&] { qputenv("USER", user); });
        Rig rig;
        rig.port.openFails = true;
        rig.port.openError = code;
        rig.w().Button_polacz->click();
        QCOMPARE(rig.people.shown, QStringList{shown});
        QVERIFY(rig.w().Button_polacz->isEnabled());
    }

    // The device column: the device and what the system knows of it; the list keeps the names. Esc
    // closes the dialog.
    void portsDialogSaysWhatEachPortIs() {
        QVector<PortEntry> list{{"ttyUSB0", "/dev/ttyUSB0", true}, {"ttyACM0", "/dev/ttyACM0", true},
                                {"ttyS0", "/dev/ttyS0", false}};
        list[0].description = "FT232R USB UART";
        list[0].manufacturer = "FTDI";
        list[0].vendorId = 0x0403;
        list[0].productId = 0x6001;
        list[0].serialNumber = "A50285BI";
        list[1].vendorId = 0x2341;
        Rig rig(list);
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.ButtonCom->click();
        QCOMPARE(w.FormJakieCOM->PortyCom->toPlainText(), QString("ttyUSB0\nttyACM0\nttyS0"));
        QCOMPARE(w.FormJakieCOM->DevCom->toPlainText(),
                 QString("/dev/ttyUSB0 — FT232R USB UART (FTDI, 0403:6001, A50285BI)\n/dev/ttyACM0 — (2341)\n/dev/ttyS0"));
        QCOMPARE(w.ComCombo->itemText(0), QString("ttyUSB0"));
        QVERIFY(QTest::qWaitForWindowActive(w.FormJakieCOM));
        QTest::keyClick(w.FormJakieCOM->focusWidget() ? w.FormJakieCOM->focusWidget() : w.FormJakieCOM, Qt::Key_Escape);
        QVERIFY(!w.FormJakieCOM->isVisible());
        QVERIFY(w.isVisible());
    }

    void errorHookFullStopRuleAndConversionErrors() {
        Rig rig;
        rig.w().Button_polacz->setEnabled(false);
        rig.w().HandleException(PortError("Port Not Open"));
        rig.w().HandleException(ConversionError("'x' is not a valid integer value"));
        rig.w().HandleException(AppError("ends with a dot."));
        QCOMPARE(rig.people.shown, (QStringList{"error: Port Not Open.", "error: 'x' is not a valid integer value.",
                                                "beep", "plain: Port COM niedostępny", "error: ends with a dot."}));
        QVERIFY(rig.w().Button_polacz->isEnabled());
    }

    void configurationAreaToggles() {
        Rig rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int narrow = w.width();
        w.ButtonKonfig->click();
        QVERIFY(w.Config->boxesVisible());
        for (QGroupBox* b : {w.Config->BoxTelefony, w.Config->Boxwejscia, w.Config->BoxOpcjeWejsc,
                             w.Config->BoxOpcjeWyjsc, w.Config->BoxCzujnik})
            QVERIFY(b->isVisible());
        QTRY_VERIFY(w.width() > narrow);
        w.ButtonKonfig->click();
        for (QGroupBox* b : {w.Config->BoxTelefony, w.Config->Boxwejscia, w.Config->BoxOpcjeWejsc,
                             w.Config->BoxOpcjeWyjsc, w.Config->BoxCzujnik})
            QVERIFY(!b->isVisible());
        QTRY_COMPARE(w.width(), narrow);
    }

    // Qt's own texts read Polish whatever the system's language, and its date fields the Polish way;
    // without the translations the program goes on in English.
    void qtTextsInPolish() {
        const QLocale before;
        const auto restore = qScopeGuard([&] {
            qDeleteAll(qApp->findChildren<QTranslator*>());
            QLocale::setDefault(before);
        });
        const auto cancel = [] { return QDialogButtonBox(QDialogButtonBox::Cancel).buttons().constFirst()->text(); };
        QTemporaryDir empty;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("qtbase_pl.*not found"));
        QVERIFY(!installPolishTranslations(*qApp, empty.path()));
        QVERIFY(cancel().contains("Cancel"));
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_pl.qm"))
            QSKIP("Qt's Polish translations are not installed (scripts/deps.sh installs them)");
        QVERIFY(installPolishTranslations(*qApp));
        QCOMPARE(cancel(), QString("Anuluj"));
        QCOMPARE(QDateEdit(QDate(2024, 3, 5)).text(), QString("5.03.2024"));
    }

    void closingWhileLoggedInClosesThePortWithoutLogout() {
        Rig rig;
        rig.port.OpenPort();
        rig.w().openSelectedPort();
        rig.w().EnterLoggedIn();
        rig.w().close();
        QVERIFY(!rig.port.Connected());
        QVERIFY(rig.port.written.isEmpty());
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
    }

    // An error that reaches the hook while the program shuts down ends it; the same error at any other
    // time leaves it running. Runs the application's own event loop, so it comes last.
    void anErrorDuringShutdownEndsTheProgram() {
        Rig rig;
        auto runWithError = [&](bool closing) {
            QTimer::singleShot(0, rig.window.get(), [&, closing] {
                shuttingDown = closing;
                reportError(FileError(QStringLiteral("Nie można utworzyć pliku")));
                // Runs only when nothing asked the program to end.
                QTimer::singleShot(0, [] { QCoreApplication::exit(7); });
            });
            return QCoreApplication::exec();
        };
        QCOMPARE(runWithError(false), 7);
        QCOMPARE(runWithError(true), 0);
        shuttingDown = false;
        QCOMPARE(rig.people.shown, (QStringList{"error: Nie można utworzyć pliku.", "error: Nie można utworzyć pliku."}));
    }
};

QTEST_MAIN(WindowStartTest)
#include "tst_window_start.moc"
