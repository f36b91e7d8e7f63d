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

    // Everything that talks to the recorder waits for the exchange under way to end.
    Maintenance* m = maintenance;
    Link* link = link_;
    auto onCommand = [this, m, link](QPushButton* b, void (Maintenance::*handler)()) {
        connect(b, &QPushButton::clicked, this, [m, link, handler] {
            link->runWhenIdle([m, handler] { (m->*handler)(); });
        });
    };
    onCommand(ButtonFirmware, &Maintenance::ButtonFirmwareClick);
    onCommand(Button_zmiana_hasla, &Maintenance::Button_zmiana_haslaClick);
    onCommand(ButtonZegar, &Maintenance::ButtonZegarClick);
    onCommand(ButtonRestart, &Maintenance::ButtonRestartClick);
    onCommand(ButtonResetlimit, &Maintenance::ButtonResetlimitClick);
    connect(Oprogramie1, &QAction::triggered, this, [m] { guarded([m] { m->Oprogramie1Click(); }); });
}
