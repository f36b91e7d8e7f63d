// The event register in the window: download, save, print, clear and erase.

#include "app/MainWindow.h"
#include "events/EventRegister.h"
#include "link/ErrorHook.h"
#include "link/Link.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

void TMain::wireEvents() {
    const EventPanel panel{ButtonPobierz, ButtonSTOP, TempBar, ButtonKasuj, ButtonCLR, Button1, ButtonZapisz, trm};
    eventRegister = new EventRegister(link_, this, people_, panel, &saveDialog, this);
    eventRegister->setObjectName(QStringLiteral("eventRegister"));
    eventRegister->setOtherControls([this](bool locked) {
        const std::initializer_list<QWidget*> recorderCommands{Button_zmiana_hasla, ButtonRestart, ButtonResetlimit,
                                                               ButtonZegar, Icon_get, Icon_put};
        if (locked) {
            for (QWidget* w : recorderCommands) w->setEnabled(false);
            ButtonKonfig->setEnabled(false);
            ButtonFirmware->setEnabled(false);
            Pobierz1->setEnabled(false);
            Zapisz1->setEnabled(false);
            Edit_haslo->setEnabled(true);
            return;
        }
        // What the login state allows: everything when logged in; otherwise only what works without it.
        ButtonKonfig->setEnabled(true);
        ButtonFirmware->setEnabled(true);
        if (!link_->st.loggedIn) return;
        for (QWidget* w : recorderCommands) w->setEnabled(true);
        Pobierz1->setEnabled(true);
        Zapisz1->setEnabled(true);
        Edit_haslo->setEnabled(false);
        Button_polacz->setEnabled(false);
    });

    EventRegister* e = eventRegister;
    Link* link = link_;
    auto onCommand = [this, e, link](QPushButton* b, void (EventRegister::*handler)()) {
        connect(b, &QPushButton::clicked, this, [e, link, handler] { link->runWhenIdle([e, handler] { (e->*handler)(); }); });
    };
    auto onClick = [this, e](QPushButton* b, void (EventRegister::*handler)()) {
        connect(b, &QPushButton::clicked, this, [e, handler] { guarded([e, handler] { (e->*handler)(); }); });
    };
    onCommand(ButtonPobierz, &EventRegister::ButtonPobierzClick);
    onCommand(ButtonKasuj, &EventRegister::ButtonKasujClick);
    // STOP acts at once, also inside the exchange under way: it only sets the flag and the controls.
    connect(ButtonSTOP, &QPushButton::pressed, this, [e] { guarded([e] { e->ButtonSTOPMouseDown(); }); });
    onClick(ButtonSTOP, &EventRegister::ButtonSTOPClick);
    onClick(ButtonZapisz, &EventRegister::ButtonZapiszClick);
    onClick(Button1, &EventRegister::Button1Click);
    onClick(ButtonCLR, &EventRegister::ButtonCLRClick);
}

void TMain::eventReply(quint8 code, const QByteArray& payload) {
    if (eventRegister) eventRegister->reply(code, payload);
}
