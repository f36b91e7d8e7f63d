// Connecting, logging in and out, the two login arrangements and the list of ports.

#include "app/MainWindow.h"
#include "app/PortDialogs.h"
#include "config/Palette.h"
#include "events/EventRegister.h"
#include "link/Errors.h"
#include "link/Link.h"
#include "link/People.h"
#include "link/PortCatalog.h"
#include "link/SerialPort.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace {
constexpr quint8 kPreambleCode = 0;
constexpr quint8 kLoginCode = 1;
constexpr quint8 kLogoutCode = 2;
constexpr int kLoginTimeout = 10;
}  // namespace

void TMain::showPortOpen() {
    Edit_status->setText(QStringLiteral("POŁĄCZONY"));
    paintBackground(Edit_status, Colour::Green);
    ComCombo->setEnabled(false);
    Button_rozlacz->setEnabled(true);
    ButtonFirmware->setEnabled(true);
}

void TMain::showPortClosed() {
    Edit_status->setText(QStringLiteral("ROZŁĄCZONY"));
    paintBackground(Edit_status, Colour::Red);
    ComCombo->setEnabled(true);
    Button_rozlacz->setEnabled(false);
}

void TMain::openSelectedPort() {
    if (ComCombo->currentIndex() >= 0 && !port_->Connected()) {
        port_->OpenPort();
        link_->resetReceiver();
    }
    if (port_->Connected()) showPortOpen();
}

void TMain::Button_polaczClick() {
    Button_polacz->setEnabled(false);
    FormCom->showNotice();
    link_->processPendingEvents();
    link_->startTimer();
    if (ComCombo->currentIndex() >= 0 && !port_->Connected()) {
        port_->OpenPort();
        link_->resetReceiver();
    }
    FormCom->hide();
    if (port_->Connected()) {
        showPortOpen();
        port_->SetDtrLine(true);
        port_->SetRtsLine(true);
        link_->PausePumping(10);
        if (!port_->Connected()) return;
        link_->SendFrame(kPreambleCode, QByteArray(50, '0'));
        link_->PausePumping(10);
        if (!port_->Connected()) return;
        link_->SendFrame(kLoginCode, Edit_haslo->text().toLatin1());
        if (link_->WaitReply(kLoginTimeout, kLoginCode)) {
            const QByteArray verdict = link_->st.replyPayload;
            if (!verdict.isEmpty() && verdict.at(0) == 'T') {
                EnterLoggedIn();
            } else {
                people_->beep();
                people_->error(QStringLiteral("Błędne hasło"));
                link_->processPendingEvents();
            }
        }
    }
    FormCom->hide();
}

void TMain::Button_rozlaczClick() {
    link_->st.stopRequested = true;
    showPortClosed();
    EnterLoggedOut();
    if (port_->Connected()) {
        link_->SendFrame(kLogoutCode, QByteArrayLiteral("W"));
        if (link_->WaitReply(kLoginTimeout, kLogoutCode)) {
            people_->beep();
            people_->information(QStringLiteral("Wylogowano ze MX-4"));
        }
    }
    HideLiveStatus();
    DropConnection();
}

void TMain::DropConnection() {
    link_->st.stopRequested = true;
    showPortClosed();
    link_->PausePumping(10);
    if (port_->Connected()) port_->ClosePort();
}

void TMain::EnterLoggedIn() {
    link_->st.loggedIn = true;
    Edit_logon->setText(QStringLiteral("ZALOGOWANY"));
    paintBackground(Edit_logon, Colour::Green);
    Edit_haslo->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{Button_zmiana_hasla, ButtonRestart, ButtonResetlimit,
                                                      ButtonZegar, ButtonPobierz, ButtonSTOP, ButtonCLR,
                                                      ButtonZapisz, ButtonKasuj, ButtonKonfig})
        w->setEnabled(true);
    Pobierz1->setEnabled(true);
    Zapisz1->setEnabled(true);
    ShowLiveStatus();
    link_->st.pollTicks = 0;
    Button_polacz->setEnabled(false);
}

