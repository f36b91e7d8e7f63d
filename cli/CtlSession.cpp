#include "cli/CtlSession.h"

#include "cli/CtlPeople.h"
#include "cli/Interrupt.h"
#include "link/Errors.h"
#include "link/PortCatalog.h"
#include "link/PortHints.h"
#include "link/QtSerialPort.h"
#include "link/SerialPort.h"
#include "link/Session.h"
#include "link/StatusDecode.h"
#include "link/Text.h"
#include "sim/DemoPort.h"
#include "sim/SimWire.h"

CtlSession::CtlSession(const QString& port, CtlPeople* people, QObject* parent) : QObject(parent), people_(people) {
    if (port == simulatorName()) {
        // The demo build's recorder, on its paced in-process line.
        const DemoSimulator demo = MakeDemoSimulator(this);
        port_ = demo.wire;
        portName_ = demo.wire->portName();
    } else {
        port_ = new QtSerialPort(this);
        portName_ = port;
        const QVector<PortEntry> ports = SystemPortCatalog().listPorts();
        if (portName_.isEmpty() && !ports.isEmpty()) {
            // As the window preselects it: the first port of the list; the person is told which.
            const PortEntry& first = ports.first();
            portName_ = first.portName;
            people_->information(QStringLiteral("port %1 (%2)").arg(first.portName, deviceColumnText(first)));
        }
        for (const PortEntry& p : ports)
            if (p.portName == portName_) portName_ = p.deviceName.isEmpty() ? p.portName : p.deviceName;
        port_->Port(portName_);
    }
    link_ = new Link(port_, people_, Link::kProductTickMs, this);
    link_->setHost(this);
    link_->setInterruptSource([this] { return !ending_ && Interrupt::requested(); });
    download_ = new EventDownload(link_, this);
    connect(port_, &SerialPort::portLost, this, [this](const QString& message) {
        EnterLoggedOut();
        people_->error(message);
    });
}

CtlSession::~CtlSession() {
    if (port_ && port_->Connected()) port_->ClosePort();
}

bool CtlSession::loggedIn() const { return link_->st.loggedIn && port_->Connected(); }

int CtlSession::open() {
    if (portName_.isEmpty()) {
        people_->error(QStringLiteral("no serial port: name one with --port"));
        return kExitPort;
    }
    try {
        openSelectedPort();
    } catch (const PortError& e) {
        tellPortError(e);
        return kExitPort;
    }
    return kExitDone;
}

void CtlSession::tellPortError(const PortError& error) {
    people_->error(portErrorLine(error, portName_));
    const QString hint = permissionHint(error.systemCode());
    if (!hint.isEmpty()) people_->error(hint);
}

void CtlSession::openSelectedPort() {
    link_->startTimer();
    if (!port_->Connected()) {
        port_->OpenPort();
        link_->resetReceiver();
    }
}

int CtlSession::connectAndLogIn(const QString& password) {
    // A password the recorder could not be sent is refused before anything goes out.
    const QByteArray bytes = toCp1250(password, QStringLiteral("Hasło"));
    if (const int opened = open(); opened != kExitDone) return opened;
    link_->processPendingEvents();
    LoginVerdict verdict;
    try {
        verdict = LogIn(*link_, bytes);
    } catch (const PortError& e) {
        tellPortError(e);
        close();
        return kExitPort;
    }
    switch (verdict) {
    case LoginVerdict::LoggedIn:
        recorderVersion_ = VersionText(link_->replyPayloadOf(1)).value_or(QString());
        EnterLoggedIn();
        return loggedIn() ? kExitDone : kExitRecorder;
    case LoginVerdict::WrongPassword:
        people_->beep();
        people_->error(QStringLiteral("Błędne hasło"));
        link_->processPendingEvents();
        close();
        return kExitRecorder;
    case LoginVerdict::NoAnswer:
    case LoginVerdict::LineLost:
        break;
    }
    close();
    return kExitRecorder;
}

void CtlSession::logOutAndClose() {
    // After Ctrl-C too: the recorder is logged out and gets its second before the line goes.
    ending_ = true;
    link_->st.stopRequested = true;
    if (port_->Connected() && link_->st.loggedIn) {
        EnterLoggedOut();
        LogOut(*link_);
    }
    close();
}

void CtlSession::close() {
    EnterLoggedOut();
    if (port_->Connected()) DropConnection();
}

void CtlSession::DispatchReply(quint8 code, const QByteArray& payload) {
    switch (code) {
    case EventDownload::kEndCode:
    case EventDownload::kRecordCode:
    case EventDownload::kStartCode:
    case EventDownload::kStopCode:
        download_->reply(code, payload);
        break;
    default:
        // Items and the status are taken from the wait that asked for them.
        break;
    }
}

void CtlSession::DropConnection() {
    link_->st.stopRequested = true;
    // The recorder gets its second before the line goes.
    link_->PausePumping(10, true);
    if (port_->Connected()) port_->ClosePort();
}

void CtlSession::EnterLoggedOut() {
    link_->st.loggedIn = false;
    link_->st.pollingEnabled = false;
    link_->st.stopRequested = true;
    download_->loggedOut();
    link_->activity().loginChanged(false);
}

void CtlSession::EnterLoggedIn() {
    if (!port_->Connected()) return;
    link_->st.loggedIn = true;
    link_->st.pollTicks = 0;
    link_->activity().loginChanged(true);
}
