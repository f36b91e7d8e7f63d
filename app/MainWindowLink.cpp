// Connecting, logging in and out, the two login arrangements and the list of ports.

#include "app/MainWindow.h"
#include "app/PortDialogs.h"
#include "config/Palette.h"
#include "config/Spoken.h"
#include "events/EventRegister.h"
#include "link/ErrorHook.h"
#include "link/Errors.h"
#include "link/Link.h"
#include "link/People.h"
#include "link/PortCatalog.h"
#include "link/PortSearch.h"
#include "link/PortWatcher.h"
#include "link/SerialPort.h"
#include "link/Session.h"
#include "link/Text.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QToolButton>


// The port list, "ROZŁĄCZ" and "Aktualizacja" follow the port through the control table.
void TMain::showPortOpen() {
    Edit_status->setText(QStringLiteral("POŁĄCZONY"));
    paintBackground(Edit_status, Colour::Green);
    applyControlTable();
}

void TMain::showPortClosed() {
    Edit_status->setText(QStringLiteral("ROZŁĄCZONY"));
    paintBackground(Edit_status, Colour::Red);
    applyControlTable();
}

void TMain::openSelectedPort() {
    if (ComCombo->currentIndex() >= 0 && !port_->Connected()) {
        port_->OpenPort();
        link_->resetReceiver();
    }
    if (port_->Connected()) showPortOpen();
}

void TMain::Button_polaczClick() {
    FormCom->showNotice();
    link_->processPendingEvents();
    link_->startTimer();
    if (ComCombo->currentIndex() >= 0 && !port_->Connected()) {
        port_->OpenPort();
        link_->resetReceiver();
    }
    FormCom->hide();
    if (port_->Connected()) {
        // A password the recorder could not be sent is refused before anything goes out.
        const QByteArray password = toCp1250(Edit_haslo->text(), QStringLiteral("Hasło"));
        showPortOpen();
        switch (LogIn(*link_, password)) {
        case LoginVerdict::LoggedIn:
            EnterLoggedIn();
            break;
        case LoginVerdict::WrongPassword:
            people_->beep();
            people_->error(QStringLiteral("Błędne hasło"));
            link_->processPendingEvents();
            break;
        case LoginVerdict::NoAnswer:
        case LoginVerdict::LineLost:
            break;
        }
    }
    FormCom->hide();
}

