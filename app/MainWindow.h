#pragma once
// The main window: every function of the program is reached from here.

#include "app/ControlTable.h"
#include "config/SaveDialogState.h"
#include "link/Shell.h"

#include "link/PortCatalog.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <functional>

class AppError;
struct ArchiveSource;
class ConfigArea;
class Link;
class People;
class PortSearch;
class PortWatcher;
class SerialPort;
class TFormCom;
class TFormJakieCOM;
class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTextEdit;
class QToolButton;

// What the window is built on: the port, the list of ports, the people seam and the tick.
struct AppDeps {
    SerialPort* port = nullptr;
    PortCatalog* catalog = nullptr;
    People* people = nullptr;
    int tickMs = 100;
};

class TMain : public QMainWindow, public Shell {
    Q_OBJECT
public:
    explicit TMain(const AppDeps& deps, QWidget* parent = nullptr);
    ~TMain() override;

    // ---- Top panel
    QFrame* PanelKomunikacji = nullptr;
    QPushButton* ButtonCom = nullptr;  // "COM?"
    QComboBox* ComCombo = nullptr;
    QLineEdit* Edit_haslo = nullptr;
    QPushButton* Button_polacz = nullptr;
    QPushButton* Button_rozlacz = nullptr;
    QLineEdit* Edit_status = nullptr;
    QLineEdit* Edit_logon = nullptr;
    QToolButton* Icon_get = nullptr;
    QToolButton* Icon_put = nullptr;
    QToolButton* SpeedButton2 = nullptr;  // open a configuration file
    QToolButton* SpeedButton1 = nullptr;  // save a configuration file

    // ---- "Opcje MX-4"
    QGroupBox* GroupBox3 = nullptr;
    QPushButton* Button_zmiana_hasla = nullptr;
    QPushButton* ButtonResetlimit = nullptr;
    QPushButton* ButtonZegar = nullptr;
    QPushButton* ButtonRestart = nullptr;
    QPushButton* ButtonFirmware = nullptr;
    QLabel* TextWersja = nullptr;

    // ---- "Modem GSM"
    QGroupBox* GroupBox7 = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusPanel = nullptr;  // the status bar's one panel
    QProgressBar* BarRSSI = nullptr;
    QLabel* LabelZd = nullptr;

    // ---- "Stan"
    QGroupBox* GroupBox6 = nullptr;
    QLabel* PanelIN1 = nullptr;
    QLabel* PanelIN2 = nullptr;
    QLabel* PanelIN3 = nullptr;
    QLabel* PanelIN4 = nullptr;
    QLabel* PanelIN5 = nullptr;
    QLabel* PanelFab = nullptr;
    QLabel* PanelPK = nullptr;
    QLabel* PanelOut2 = nullptr;
    QLabel* PanelOut3 = nullptr;
    QLabel* PanelOut4 = nullptr;
    QLineEdit* Temp1 = nullptr;
    QLineEdit* Ubat = nullptr;
    QLineEdit* Uzs = nullptr;

    QPushButton* ButtonKonfig = nullptr;

    // ---- "Rejestr zdarzeń"
    QGroupBox* GroupBox8 = nullptr;
    QPushButton* ButtonPobierz = nullptr;
    QPushButton* ButtonSTOP = nullptr;
    QProgressBar* TempBar = nullptr;
    QPushButton* ButtonKasuj = nullptr;
    QPushButton* ButtonCLR = nullptr;
    QPushButton* Button1 = nullptr;  // "Drukuj"
    QPushButton* ButtonZapisz = nullptr;
    QPushButton* ButtonWykres = nullptr;
    QPushButton* ButtonDodajDoArchiwum = nullptr;
    QPushButton* ButtonArchiwum = nullptr;
    QTextEdit* trm = nullptr;

    // ---- Configuration area
    ConfigArea* Config = nullptr;

    // ---- Menu
    QAction* Odczyt1 = nullptr;
    QAction* Zapis1 = nullptr;
    QAction* Pobierz1 = nullptr;
    QAction* Zapisz1 = nullptr;
    QAction* Porownaj1 = nullptr;
    QAction* PorownajPlik1 = nullptr;
    QAction* Oprogramie1 = nullptr;

    // ---- Dialogs that live as long as the window
    TFormCom* FormCom = nullptr;
    TFormJakieCOM* FormJakieCOM = nullptr;

    // The save dialog the configuration and event text saves share.
    SaveDialogState saveDialog;

    // ---- Subsystems, each wired to the window in its own file
    class ConfigTransfer* configTransfer = nullptr;  // MainWindowConfig.cpp
    class EventRegister* eventRegister = nullptr;    // MainWindowEvents.cpp
    class Maintenance* maintenance = nullptr;        // MainWindowMaintenance.cpp
    class ArchiveAdding* archiveAdding = nullptr;    // MainWindowArchive.cpp
    // "Archiwum rejestru", once "Archiwum" has opened it.
    class TFormArchiwum* FormArchiwum = nullptr;


    Link* link() const { return link_; }
    SerialPort* ComPort() const { return port_; }
    People* people() const { return people_; }

