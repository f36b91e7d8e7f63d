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
    configTransfer = new ConfigTransfer(link_, this, people_, Config, progress, Edit_haslo, &saveDialog, this);

    ConfigTransfer* t = configTransfer;
    auto read = [t] { t->ReadConfiguration(); };
    auto write = [t] { t->WriteConfiguration(); };
    onCommand(Icon_get, Control::Icon_get, Activity::Reading, read);     // SpeedButton3Click
    onCommand(Pobierz1, Control::Pobierz1, Activity::Reading, read);     // Pobierz1Click
    onCommand(Icon_put, Control::Icon_put, Activity::Writing, write);    // Icon_putClick
    onCommand(Zapisz1, Control::Zapisz1, Activity::Writing, write);      // Zapisz1Click
    onUsable(SpeedButton1, Control::SpeedButton1, [t] { t->SaveConfigFile(); });  // SpeedButton1Click
    onUsable(Zapis1, Control::Zapis1, [t] { t->SaveConfigFile(); });              // Zapis1Click
    onUsable(SpeedButton2, Control::SpeedButton2, [t] { t->LoadConfigFile(); });  // SpeedButton2Click
    onUsable(Odczyt1, Control::Odczyt1, [t] { t->LoadConfigFile(); });            // Odczyt1Click
}

void TMain::configReply(quint8 code, const QByteArray& payload) { configTransfer->DecodeItem(code, payload); }
