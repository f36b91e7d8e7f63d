// Reply dispatch and the live status display.

#include "app/MainWindow.h"
#include "config/ConfigArea.h"
#include "config/Palette.h"
#include "link/Link.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

void TMain::DispatchReply(quint8 code, const QByteArray& payload) {
    link_->processPendingEvents();
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

void TMain::showVersion(const QByteArray& payload) { Q_UNUSED(payload); }

void TMain::showStatus(const QByteArray& payload) { Q_UNUSED(payload); }

void TMain::ShowLiveStatus() {
    link_->st.pollingEnabled = true;
    if (link_->st.loggedIn) {
        StatusBar->setVisible(true);
        ButtonPobierz->setEnabled(true);
    }
    StatusPanel->clear();
    Config->LabelSMS->clear();
    Config->LabelVoice->clear();
}

void TMain::HideLiveStatus() {
    link_->st.pollingEnabled = false;
    StatusBar->setVisible(false);
    for (QLabel* p : {PanelIN1, PanelIN2, PanelIN3, PanelIN4, PanelIN5, PanelFab, PanelPK, PanelOut2, PanelOut3,
                      PanelOut4})
        paintBackground(p, faceColour());
    Config->LabelSMS->clear();
    Config->LabelVoice->clear();
    for (QLineEdit* e : {Temp1, Ubat, Uzs}) paintBackground(e, Colour::Grey);
}
