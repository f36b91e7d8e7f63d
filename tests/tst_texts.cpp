// The program's own texts, as a person reads them: every caption, label, hint, menu entry, group title,
// dialog caption and message, each looked up on the control or in the box that shows it. The texts are
// written out here, not taken from the program, so a changed letter fails.

#include "app/AppStyle.h"
#include "app/PortDialogs.h"
#include "config/ConfigArea.h"
#include "config/ConfigFile.h"
#include "config/ConfigItems.h"
#include "config/ProgressDialog.h"
#include "config/WorkingBuffer.h"
#include "events/EventRegister.h"
#include "maintenance/BootDialog.h"
#include "maintenance/InfoDialog.h"
#include "maintenance/PasswordDialog.h"
#include "tst_maint_rig.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace maint;

namespace {
enum class Where {
    Text,     // the control's own text: label, button, field, group title, menu, menu entry, dialog caption
    Hint,     // the control's tool tip
    Inside,   // a label, button, group title or tab under the control carries exactly this text
    Entries,  // a selector's entries, joined by "|"
};

// The text a control shows.
QString shownText(QObject* o) {
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(o)) return e->text();
    if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
    // A menu's accelerator mark is not shown as such: it underlines the letter.
    if (auto* m = qobject_cast<QMenu*>(o)) return QString(m->title()).remove(QLatin1Char('&'));
    if (auto* a = qobject_cast<QAction*>(o)) return QString(a->text()).remove(QLatin1Char('&'));
    if (auto* c = qobject_cast<QComboBox*>(o)) return c->currentText();
    if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow()) {
        // A title bar shows the application's display name after the caption once one is set (it is
        // the application name until then); the offscreen platform leaves that out, so add it here.
        const QString display = QGuiApplication::applicationDisplayName();
        if (display != QCoreApplication::applicationName() && !w->windowTitle().endsWith(display))
            return w->windowTitle() + QStringLiteral(" \u2014 ") + display;
        return w->windowTitle();
    }
    return QStringLiteral("<no text on %1>").arg(QString::fromLatin1(o->metaObject()->className()));
}

// Every text shown under a control.
QStringList textsInside(QObject* o) {
    QStringList out;
    QList<QObject*> all = o->findChildren<QObject*>();
    all.prepend(o);
    for (QObject* c : all) {
        if (auto* l = qobject_cast<QLabel*>(c)) out << l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(c)) out << b->text();
        if (auto* g = qobject_cast<QGroupBox*>(c)) out << g->title();
        if (auto* t = qobject_cast<QTabWidget*>(c))
            for (int i = 0; i < t->count(); ++i) out << t->tabText(i);
    }
    return out;
}
}  // namespace

// Logged in, with the first status reply in: the transfer buttons are usable.
static void logInForTransfer(MaintRig& rig) {
    rig.logIn();
    rig.waitFor([&] { return rig.w().Icon_get->isEnabled(); }, 40);
    rig.waitFor([&] { return !rig.link().exchangeActive(); }, 20);
}

class TextsTest : public QObject {
    Q_OBJECT
    Files files;

private Q_SLOTS:
    // The application set up as the program sets itself up, so the window titles are the ones shown.
    void initTestCase() { applyAppStyle(*qApp); }

