// The event register in the window: download, save, print, clear, erase and the chart.

#include "app/MainWindow.h"
#include "config/ConfigArea.h"
#include "events/EventRegister.h"
#include "link/ErrorHook.h"
#include "link/Link.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

void TMain::wireEvents() {
    const EventPanel panel{ButtonPobierz, ButtonSTOP, TempBar,      ButtonKasuj, ButtonCLR,
                           Button1,       ButtonZapisz, trm,         ButtonWykres};
    eventRegister = new EventRegister(link_, this, people_, panel, &saveDialog, this);
    eventRegister->setObjectName(QStringLiteral("eventRegister"));
    eventRegister->setVersionSource([this] { return TextWersja->text(); });

    EventRegister* e = eventRegister;
    onCommand(ButtonPobierz, Control::ButtonPobierz, Activity::DownloadStarting, [e] { e->ButtonPobierzClick(); });
    onCommand(ButtonKasuj, Control::ButtonKasuj, Activity::Erasing, [e] { e->ButtonKasujClick(); });
    // STOP acts at once, also inside the exchange under way: it only sets the flag. It acts on the press
    // and again on the click.
    connect(ButtonSTOP, &QPushButton::pressed, this,
            [this, e] { whenUsable(Control::ButtonSTOP, [e] { e->ButtonSTOPMouseDown(); }); });
    onUsable(ButtonSTOP, Control::ButtonSTOP, [e] { e->ButtonSTOPClick(); });
    onUsable(ButtonZapisz, Control::ButtonZapisz, [e] { e->ButtonZapiszClick(); });
    onUsable(Button1, Control::Button1, [e] { e->Button1Click(); });
    onUsable(ButtonCLR, Control::ButtonCLR, [e] { e->ButtonCLRClick(); });
    // The chart takes the thresholds the window shows now: read with the configuration, the recorder's.
    onUsable(ButtonWykres, Control::ButtonWykres, [this, e] {
        const TempSettings t = Config->tempSettings();
        e->ButtonWykresClick(ChartThresholds{t.lowCode, t.highCode});
    });
}

void TMain::eventReply(quint8 code, const QByteArray& payload) {
    if (eventRegister) eventRegister->reply(code, payload);
}
