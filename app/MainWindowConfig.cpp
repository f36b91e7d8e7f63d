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
    // A read replaces the window's values: asked about marked changes before it is admitted, from the
    // button as from the menu, since both do the same.
    auto askThenRead = [this, read](Control control) {
        return [this, read, control] {
            if (usable(control, situation()) && changesMayGo()) runCommand(control, Activity::Reading, read);
        };
    };
    connect(Icon_get, &QToolButton::clicked, this, askThenRead(Control::Icon_get));  // SpeedButton3Click
    connect(Pobierz1, &QAction::triggered, this, askThenRead(Control::Pobierz1));    // Pobierz1Click
    onCommand(Icon_put, Control::Icon_put, Activity::Writing, write);    // Icon_putClick
    onCommand(Zapisz1, Control::Zapisz1, Activity::Writing, write);      // Zapisz1Click
    onCommand(Porownaj1, Control::Porownaj1, Activity::Comparing, [t] { t->CompareWithRecorder(); });
    onUsable(PorownajPlik1, Control::PorownajPlik1, [t] { t->CompareWithFile(); });
    onUsable(SpeedButton1, Control::SpeedButton1, [t] { t->SaveConfigFile(); });  // SpeedButton1Click
    onUsable(Zapis1, Control::Zapis1, [t] { t->SaveConfigFile(); });              // Zapis1Click
    // Loading a file replaces the window's values too: asked before the file dialog.
    auto load = [this, t] {
        if (changesMayGo()) t->LoadConfigFile();
    };
    onUsable(SpeedButton2, Control::SpeedButton2, load);  // SpeedButton2Click
    onUsable(Odczyt1, Control::Odczyt1, load);            // Odczyt1Click
}

void TMain::configReply(quint8 code, const QByteArray& payload) {
    // A comparison reads the recorder into a record of its own: the window keeps its values and colours.
    if (link_->activity().is(Activity::Comparing)) return;
    configTransfer->DecodeItem(code, payload);
}
