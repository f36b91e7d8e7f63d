#pragma once
// The maintenance commands of the main window: firmware update, password change, clock, restart,
// counter reset and the about box. The window starts every handler that talks to the recorder in its
// activity (Firmware, Service), which keeps every other command out until it ends.

#include <QDateTime>
#include <QObject>
#include <functional>

class Link;
class People;
class Shell;
class QDialog;

class Maintenance : public QObject {
    Q_OBJECT
public:
    Maintenance(Link* link, Shell* shell, People* people, QObject* parent = nullptr);

    // Where a password the recorder has accepted goes: the login field, so the next login sends it.
    void setPasswordSink(std::function<void(const QString&)> sink) { passwordSink_ = std::move(sink); }
    // The local date and time; tests put a fixed moment here.
    void setClockSource(std::function<QDateTime()> now) { now_ = std::move(now); }

    // "Aktualizacja": opens the chosen port when needed (a failure throws PortError and no dialog
    // opens), raises DTR and RTS, then shows the firmware dialog modally.
    void ButtonFirmwareClick();
    // "Zmiana hasła": the password dialog, modally.
    void Button_zmiana_haslaClick();
    // "Ustaw Zegar": sends the PC's date and time and waits for the confirmation.
    void ButtonZegarClick();
    // "Restart MX-4" and "Zeruj liczniki": one frame each, no wait.
    void ButtonRestartClick();
    void ButtonResetlimitClick();
    // "Info" > "O programie": a fresh about box, modally.
    void Oprogramie1Click();

    // "Zapisz" of the password dialog: true when the recorder accepted the new password (the login field
    // then holds it, the window is logged in and the dialog may close). A password that is not four
    // digits is refused without sending anything.
    bool changePassword(const QString& newPassword);

    Link* link() const { return link_; }
    Shell* shell() const { return shell_; }
    People* people() const { return people_; }

    // Shows a dialog modally and destroys it afterwards, even when its parent went first.
    static void runModal(QDialog* dialog);

private:
    Link* link_;
    Shell* shell_;
    People* people_;
    std::function<void(const QString&)> passwordSink_;
    std::function<QDateTime()> now_;
};
