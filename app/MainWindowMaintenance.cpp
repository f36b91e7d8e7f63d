// Device maintenance in the window: firmware update, password, clock, restart, counter reset, about box.

#include "app/MainWindow.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "maintenance/Maintenance.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

void TMain::wireMaintenance() {
    maintenance = new Maintenance(link_, this, people_, this);
    maintenance->setObjectName(QStringLiteral("maintenance"));
    maintenance->setPasswordSink([this](const QString& password) { Edit_haslo->setText(password); });

    Maintenance* m = maintenance;
    onCommand(ButtonFirmware, Control::ButtonFirmware, Activity::Firmware, [m] { m->ButtonFirmwareClick(); });
    onCommand(Button_zmiana_hasla, Control::Button_zmiana_hasla, Activity::Service,
              [m] { m->Button_zmiana_haslaClick(); });
    onCommand(ButtonZegar, Control::ButtonZegar, Activity::Service, [m] { m->ButtonZegarClick(); });
    onCommand(ButtonRestart, Control::ButtonRestart, Activity::Service, [m] { m->ButtonRestartClick(); });
    onCommand(ButtonResetlimit, Control::ButtonResetlimit, Activity::Service, [m] { m->ButtonResetlimitClick(); });
    onUsable(Oprogramie1, Control::Oprogramie1, [m] { m->Oprogramie1Click(); });
}
