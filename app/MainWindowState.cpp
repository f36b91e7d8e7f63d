// The one interaction state of the window: the activity, the control table applied to the widgets, and
// the admission of every command.

#include "app/MainWindow.h"
#include "app/PortDialogs.h"
#include "archive/ArchiveWindow.h"
#include "events/EventRegister.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "link/SerialPort.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolButton>

ActivityState& TMain::activity() { return link_->activity(); }

Situation TMain::situation() const {
    Situation s;
    s.activity = link_->activity().current();
    s.loggedIn = link_->st.loggedIn;
    s.portOpen = port_->Connected();
    s.portChosen = ComCombo && ComCombo->currentIndex() >= 0;
    s.transferArmed = transferArmed_;
    s.stopArmed = !eventRegister || eventRegister->stopOffered();
    s.registerHeld = eventRegister && eventRegister->registerHeld();
    return s;
}

void TMain::bindControls() {
    QObject* const objects[kControlCount] = {
        ButtonCom,      FormJakieCOM->Button1, FormJakieCOM->ButtonSzukaj, FormJakieCOM->ButtonPrzerwij,
        ComCombo,       Edit_haslo,            Button_polacz,
        Button_rozlacz, Icon_get,              Icon_put,       SpeedButton2,        SpeedButton1,
        Button_zmiana_hasla, ButtonResetlimit, ButtonZegar,    ButtonRestart,       ButtonFirmware,
        ButtonKonfig,   ButtonPobierz,         ButtonSTOP,     ButtonKasuj,         ButtonCLR,
        Button1,        ButtonZapisz,          ButtonWykres,   ButtonDodajDoArchiwum, ButtonArchiwum, Odczyt1, Zapis1,
        Pobierz1,       Zapisz1,               Porownaj1,      PorownajPlik1,       Oprogramie1,
    };
    for (int i = 0; i < kControlCount; ++i) {
        controls_[i] = objects[i];
        Q_ASSERT(objects[i]->objectName() == controlName(Control(i)));
    }
    connect(&link_->activity(), &ActivityState::changed, this, [this] { applyControlTable(); });
}

void TMain::applyControlTable() {
    if (!controls_[0]) return;  // still being built
    const Situation s = situation();
    for (Control c : allControls()) {
        const bool on = usable(c, s);
        QObject* o = controls_[int(c)];
        if (auto* w = qobject_cast<QWidget*>(o)) {
            if (w->isEnabled() != on) w->setEnabled(on);
        } else if (auto* a = qobject_cast<QAction*>(o)) {
            if (a->isEnabled() != on) a->setEnabled(on);
        }
    }
    // The archive's window takes the register by the same row as "Dodaj do archiwum".
    if (FormArchiwum) FormArchiwum->setDownloadAvailable(usable(Control::ButtonDodajDoArchiwum, s));
}

void TMain::armTransferButtons() {
    if (transferArmed_) return;
    transferArmed_ = true;
    applyControlTable();
}

void TMain::runCommand(Control control, Activity a, const std::function<void()>& handler) {
    guarded([&] {
        ActivityState& state = link_->activity();
        // The control's row decides, whatever delivered the click: a disabled button, a shortcut, a
        // queued signal or a menu entry are all refused here.
        if (!usable(control, situation())) return;
        state.enter(a);
        const auto settle = qScopeGuard([&] { state.leave(a); });
        if (link_->statusPending()) {
            // The status exchange on the line ends first. If it ended the login, the command is off.
            link_->waitLineFree();
            Situation now = situation();
            now.activity = link_->st.loggedIn ? Activity::LoggedIn : Activity::Idle;
            if (!usable(control, now) || shuttingDown) return;
        }
        handler();
    });
}

void TMain::whenUsable(Control control, const std::function<void()>& handler) {
    guarded([&] {
        if (usable(control, situation())) handler();
    });
}

void TMain::onCommand(QObject* sender, Control control, Activity a, std::function<void()> handler) {
    auto run = [this, control, a, handler] { runCommand(control, a, handler); };
    if (auto* b = qobject_cast<QAbstractButton*>(sender))
        connect(b, &QAbstractButton::clicked, this, run);
    else if (auto* action = qobject_cast<QAction*>(sender))
        connect(action, &QAction::triggered, this, run);
}

void TMain::onUsable(QObject* sender, Control control, std::function<void()> handler) {
    auto run = [this, control, handler] { whenUsable(control, handler); };
    if (auto* b = qobject_cast<QAbstractButton*>(sender))
        connect(b, &QAbstractButton::clicked, this, run);
    else if (auto* action = qobject_cast<QAction*>(sender))
        connect(action, &QAction::triggered, this, run);
}