void TMain::EnterLoggedOut() {
    Edit_logon->setText(QStringLiteral("WYLOGOWANY"));
    paintBackground(Edit_logon, Colour::Red);
    Edit_haslo->setEnabled(true);
    Button_polacz->setEnabled(true);
    for (QWidget* w : std::initializer_list<QWidget*>{Button_zmiana_hasla, ButtonRestart, ButtonResetlimit,
                                                      ButtonZegar, ButtonPobierz, ButtonSTOP, ButtonKasuj,
                                                      Icon_get, Icon_put})
        w->setEnabled(false);
    // A register already downloaded can still be kept or cleared.
    ButtonZapisz->setEnabled(true);
    ButtonCLR->setEnabled(true);
    Pobierz1->setEnabled(false);
    Zapisz1->setEnabled(false);
    HideLiveStatus();
    TextWersja->setText(QStringLiteral("MX-4 v ..."));
    paintText(TextWersja, Colour::Grey);
    BarRSSI->setValue(0);
    link_->st.loggedIn = false;
    link_->st.pollingEnabled = false;
    link_->st.stopRequested = true;
    // A download under way ends with the login.
    if (eventRegister) eventRegister->loggedOut();
}

void TMain::onPortLost(const QString& message) {
    // The adapter was pulled out or the line hung up: one message, then the idle state.
    showPortClosed();
    EnterLoggedOut();
    FormCom->hide();
    people_->beep();
    people_->error(message);
}

void TMain::checkPortPresent() {
    if (!port_->Connected()) return;
    const QVector<PortEntry> ports = catalog_->listPorts();
    for (const PortEntry& p : ports)
        if (p.portName == port_->portName()) return;
    // The driver said nothing, but the adapter is gone.
    port_->ClosePort();
    onPortLost(QStringLiteral("Port %1 został odłączony od komputera").arg(port_->portName()));
}

// ---------------------------------------------------------------- ports

void TMain::ListSerialPorts() {
    const QVector<PortEntry> ports = catalog_->listPorts();
    QStringList names;
    portNames.clear();
    deviceNames.clear();
    for (const PortEntry& p : ports) {
        portNames.append(p.portName);
        deviceNames.append(p.deviceName);
        names.append(p.portName);
    }
    ComCombo->clear();
    ComCombo->addItems(names);
}

void TMain::RefreshPortList() {
    if (port_->Connected()) {
        // The open port, its name and the choice stay; only the lists are brought up to date.
        const QString current = port_->portName();
        ListSerialPorts();
        ComCombo->setCurrentIndex(ComCombo->findText(current));
        return;
    }
    Button_polacz->setEnabled(false);
    ListSerialPorts();
    if (ComCombo->count() == 0 || ComCombo->itemText(0).isEmpty()) {
        ComCombo->setCurrentIndex(-1);
        return;
    }
    ComCombo->setCurrentIndex(0);
    port_->Port(ComCombo->itemText(0));
    Button_polacz->setEnabled(true);
}

void TMain::ComComboChange(int index) {
    if (index < 0) return;
    Button_polacz->setEnabled(true);
    port_->Port(ComCombo->itemText(index));
}

void TMain::ComComboExit() {
    if (ComCombo->currentIndex() < 0) Button_polacz->setEnabled(false);
}

void TMain::ShowPortsDialog() {
    FormJakieCOM->showBeside();
    RefreshPortList();
    FormJakieCOM->PortyCom->clear();
    FormJakieCOM->DevCom->clear();
    for (int i = 0; i < portNames.size(); ++i) {
        FormJakieCOM->PortyCom->appendPlainText(portNames.at(i));
        FormJakieCOM->DevCom->appendPlainText(deviceNames.value(i));
    }
}