    void captions_data() {
        QTest::addColumn<QString>("path");  // object names from a window, "/" between levels
        QTest::addColumn<int>("where");
        QTest::addColumn<QString>("text");
        const int T = int(Where::Text), H = int(Where::Hint), I = int(Where::Inside), E = int(Where::Entries);
        struct Row {
            const char* path;
            int where;
            const char* text;
        };
        const Row rows[] = {
            {"TMain", T, "MX-4 Konfig v 1.02"},
            // The main window's communication panel.
            {"TMain/ButtonCom", T, "COM?"},
            {"TMain/PanelKomunikacji", I, "HASŁO"},
            {"TMain/Edit_haslo", H, "Hasło dostępu (4 cyfry)"},
            {"TMain/Button_polacz", T, "POŁĄCZ"},
            {"TMain/Button_rozlacz", T, "ROZŁĄCZ"},
            {"TMain/Edit_status", T, "ROZŁĄCZONY"},
            {"TMain/Edit_logon", T, "WYLOGOWANY"},
            {"TMain/Icon_get", H, "Odczytaj konfiguracje z ZUMA"},
            {"TMain/Icon_put", H, "Zapisz konfiguracje do ZUMA"},
            {"TMain/SpeedButton2", H, "Otwórz konfiguracje z pliku"},
            {"TMain/SpeedButton1", H, "Zapisz konfiguracje do pliku"},
            // Service commands and the version.
            {"TMain/GroupBox3", T, "Opcje MX-4"},
            {"TMain/Button_zmiana_hasla", T, "Zmiana hasła"},
            {"TMain/ButtonResetlimit", T, "Zeruj liczniki"},
            {"TMain/ButtonResetlimit", H, "Zeruje liczniki SMS i Voice"},
            {"TMain/ButtonZegar", T, "Ustaw Zegar"},
            {"TMain/ButtonRestart", T, "Restart MX-4"},
            {"TMain/ButtonFirmware", T, "Aktualizacja"},
            {"TMain/TextWersja", T, "MX-4 v ..."},
            {"TMain/TextWersja", H, "Wersja frimware w sterowniku ZUMA"},
            // Modem and live state.
            {"TMain/GroupBox7", T, "Modem GSM"},
            {"TMain/GroupBox7", I, "Syg. GSM:"},
            {"TMain/LabelZd", T, "Zd: 0"},
            {"TMain/LabelZd", H, "Ilość zdarzeń do obsługi"},
            {"TMain/GroupBox6", T, "Stan"},
            {"TMain/PanelIN1", T, "In1"},
            {"TMain/PanelIN2", T, "In2"},
            {"TMain/PanelIN3", T, "In3"},
            {"TMain/PanelIN4", T, "In4"},
            {"TMain/PanelIN5", T, "In5"},
            {"TMain/PanelFab", T, "F"},
            {"TMain/PanelPK", T, "Out1"},
            {"TMain/PanelOut2", T, "Out2"},
            {"TMain/PanelOut3", T, "Out3"},
            {"TMain/PanelOut4", T, "Out4"},
            {"TMain/GroupBox6", I, "Temp."},
            {"TMain/GroupBox6", I, "Bateria"},
            {"TMain/GroupBox6", I, "Zasilacz 5V"},
            {"TMain/ButtonKonfig", T, "Konfiguracja"},
            // Event register.
            {"TMain/GroupBox8", T, "Rejestr zdarzeń"},
            {"TMain/ButtonPobierz", T, "POBIERZ"},
            {"TMain/ButtonSTOP", T, "STOP"},
            {"TMain/ButtonKasuj", T, "KASUJ "},
            {"TMain/ButtonCLR", T, "CLR"},
            {"TMain/Button1", T, "Drukuj"},
            {"TMain/ButtonZapisz", T, "Zapisz do pliku"},
            {"TMain/ButtonWykres", T, "Wykres"},
            {"TMain/ButtonWykres", H, "Wykres temperatury z rejestru zdarzeń"},
            {"TMain/ButtonDodajDoArchiwum", T, "Dodaj do archiwum"},
            {"TMain/ButtonArchiwum", T, "Archiwum"},
            // The archive's window.
            {"TFormArchiwum", T, "Archiwum rejestru"},
            {"TFormArchiwum/ButtonNowe", T, "Nowe..."},
            {"TFormArchiwum/ButtonOtworz", T, "Otwórz..."},
            {"TFormArchiwum", I, "Obiekt:"},
            {"TFormArchiwum/ButtonDodaj", T, "Dodaj do archiwum"},
            {"TFormArchiwum/ButtonImportuj", T, "Importuj plik historii..."},
            {"TFormArchiwum", I, "Od"},
            {"TFormArchiwum", I, "Do"},
            {"TFormArchiwum/Button7dni", T, "7 dni"},
            {"TFormArchiwum/Button30dni", T, "30 dni"},
            {"TFormArchiwum/ButtonRok", T, "Rok"},
            {"TFormArchiwum/ButtonCalosc", T, "Całość"},
            {"TFormArchiwum", I, "MAX"},
            {"TFormArchiwum", I, "MIN"},
            {"TFormArchiwum/Zakladki", I, "Historia archiwum"},
            {"TFormArchiwum/ButtonZapiszCSV", T, "Zapisz CSV"},
            {"TFormArchiwum/ButtonDrukuj", T, "Drukuj"},
            {"TFormArchiwum/ButtonRaportPDF", T, "Raport PDF..."},
            // Menus.
            {"TMain/Plik1", T, "Plik"},
            {"TMain/Odczyt1", T, "Odczyt"},
            {"TMain/Zapis1", T, "Zapis"},
            {"TMain/Dane1", T, "Dane"},
            {"TMain/Pobierz1", T, "Odczyt"},
            {"TMain/Zapisz1", T, "Zapisz"},
            {"TMain/Info1", T, "Info"},
            {"TMain/Oprogramie1", T, "O programie"},
            // Configuration area: the five groups.
            {"TMain/BoxTelefony", T, "Numery telefonów"},
            {"TMain/BoxOpcjeWejsc", T, "Opcje wejść"},
            {"TMain/BoxOpcjeWyjsc", T, "Opcje wyjść"},
            {"TMain/BoxCzujnik", T, "Czujnik temperatury"},
            {"TMain/Boxwejscia", T, "Wejścia"},
            // Telephone numbers, operator, PIN, limits.
            {"TMain/Combo_operator", E, "ORANGE|T-MOBILE|PLUS|PLAY|inny"},
            {"TMain/Combo_operator", T, "ORANGE"},
            {"TMain/BoxTelefony", I, "Operator GSM"},
            {"TMain/BoxTelefony", I, "Centrum SMS"},
            {"TMain/Edit_operator", T, "+48501200777"},
            {"TMain/BoxTelefony", I, "PIN"},
            {"TMain/Edit_pin", H, "PIN karty SIM (4 cyfry)"},
            {"TMain/BoxTelefony", I, "Pytanie o stan:"},
            {"TMain/JakiStan", T, "?"},
            {"TMain/BoxTelefony", I, "Limit SMS:"},
            {"TMain/Edit_LimitSMS", H, "Dobowy limit SMS"},
            {"TMain/BoxTelefony", I, "Limit Voice:"},
            {"TMain/Edit_LimitVoice", H, "Dobowy limit połączeń głosowych"},
            // Before the window's start-up empties them with the rest of the live display.
            {"ConfigAreaAlone/LabelSMS", T, "0 z"},
            {"ConfigAreaAlone/LabelVoice", T, "0 z"},
            {"TMain/LabelSMS", H, "Ilość wykorzystanych SMS z limitu dobowego"},
            {"TMain/LabelVoice", H, "Ilość wykorzystanych połączeń głosowych z limitu dobowego"},
            // Input texts.
            {"TMain/Boxwejscia", I, "Wejście Załączone"},
            {"TMain/Boxwejscia", I, "Wejście Wyłączone"},
            {"TMain/Boxwejscia", I, "IN1"},
            {"TMain/Boxwejscia", I, "IN5"},
            {"TMain/Boxwejscia", I, "Bateria"},
            {"TMain/Boxwejscia", I, "Zasilanie"},
            // Temperature sensor.
            {"TMain/BoxCzujnik", I, "Wysoka"},
            {"TMain/BoxCzujnik", I, "Norma"},
            {"TMain/BoxCzujnik", I, "Niska"},
            {"TMain/BoxCzujnik", I, "MAX"},
            {"TMain/BoxCzujnik", I, "MIN"},
            {"TMain/BoxCzujnik", I, "Korekta"},
            {"TMain/BoxCzujnik", I, "Zapis"},
            {"TMain/Edit_T1Max", T, "+8"},
            {"TMain/Edit_T1Min", T, "+2"},
            {"TMain/Edit_T1Korekta", T, "+0,0"},
            {"TMain/TempZapisz", T, "60"},
            // Notification matrices and the automatic SMS.
            {"TMain/TabSMSVoice", I, "SMS"},
            {"TMain/TabSMSVoice", I, "Voice"},
            {"TMain/TabSheet1", I, "IN1"},
            {"TMain/TabSheet1", I, "T1"},
            {"TMain/TabSheet2", I, "BT"},
            {"TMain/TabSheet2", I, "ZS"},
            {"TMain/TabSheet1", I, "1"},
            {"TMain/TabSheet1", I, "8"},
            {"TMain/BoxAutoTest", T, "Automatyczny SMS na telefon nr.1"},
            {"TMain/BoxOpcjeWejsc", I, "h"},
            {"TMain/IleTest", T, "24"},
            // Outputs.
            {"TMain/GroupOUT1", T, "OUT1"},
            {"TMain/GroupOUT4", T, "OUT4"},
            {"TMain/GroupOUT2", I, "Zal"},
            {"TMain/GroupOUT2", I, "Wyl"},
            {"TMain/GroupOUT3", I, "T [s]"},
            {"TMain/GroupOUT3", I, "Temp. steruje"},
            {"TMain/BoxOut1NC", T, "NC"},
            {"TMain/BoxOut1NC", H, "NC - zaznaczone"},
            {"TMain/BoxOut4Mono", T, "M/B"},
            {"TMain/BoxOut4Mono", H, "Monostabilny - zaznaczony"},
            {"TMain/Out1Czas", T, "5"},
            {"TMain/Out1Czas", H, "Czas aktywności wyjścia PK w trybie monostabilnym"},
            {"TMain/Out2Czas", H, "Czas aktywności wyjścia OUT2 w trybie monostabilnym"},
            {"TMain/Out3Czas", H, "Czas aktywności wyjścia OUT3 w trybie monostabilnym"},
            {"TMain/Out4Czas", H, "Czas aktywności wyjścia OUT4 w trybie monostabilnym"},
            {"TMain/ComboOut1", E, "Brak|T MIN|T MAX|T ALR"},
            {"TMain/ComboOut4", T, "Brak"},
            {"TMain/BoxPotw", T, "Wyślij potwierdzenie"},
            {"TMain/BoxPotw", H, "Czy wysłać SMS z potwierdzeniem wykonania operacji na wyjściach"},
            {"TMain/EditPotw", T, "OK"},
            {"TMain/EditPotw", H, "Treść SMSa potwierdzającego wykonania operacji na wyjściach"},
            // Dialogs.
            {"TFormJakieCOM", T, "Porty COM"},
            {"TFormJakieCOM", I, "Dostępne porty COM w systemie"},
            {"TFormJakieCOM/Button1", T, "Odświerz"},
            {"TFormJakieCOM/ButtonSzukaj", T, "Szukaj MX-4"},
            {"TFormJakieCOM/ButtonPrzerwij", T, "Przerwij"},
            {"TFormCom", T, ""},
            {"TFormCom/Label1", T, "Trwa otwieranie portu COM"},
            {"TFboot", T, "Bootloader"},
            {"TFboot/Label1", T, "Aktualizacja frimware"},
            {"TFboot/Button1", T, "Plik"},
            {"TFboot/ButtonStart", T, "START"},
            {"TFhaslo_nowe", T, "Fhaslo_nowe"},
            {"TFhaslo_nowe/Label1", T, "Nowe haslo :"},
            {"TFhaslo_nowe/Button1", T, "Zapisz"},
            {"TFhaslo_nowe/Button2", T, "Anuluj"},
            {"TFInfo", T, "Info"},
            {"TFInfo/Label1", T, "Konfigurator MX-4 v1.02"},
            {"TFInfo/Button1", T, "OK"},
        };
        for (const Row& r : rows) {
            static const char* kinds[] = {"text", "hint", "inside", "entries"};
            QTest::addRow("%s %s \"%s\"", r.path, kinds[r.where], r.text)
                << QString::fromLatin1(r.path) << r.where << QString::fromUtf8(r.text);
        }
        Q_UNUSED(T);
    }

