#pragma once
// What the program is doing with the recorder, one activity at a time.
//
// The window is always in exactly one activity. A command that talks to the recorder starts only from a
// settled activity that allows it (the window's control table decides which), runs in its own activity,
// and settles again when it ends: LoggedIn when the recorder still has us logged in, Idle otherwise.
// Nothing is queued: a click that arrives while another command runs is refused where it arrives.
// The periodic status request goes out only while LoggedIn.

#include <QObject>

enum class Activity : quint8 {
    Idle,              // no command runs and nobody is logged in (the port may be open)
    Connecting,        // "POŁĄCZ": port opening, preamble, login
    LoggedIn,          // logged in, no command runs: the live status is polled
    Reading,           // the configuration comes from the recorder
    Writing,           // the configuration goes to the recorder
    Comparing,         // the recorder's configuration is read for a comparison, or only changed items written
    DownloadStarting,  // "POBIERZ": the pause before the request and the wait for the register's header
    Downloading,       // the register's records come in
    Stopping,          // STOP pressed: records still come until the recorder confirms
    Erasing,           // "KASUJ ": the question and the erase command
    Service,           // password change, clock, restart, counter reset
    Firmware,          // the "Bootloader" dialog is open (and maybe sending)
    LoggingOut,        // "ROZŁĄCZ": logout command and the pause before the port closes
    Searching,         // "Szukaj MX-4": each listed port opened in turn and asked for a login
    ShuttingDown,      // the main window is closing
};
constexpr int kActivityCount = int(Activity::ShuttingDown) + 1;

const char* activityName(Activity a);

// Holds the activity; one per window. Changes are announced so the window can apply its table.
class ActivityState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Activity current() const { return current_; }
    bool is(Activity a) const { return current_ == a; }
    // Idle or LoggedIn: no command runs.
    bool settled() const { return current_ == Activity::Idle || current_ == Activity::LoggedIn; }

    // Enters `a` whatever runs now (the caller has checked that it may).
    void enter(Activity a);
    // A running command moves on (the download from its start to its records): only when it still
    // holds the activity it started in.
    void move(Activity from, Activity to);
    // The command that holds `a` has ended: settles, unless something else has taken over meanwhile
    // (shutdown, a logout that ended a download).
    void leave(Activity a);
    // Idle or LoggedIn by the login; a closing window stays closing.
    void settle(bool loggedIn);
    // The login has changed: a settled window follows it; a running command settles when it ends.
    void loginChanged(bool loggedIn) {
        if (settled()) settle(loggedIn);
    }

    // Where leave() learns the login state.
    void setLoginSource(const bool* loggedIn) { loggedIn_ = loggedIn; }

Q_SIGNALS:
    void changed(Activity now);

private:
    Activity current_ = Activity::Idle;
    const bool* loggedIn_ = nullptr;
};
