#include "app/ControlTable.h"

namespace {
// One row per control, one character per activity, in the order of the Activity enum:
//
//   I  Idle            C  Connecting      L  LoggedIn        R  Reading         W  Writing
//   P  Comparing       S  DownloadStarting D Downloading     T  Stopping        E  Erasing
//   V  Service         F  Firmware        O  LoggingOut      H  Searching       X  ShuttingDown
//
// and the cells:
//   x  usable                 .  not usable
//   l  when logged in         o  when logged out
//   p  when the port is open  q  when the port is closed
//   c  when the port is closed and a port is chosen
//   a  when logged in and a status reply (or a finished transfer) has come since the login
//   s  when logged in and STOP is offered (not after a stop the recorder confirmed)
//   r  when the event list holds a downloaded register
//
// Recorder commands start only from LoggedIn (or Idle, for the connect and the firmware update);
// during any exchange they wait. "Drukuj" and the about box are never refused. The configuration
// files stay closed while a transfer runs, so a file never mixes two configurations. After STOP the
// records still come until the recorder confirms: nothing else talks to it until then. The chart of the
// register opens, and the register goes into an archive, whenever no download is filling the list; the
// archive's window opens whenever no download runs (it needs no recorder). While ports are searched for a
// recorder nothing may open a port or rebuild the list being searched ("POŁĄCZ", "Aktualizacja", "COM?",
// "Odświerz", the list itself) and the password being tried stays as it is; what works without the
// port (the configuration files, the event list, the about box) stays usable, and "Przerwij" ends it.
struct Row {
    Control control;
    const char* cells;
};
//                                      ICLRWPSDTEVFOHX
constexpr Row kRows[] = {
    {Control::ButtonCom,              "x.xxxxxxxxx...."},
    {Control::Odswierz,               "x.xxxxxxxxx...."},
    {Control::ButtonSzukaj,           "q.............."},
    {Control::ButtonPrzerwij,         ".............x."},
    {Control::ComCombo,               "q.............."},
    {Control::Edit_haslo,             "oo....xx......."},
    {Control::Button_polacz,          "c.............."},
    {Control::Button_rozlacz,         "p.x....xx......"},
    {Control::Icon_get,               "..a............"},
    {Control::Icon_put,               "..a............"},
    {Control::SpeedButton2,           "xxx...xxxxx.xx."},
    {Control::SpeedButton1,           "xxx...xxxxx.xx."},
    {Control::Button_zmiana_hasla,    "..l............"},
    {Control::ButtonResetlimit,       "..l............"},
    {Control::ButtonZegar,            "..l............"},
    {Control::ButtonRestart,          "..l............"},
    {Control::ButtonFirmware,         "x.x............"},
    {Control::ButtonKonfig,           "xxxxxx..xxxxxx."},
    {Control::ButtonPobierz,          "..l............"},
    {Control::ButtonSTOP,             "..s...xxx......"},
    {Control::ButtonKasuj,            "..l............"},
    {Control::ButtonCLR,              "x.x..........x."},
    {Control::Button1,                "xxxxxxxxxxxxxx."},
    {Control::ButtonZapisz,           "x.x..........x."},
    {Control::ButtonWykres,           "rrrrrr...rrrrr."},
    {Control::ButtonDodajDoArchiwum,  "rrrrrr...rrrrr."},
    {Control::ButtonArchiwum,         "xxxxxx...xxxxx."},
    {Control::Odczyt1,                "xxx...xxxxx.xx."},
    {Control::Zapis1,                 "xxx...xxxxx.xx."},
    {Control::Pobierz1,               "..l............"},
    {Control::Zapisz1,                "..l............"},
    {Control::Porownaj1,              "..l............"},
    {Control::PorownajPlik1,          "xxx...xxxxx.xx."},
    {Control::Oprogramie1,            "xxxxxxxxxxxxxx."},
};
static_assert(sizeof(kRows) / sizeof(kRows[0]) == kControlCount, "one row per control");

constexpr bool rowsInOrder() {
    for (int i = 0; i < kControlCount; ++i)
        if (int(kRows[i].control) != i) return false;
    return true;
}
static_assert(rowsInOrder(), "rows in the order of the Control enum");

constexpr bool rowsFull() {
    for (const Row& r : kRows) {
        int n = 0;
        while (r.cells[n] != '\0') ++n;
        if (n != kActivityCount) return false;
    }
    return true;
}
static_assert(rowsFull(), "one cell per activity");

const char* const kNames[] = {
    "ButtonCom",     "Button1",      "ButtonSzukaj",  "ButtonPrzerwij",   "ComCombo",      "Edit_haslo",       "Button_polacz",    "Button_rozlacz",
    "Icon_get",      "Icon_put",     "SpeedButton2",  "SpeedButton1",     "Button_zmiana_hasla",
    "ButtonResetlimit", "ButtonZegar", "ButtonRestart", "ButtonFirmware", "ButtonKonfig",     "ButtonPobierz",
    "ButtonSTOP",    "ButtonKasuj",  "ButtonCLR",     "Button1",          "ButtonZapisz",     "ButtonWykres",
    "ButtonDodajDoArchiwum", "ButtonArchiwum", "Odczyt1",
    "Zapis1",        "Pobierz1",     "Zapisz1",       "Porownaj1",        "PorownajPlik1",    "Oprogramie1",
};
static_assert(sizeof(kNames) / sizeof(kNames[0]) == kControlCount, "one name per control");
}  // namespace

QString controlName(Control c) { return QString::fromLatin1(kNames[int(c)]); }

QVector<Control> allControls() {
    QVector<Control> all;
    for (int i = 0; i < kControlCount; ++i) all.append(Control(i));
    return all;
}

bool usable(Control c, const Situation& s) {
    switch (kRows[int(c)].cells[int(s.activity)]) {
    case 'x': return true;
    case 'l': return s.loggedIn;
    case 'o': return !s.loggedIn;
    case 'p': return s.portOpen;
    case 'q': return !s.portOpen;
    case 'c': return !s.portOpen && s.portChosen;
    case 'a': return s.loggedIn && s.transferArmed;
    case 's': return s.loggedIn && s.stopArmed;
    case 'r': return s.registerHeld;
    default: return false;
    }
}

bool portsWatched(const Situation& s) { return usable(Control::ComCombo, s); }
