#include "maintenance/Maintenance.h"

#include "link/Link.h"
#include "link/People.h"
#include "link/SerialPort.h"
#include "link/Shell.h"
#include "link/Text.h"
#include "maintenance/BootDialog.h"
#include "maintenance/FirmwareImage.h"
#include "maintenance/InfoDialog.h"
#include "maintenance/PasswordDialog.h"
#include "maintenance/ServiceCommands.h"
#include "maintenance/ServiceExchange.h"

#include <QPointer>
#include <QScopeGuard>


Maintenance::Maintenance(Link* link, Shell* shell, People* people, QObject* parent)
    : QObject(parent), link_(link), shell_(shell), people_(people), now_([] { return QDateTime::currentDateTime(); }) {}

void Maintenance::runModal(QDialog* dialog) {
    QPointer<QDialog> guard(dialog);
    dialog->exec();
    delete guard.data();
}

void Maintenance::ButtonFirmwareClick() {
    shell_->openSelectedPort();
    SerialPort* port = link_->port();
    if (port->Connected()) {
        port->SetDtrLine(true);
        port->SetRtsLine(true);
        link_->PausePumping(10);
    }
    shell_->HideLiveStatus();
    runModal(new TFboot(this, shell_->dialogParent()));
}

void Maintenance::Button_zmiana_haslaClick() {
    shell_->HideLiveStatus();
    runModal(new TFhaslo_nowe(this, shell_->dialogParent()));
}

bool Maintenance::changePassword(const QString& newPassword) {
    if (ChangePassword(*link_, *people_, newPassword) != PasswordChange::Accepted) return false;
    if (passwordSink_) passwordSink_(newPassword);
    people_->information(QStringLiteral("Hasło zmienione"));
    shell_->EnterLoggedIn();
    return true;
}

void Maintenance::ButtonZegarClick() {
    shell_->HideLiveStatus();
    const auto resume = qScopeGuard([this] { shell_->ShowLiveStatus(); });
    if (SetRecorderClock(*link_, now_())) people_->information(QStringLiteral("Ustawiono zegar w MX-4"));
}

void Maintenance::ButtonRestartClick() { SendRestart(*link_); }

void Maintenance::ButtonResetlimitClick() { SendCounterReset(*link_); }

void Maintenance::Oprogramie1Click() { runModal(new TFInfo(shell_->dialogParent())); }