    // The two lists that port discovery fills, entry i of both from the same port.
    QStringList portNames;
    QStringList deviceNames;

    // ---- Shell
    void DispatchReply(quint8 code, const QByteArray& payload) override;
    void DropConnection() override;
    void EnterLoggedIn() override;
    void EnterLoggedOut() override;
    void ShowLiveStatus() override;
    void HideLiveStatus() override;
    void openSelectedPort() override;
    QWidget* dialogParent() override { return this; }
    void refreshControls() override { applyControlTable(); }
    void armTransferButtons() override;

    // ---- The one interaction state
    ActivityState& activity();
    // What the control table looks at, now.
    Situation situation() const;
    // Sets every control of the table as its row says for the situation now.
    void applyControlTable();
    // The window's object for a control of the table.
    QObject* controlObject(Control c) const { return controls_[int(c)]; }

    // ---- Connection and login
    void Button_polaczClick();
    void Button_rozlaczClick();
    // ---- Ports
    void ListSerialPorts();
    void RefreshPortList();
    void ComComboChange(int index);
    void ComComboExit();
    void ShowPortsDialog();
    // A look-up of the system's ports has come back: while the list is watched it follows them (the
    // choice kept while its port exists, else a port that has just appeared, else the first); an open
    // port that has left them is closed.
    void portsListed(const QVector<PortEntry>& ports);
    // "Szukaj MX-4": each listed port asked for a recorder with the password typed; the first port where
    // one answered is chosen. Runs in its own activity; "Przerwij" or closing "Porty COM" ends it.
    void ButtonSzukajClick();
    PortSearch* portSearch() const { return portSearch_; }
    // What the search said of each port, by port name, until the next search.
    QString verdictOf(const QString& portName) const { return verdicts_.value(portName); }
    // ---- The register archive
    // "Dodaj do archiwum": the register in the list into an archive chosen or created.
    void ButtonDodajDoArchiwumClick();
    // "Archiwum": the window "Archiwum rejestru", the archive last used in this run open in it.
    void ButtonArchiwumClick();
    // The register in the list as an archive's source: its records, how whole it is, the recorder's version.
    ArchiveSource downloadedRegister() const;
    // ---- Shell of the application
    void ButtonKonfigClick();
    void HandleException(const AppError& error);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildTopPanel();
    void buildOptionsAndModem(QWidget* parent, class QHBoxLayout* row);
    void buildStatePanel();
    void buildEventPanel();
    void buildMenu();
    void wireControls();
    void FormCreate();
    void FormClose();
    // After the configuration area widened the window from its left edge: moved left and up as far as
    // needed to lie within its screen's available area.
    void keepOnScreen();
    // A read or a loaded file replaces the configuration shown, and closing the window drops it: when
    // fields are marked as changed the person is asked first ("Nie" preselected). True to go on.
    bool changesMayGo();
    void showPortOpen();
    void showPortClosed();
    void onPortLost(const QString& message);
    // Once a second: the system's ports looked up off this thread, for the list while it is watched, or
    // for the open port (checkPortPresent).
    void lookUpPorts();
    // A port that has left the system's list is closed.
    void checkPortPresent(const QVector<PortEntry>& ports);
    // The list follows a new set of ports.
    void followPorts(const QVector<PortEntry>& ports);
    // ComCombo and the two lists from `ports`; nothing chosen.
    void setPortList(const QVector<PortEntry>& ports);
    // "Porty COM" shows the list: names, devices with what the system knows, the search's verdicts.
    void fillPortsDialog();
    // The branches of DispatchReply.
    void showVersion(const QByteArray& payload);
    void showStatus(const QByteArray& payload);
    void configReply(quint8 code, const QByteArray& payload);
    void eventReply(quint8 code, const QByteArray& payload);
    // Each subsystem creates its dialogs and connects its controls.
    void wireMaintenance();
    void wireConfig();
    void wireEvents();
    void wireArchive();
    // Starts a command that talks to the recorder from `control`: only when the control is usable now,
    // in its own activity `a`, after the status exchange on the line, errors to the hook; the activity
    // settles when the command returns (a download moves on by itself).
    void runCommand(Control control, Activity a, const std::function<void()>& handler);
    // Runs a handler that does not talk to the recorder, when its control is usable now.
    void whenUsable(Control control, const std::function<void()>& handler);
    // Connects a button's click, or a menu entry's trigger, to a command or a plain handler.
    void onCommand(QObject* sender, Control control, Activity a, std::function<void()> handler);
    void onUsable(QObject* sender, Control control, std::function<void()> handler);
    void bindControls();

    SerialPort* port_;
    PortCatalog* catalog_;
    PortWatcher* portWatcher_ = nullptr;
    PortSearch* portSearch_ = nullptr;
    // The look-up under way was started for this open port (empty: for the list).
    QString lookUpFor_;
    // The ports as ComCombo lists them, with what the system knows of each.
    QVector<PortEntry> ports_;
    QHash<QString, QString> verdicts_;
    People* people_;
    Link* link_;
    QObject* controls_[kControlCount] = {};
    bool transferArmed_ = false;
};
