#pragma once
// Which of the main window's controls and menu entries are usable, for every activity: the one table.
//
// Every change of the activity, the login, the port or the port choice applies it to the window, and
// every command checks its control's row before it starts, so a click that arrives from a shortcut, a
// menu or a queued event while the control is unusable does nothing. Plain data; no widgets here.

#include "link/Activity.h"

#include <QString>
#include <QVector>

// The controls the table switches, named as the window's objects are.
enum class Control : quint8 {
    ButtonCom,
    Odswierz,  // "Odświerz" in "Porty COM"
    ButtonSzukaj,    // "Szukaj MX-4" in "Porty COM"
    ButtonPrzerwij,  // "Przerwij" in "Porty COM": ends the search
    ComCombo,
    Edit_haslo,
    Button_polacz,
    Button_rozlacz,
    Icon_get,
    Icon_put,
    SpeedButton2,  // open a configuration file
    SpeedButton1,  // save a configuration file
    Button_zmiana_hasla,
    ButtonResetlimit,
    ButtonZegar,
    ButtonRestart,
    ButtonFirmware,
    ButtonKonfig,
    ButtonPobierz,
    ButtonSTOP,
    ButtonKasuj,
    ButtonCLR,
    Button1,  // "Drukuj"
    ButtonZapisz,
    ButtonWykres,  // "Wykres": the register as a temperature chart
    ButtonDodajDoArchiwum,  // "Dodaj do archiwum": the register in the list into a register archive
    ButtonArchiwum,         // "Archiwum": the window "Archiwum rejestru"
    Odczyt1,
    Zapis1,
    Pobierz1,
    Zapisz1,
    Porownaj1,      // "Dane" > "Porównaj z MX-4"
    PorownajPlik1,  // "Plik" > "Porównaj z plikiem"
    Oprogramie1,
};
constexpr int kControlCount = int(Control::Oprogramie1) + 1;

// Everything a row may depend on besides the activity.
struct Situation {
    Activity activity = Activity::Idle;
    bool loggedIn = false;
    bool portOpen = false;
    bool portChosen = false;     // an entry of the port list is selected
    bool transferArmed = false;  // a status reply (or a finished transfer) since the login
    bool stopArmed = false;      // STOP is offered while idle: not after a stop the recorder confirmed
    bool registerHeld = false;   // the event list holds a downloaded register
};

// The object name of the control in the window ("Odswierz" is the dialog's "Button1").
QString controlName(Control c);
QVector<Control> allControls();
bool usable(Control c, const Situation& s);
// The port list follows the ports the system has whenever the person could pick from it: the port
// closed and nothing running. Only then are the system's ports looked at for it.
bool portsWatched(const Situation& s);