void TMain::Button_rozlaczClick() {
    link_->st.stopRequested = true;
    showPortClosed();
    EnterLoggedOut();
    if (port_->Connected()) {
        if (LogOut(*link_)) {
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
    // The pause is kept at shutdown too: the recorder gets its second before the line goes.
    link_->PausePumping(10, true);
    if (port_->Connected()) port_->ClosePort();
    applyControlTable();
}

// Which controls the login makes usable is the control table's business; these two set the
// indicators, the live status and the link's flags.
void TMain::EnterLoggedIn() {
    // Logged in means a recorder on an open line; a port lost meanwhile has logged the window out.
    if (!port_->Connected()) return;
    link_->st.loggedIn = true;
    Edit_logon->setText(QStringLiteral("ZALOGOWANY"));
    paintBackground(Edit_logon, Colour::Green);
    if (eventRegister) eventRegister->offerStop();
    ShowLiveStatus();
    link_->st.pollTicks = 0;
    link_->activity().loginChanged(true);
    applyControlTable();
}

void TMain::EnterLoggedOut() {
    Edit_logon->setText(QStringLiteral("WYLOGOWANY"));
    paintBackground(Edit_logon, Colour::Red);
    transferArmed_ = false;
    HideLiveStatus();
    showValue(TextWersja, QStringLiteral("MX-4 v ..."));
    paintText(TextWersja, Colour::Grey);
    BarRSSI->setValue(0);
    link_->st.loggedIn = false;
    link_->st.pollingEnabled = false;
    link_->st.stopRequested = true;
    // A download under way ends with the login.
    if (eventRegister) eventRegister->loggedOut();
    link_->activity().loginChanged(false);
    applyControlTable();
}

void TMain::onPortLost(const QString& message) {
    // The adapter was pulled out or the line hung up: one message, then the idle state.
    showPortClosed();
    EnterLoggedOut();
    FormCom->hide();
    people_->beep();
    people_->error(message);
}

void TMain::lookUpPorts() {
    const bool open = port_->Connected();
    // The list is looked at only while the person could pick from it; an open port for its presence.
    if (!open && !portsWatched(situation())) return;
    if (portWatcher_->lookUp()) lookUpFor_ = open ? port_->portName() : QString();
}

void TMain::portsListed(const QVector<PortEntry>& ports) {
    // A look-up that began in another state than this one says nothing about it.
    if (port_->Connected()) {
        if (lookUpFor_ == port_->portName()) checkPortPresent(ports);
    } else if (lookUpFor_.isEmpty() && portsWatched(situation())) {
        followPorts(ports);
    }
}

void TMain::checkPortPresent(const QVector<PortEntry>& ports) {
    if (!port_->Connected()) return;
    for (const PortEntry& p : ports)
        if (p.portName == port_->portName()) return;
    // The driver said nothing, but the adapter is gone.
    port_->ClosePort();
    onPortLost(QStringLiteral("Port %1 został odłączony od komputera").arg(port_->portName()));
}

// ---------------------------------------------------------------- ports

void TMain::setPortList(const QVector<PortEntry>& ports) {
    ports_ = ports;
    portNames = portNamesOf(ports);
    deviceNames.clear();
    for (const PortEntry& p : ports) deviceNames.append(p.deviceName);
    ComCombo->clear();
    ComCombo->addItems(portNames);
}

void TMain::ListSerialPorts() { setPortList(catalog_->listPorts()); }

void TMain::followPorts(const QVector<PortEntry>& ports) {
    const QStringList names = portNamesOf(ports);
    const QSet<QString> before(portNames.cbegin(), portNames.cend());
    if (QSet<QString>(names.cbegin(), names.cend()) == before) return;
    const QString chosen = ComCombo->currentIndex() >= 0 ? ComCombo->currentText() : QString();
    setPortList(ports);
    int index = chosen.isEmpty() ? -1 : ComCombo->findText(chosen);
    // None was chosen or the chosen port went away: a port that has just appeared, else the first.
    for (int i = 0; index < 0 && i < names.size(); ++i)
        if (!before.contains(names.at(i))) index = i;
    if (index < 0 && !names.isEmpty() && !names.first().isEmpty()) index = 0;
    ComCombo->setCurrentIndex(index);
    if (index >= 0) port_->Port(ComCombo->itemText(index));
    applyControlTable();
    if (FormJakieCOM->isVisible()) fillPortsDialog();
}

void TMain::RefreshPortList() {
    if (port_->Connected()) {
        // The open port, its name and the choice stay; only the lists are brought up to date.
        const QString current = port_->portName();
        ListSerialPorts();
        ComCombo->setCurrentIndex(ComCombo->findText(current));
        applyControlTable();
        return;
    }
    // "POŁĄCZ" follows the choice through the control table.
    const auto apply = qScopeGuard([this] { applyControlTable(); });
    ListSerialPorts();
    if (ComCombo->count() == 0 || ComCombo->itemText(0).isEmpty()) {
        ComCombo->setCurrentIndex(-1);
        return;
    }
    ComCombo->setCurrentIndex(0);
    port_->Port(ComCombo->itemText(0));
}

void TMain::ComComboChange(int index) {
    if (index < 0) return;
    port_->Port(ComCombo->itemText(index));
    applyControlTable();
}

void TMain::ComComboExit() { applyControlTable(); }

void TMain::ShowPortsDialog() {
    FormJakieCOM->showBeside();
    RefreshPortList();
    fillPortsDialog();
}

void TMain::fillPortsDialog() {
    QStringList devices, verdicts;
    for (const PortEntry& p : ports_) {
        devices.append(deviceColumnText(p));
        verdicts.append(verdicts_.value(p.portName));
    }
    FormJakieCOM->showPorts(portNames, devices, verdicts);
}

void TMain::ButtonSzukajClick() {
    // The password as the login sends it; one the recorder could not be sent is refused before a port opens.
    const QByteArray password = toCp1250(Edit_haslo->text(), QStringLiteral("Hasło"));
    verdicts_.clear();
    FormJakieCOM->showBeside();
    fillPortsDialog();
    const QVector<ProbeResult> results = portSearch_->run(ports_, password);
    if (shuttingDown) return;
    const int found = firstRecorder(results);
    if (found < 0) return;
    const int index = ComCombo->findText(results.at(found).port.portName);
    if (index < 0) return;
    ComCombo->setCurrentIndex(index);
    port_->Port(ComCombo->itemText(index));
    applyControlTable();
}