    void captions() {
        QFETCH(QString, path);
        QFETCH(int, where);
        QFETCH(QString, text);
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        // The dialogs made afresh each time they open.
        auto* password = new TFhaslo_nowe(w.maintenance, &w);
        auto* info = new TFInfo(&w);
        auto* boot = new TFboot(w.maintenance, &w);
        w.ButtonArchiwumClick();
        ConfigArea alone;
        alone.setObjectName(QStringLiteral("ConfigAreaAlone"));

        const QStringList levels = path.split(QLatin1Char('/'));
        QObject* o = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == levels.first()) o = top;
        if (!o) o = w.findChild<QObject*>(levels.first());
        for (const QString& name : levels.mid(1)) o = o ? o->findChild<QObject*>(name) : nullptr;
        QVERIFY2(o, qPrintable(QStringLiteral("no %1").arg(path)));

        switch (Where(where)) {
        case Where::Text:
            QCOMPARE(shownText(o), text);
            break;
        case Where::Hint: {
            auto* widget = qobject_cast<QWidget*>(o);
            QVERIFY(widget);
            QCOMPARE(widget->toolTip(), text);
            break;
        }
        case Where::Inside:
            QVERIFY2(textsInside(o).contains(text), qPrintable(textsInside(o).join(" | ")));
            break;
        case Where::Entries: {
            auto* combo = qobject_cast<QComboBox*>(o);
            QVERIFY(combo);
            QStringList entries;
            for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
            QCOMPARE(entries.join(QLatin1Char('|')), text);
            break;
        }
        }
        delete password;
        delete info;
        delete boot;
    }

    // The modem state texts in the status bar's panel.
    void modemStates_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        const struct {
            int from, to;
            const char* text;
        } table[] = {{0, 0, "Modem GSM wylaczony"},      {1, 2, "Załączenie modemu GSM"},
                     {3, 6, "Wykrywanie modemu GSM"},    {7, 8, "Sprawdzenie karty SIM"},
                     {9, 10, "Wprowadzanie PIN"},        {11, 11, "Logowanie do sieci GSM"},
                     {12, 12, "Kasowanie SMS"},          {13, 14, "Konfiguracja SMS"},
                     {15, 16, "Zapis SMSC"},             {17, 17, "Odczyt poziomu RSSI"},
                     {18, 20, "Połączony z siecią GSM"}, {100, 100, "RESET modemu GSM"},
                     {21, 21, ""},                       {99, 99, ""}};
        for (const auto& row : table)
            for (int s = row.from; s <= row.to; ++s) QTest::addRow("%d", s) << s << QString::fromUtf8(row.text);
    }
    void modemStates() {
        QFETCH(int, state);
        QFETCH(QString, text);
        WindowRig<FakePort> rig;
        QByteArray status(13, '\0');
        status[1] = char(5);
        status[2] = char(state);
        status[4] = char(3);
        status[5] = char(1);
        rig.w().StatusPanel->setText(QStringLiteral("before"));
        rig.w().DispatchReply(253, status);
        QCOMPARE(rig.w().StatusPanel->text(), text);
        QCOMPARE(rig.w().LabelZd->text(), QString("Zd: 5"));
        QCOMPARE(rig.w().Config->LabelSMS->text(), QString("3 z"));
        QCOMPARE(rig.w().Config->LabelVoice->text(), QString("1 z"));
    }

    // Every message box, of its kind, in the situation that shows it.
    void messages_data() {
        QTest::addColumn<int>("situation");
        QTest::addColumn<QString>("box");
        const char* boxes[] = {
            "error: Brak odpowiedzi z MX-4",
            "error: Błędne hasło",
            "information: Wylogowano ze MX-4",
            "error: Unable to open com port (Error: 2)",
            "error: Zly format pliku",
            "error: Bląd CRC pliku konfiguracji",
            "information: Odczytano plik konfiguracji",
            "plain: Port COM niedostępny",
            "error: Nie zapisano",
            "information: Zapisano plik historii",
            "error: Błąd zapisu",
            "ask (Nie): Czy skasować rejestr zdarzeń ?",
            "information: Rejestr zdarzeń skasowany",
            "information: Ustawiono zegar w MX-4",
            "information: Hasło zmienione",
            "warning: NIE WYŁĄCZAJ MX-4 Z ZASILANIA",
            "information: Aktualizacja zakonczona",
            "error: Brak odpowiedzi z MX-4, aktualizacja nieudana",
            "progress: Pobieram konfiguracje sterownika",
            "progress: Wysyłam konfiguracje do nadajnika",
        };
        for (int i = 0; i < int(sizeof boxes / sizeof *boxes); ++i)
            QTest::newRow(boxes[i]) << i << QString::fromUtf8(boxes[i]);
    }
    void messages() {
        QFETCH(int, situation);
        QFETCH(QString, box);
        MaintRig rig;
        TMain& w = rig.w();
        rig.recorder.fillRegister(5, 3);
        const QByteArray goodFile = BuildConfigFile(ConfigValues::defaults(), "1234");
        // What the progress notice said while a transfer ran.
        QStringList progress;
        QObject::connect(&rig.recorder, &Recorder::frameReceived, &rig.wire, [&](quint8, const QByteArray&) {
            if (auto* p = w.findChild<TFormProgres*>(); p && p->isVisible())
                if (!progress.contains(p->Label_Bar->text())) progress << p->Label_Bar->text();
        });
        auto firmware = [&](bool silentAfterStart) {
            rig.people.fileAnswers.enqueue(files.write("fw.nfr", imageFile(firmwareOf(300))));
            whenModal<TFboot>([&](TFboot* d) {
                QPointer<TFboot> dialog(d);
                d->Button1->click();
                if (silentAfterStart) rig.recorder.faults().silentAfterFrames = 3;
                d->ButtonStart->click();
                if (dialog && dialog->isVisible()) dialog->close();
            });
            w.ButtonFirmware->click();
        };
        switch (situation) {
        case 0: rig.recorder.faults().silent = true; w.Button_polacz->click(); break;
        case 1: w.Edit_haslo->setText("1111"); rig.recorder.faults().login = SimFaults::Login::Wrong; w.Button_polacz->click(); break;
        case 2: rig.logIn(); w.Button_rozlacz->click(); break;
        case 3: rig.wire.unplug(); w.Button_polacz->click(); break;
        case 4: rig.people.fileAnswers.enqueue(files.write("a.ncf", "xyzab")); w.SpeedButton2->click(); break;
        case 5: {
            QByteArray bad = goodFile;
            bad[5] = char(bad[5] ^ 1);
            rig.people.fileAnswers.enqueue(files.write("b.ncf", bad));
            w.SpeedButton2->click();
            break;
        }
        case 6: rig.people.fileAnswers.enqueue(files.write("c.ncf", goodFile)); w.SpeedButton2->click(); break;
        case 7:
            w.Config->setText(TextField::TempZapisz, "x");
            rig.people.fileAnswers.enqueue(files.dir.filePath("d.ncf"));
            w.SpeedButton1->click();
            break;
        case 8: w.eventRegister->list().append(" a", Qt::black); w.ButtonZapisz->click(); break;
        case 9:
            w.eventRegister->list().append(" a", Qt::black);
            rig.people.fileAnswers.enqueue(files.dir.filePath("h.txt"));
            w.ButtonZapisz->click();
            break;
        case 10:
            w.eventRegister->list().append(" a", Qt::black);
            rig.people.fileAnswers.enqueue(files.dir.path());
            w.ButtonZapisz->click();
            break;
        case 11:
        case 12: rig.logIn(); rig.people.yesNoAnswers.enqueue(true); w.ButtonKasuj->click(); break;
        case 13: rig.logIn(); w.ButtonZegar->click(); break;
        case 14:
            rig.logIn();
            whenModal<TFhaslo_nowe>([&](TFhaslo_nowe* d) {
                d->Edit_haslo_nowe->setText("5678");
                d->Button1->click();
            });
            w.Button_zmiana_hasla->click();
            break;
        case 15:
        case 16: firmware(false); break;
        case 17: firmware(true); break;
        case 18: logInForTransfer(rig); w.Icon_get->click(); rig.people.shown << progress.replaceInStrings(QRegularExpression("^"), "progress: "); break;
        case 19: logInForTransfer(rig); w.Icon_put->click(); rig.people.shown << progress.replaceInStrings(QRegularExpression("^"), "progress: "); break;
        }
        QVERIFY2(rig.people.shown.contains(box), qPrintable(rig.people.shown.join(" | ")));
    }
};

QTEST_MAIN(TextsTest)
#include "tst_texts.moc"
