// Reply dispatch and the live status display.

#include "app/MainWindow.h"
#include "config/ConfigArea.h"
#include "config/Palette.h"
#include "config/Spoken.h"
#include "link/Link.h"
#include "link/StatusDecode.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QStatusBar>

void TMain::DispatchReply(quint8 code, const QByteArray& payload) {
    // Pending events run first; the person's clicks and keys wait until the reply has been applied, so
    // no command starts in the middle of applying one.
    link_->processNonInputEvents();
    if (code == 1) {
        showVersion(payload);
    } else if (code >= 4 && code <= 84 && code % 2 == 0) {
        configReply(code, payload);
    } else if (code == 90 || code == 91 || code == 93 || code == 95) {
        eventReply(code, payload);
    } else if (code == 253) {
        showStatus(payload);
    }
}

void TMain::showVersion(const QByteArray& payload) {
    if (const auto text = VersionText(payload)) {
        showValue(TextWersja, *text);
        paintText(TextWersja, Colour::Black);
    }
}

void TMain::showStatus(const QByteArray& payload) {
    const std::optional<LiveStatus> s = DecodeStatus(payload);
    if (!s) return;
    QLabel* inputs[5] = {PanelIN1, PanelIN2, PanelIN3, PanelIN4, PanelIN5};
    for (int i = 0; i < 5; ++i) paintBackground(inputs[i], s->inputs[i] ? Colour::Green : Colour::Red);
    QLabel* outputs[4] = {PanelPK, PanelOut2, PanelOut3, PanelOut4};
    for (int i = 0; i < 4; ++i) paintBackground(outputs[i], s->outputs[i] ? Colour::Red : Colour::Green);
    showValue(LabelZd, QStringLiteral("Zd: %1").arg(s->eventsWaiting));
    paintBackground(PanelFab, s->fFlag ? Colour::Green : Colour::Red);
    showValue(StatusPanel, ModemStateText(s->modemState));
    BarRSSI->setValue(s->signalGauge);
    showValue(Config->LabelSMS, QStringLiteral("%1 z").arg(s->smsUsed));
    showValue(Config->LabelVoice, QStringLiteral("%1 z").arg(s->voiceUsed));
    Uzs->setText(s->supplyText);
    Ubat->setText(s->batteryText);
    Temp1->setText(s->temperatureText);
    static const QColor temperatureColours[4] = {Colour::Grey, Colour::Green, Colour::Red, Colour::SkyBlue};
    paintBackground(Temp1, temperatureColours[s->temperatureState]);
    paintBackground(Uzs, s->supplyOk ? Colour::Green : Colour::Red);
    paintBackground(Ubat, s->batteryOk ? Colour::Green : Colour::Red);
    armTransferButtons();
}

void TMain::ShowLiveStatus() {
    link_->st.pollingEnabled = true;
    if (link_->st.loggedIn) StatusBar->setVisible(true);
    for (QLabel* l : {StatusPanel, Config->LabelSMS, Config->LabelVoice}) showValue(l, {});
}

void TMain::HideLiveStatus() {
    link_->st.pollingEnabled = false;
    StatusBar->setVisible(false);
    for (QLabel* p : {PanelIN1, PanelIN2, PanelIN3, PanelIN4, PanelIN5, PanelFab, PanelPK, PanelOut2, PanelOut3,
                      PanelOut4})
        paintBackground(p, faceColour());
    showValue(Config->LabelSMS, {});
    showValue(Config->LabelVoice, {});
    for (QLineEdit* e : {Temp1, Ubat, Uzs}) paintBackground(e, Colour::Grey);
}
