// The configuration subsystem in the window: transfer, files and the replies that carry items.

#include "app/MainWindow.h"
#include "config/ConfigArea.h"
#include "config/ConfigTransfer.h"
#include "config/ProgressDialog.h"
#include "link/ErrorHook.h"
#include "link/Link.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

void TMain::wireConfig() {
    auto* progress = new TFormProgres(this);
    TransferControls controls;
    controls.Icon_get = Icon_get;
    controls.Icon_put = Icon_put;
    controls.Pobierz1 = Pobierz1;
    controls.Zapisz1 = Zapisz1;
    controls.recorderCommands = {ButtonKasuj, ButtonRestart, ButtonResetlimit, ButtonZegar, Button_zmiana_hasla,
                                 ButtonPobierz};
    controls.Edit_haslo = Edit_haslo;
    configTransfer = new ConfigTransfer(link_, this, people_, Config, progress, controls, &saveDialog, this);

    ConfigTransfer* t = configTransfer;
    Link* link = link_;
    auto read = [t, link] { link->runWhenIdle([t] { t->ReadConfiguration(); }); };
    auto write = [t, link] { link->runWhenIdle([t] { t->WriteConfiguration(); }); };
    auto save = [t] { guarded([t] { t->SaveConfigFile(); }); };
    auto load = [t] { guarded([t] { t->LoadConfigFile(); }); };
    connect(Icon_get, &QToolButton::clicked, t, read);          // SpeedButton3Click
    connect(Pobierz1, &QAction::triggered, t, read);            // Pobierz1Click
    connect(Icon_put, &QToolButton::clicked, t, write);         // Icon_putClick
    connect(Zapisz1, &QAction::triggered, t, write);            // Zapisz1Click
    connect(SpeedButton1, &QToolButton::clicked, t, save);      // SpeedButton1Click
    connect(Zapis1, &QAction::triggered, t, save);              // Zapis1Click
    connect(SpeedButton2, &QToolButton::clicked, t, load);      // SpeedButton2Click
    connect(Odczyt1, &QAction::triggered, t, load);             // Odczyt1Click
}

void TMain::configReply(quint8 code, const QByteArray& payload) { configTransfer->DecodeItem(code, payload); }
