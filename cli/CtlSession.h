#pragma once
// mx4ctl's side of the link: the port it was told to use, the exchange engine on it, and the
// connection as the window makes it (port open, preamble, pauses, login) and ends it (logout, the
// recorder's second, port closed). Replies of the event register go to the download.

#include "events/EventDownload.h"
#include "link/Link.h"
#include "link/Shell.h"

#include <QObject>
#include <memory>

class CtlPeople;
class PortError;
class SerialPort;

// The tool's exit status.
enum ExitCode {
    kExitDone = 0,
    kExitDiffers = 1,     // differences found, or the verification failed
    kExitUsage = 2,
    kExitRecorder = 3,    // no answer, a refused password or command
    kExitFile = 4,        // a file that cannot be read, is damaged or cannot be written
    kExitPort = 5,        // the port cannot be opened
};

class CtlSession : public QObject, public Shell {
    Q_OBJECT
public:
    // The name of the built-in simulated recorder.
    static QString simulatorName() { return QStringLiteral("sim"); }

    // `port` is a name from the port list, a device, "sim" or empty for the first port.
    CtlSession(const QString& port, CtlPeople* people, QObject* parent = nullptr);
    ~CtlSession() override;

    // The port as chosen; empty when there is none to choose (no --port and no port in the system).
    QString portName() const { return portName_; }
    Link& link() { return *link_; }
    SerialPort& port() { return *port_; }
    EventDownload& download() { return *download_; }

    // Opens the port: kExitDone, or kExitPort with the port's own message told.
    int open();
    // open(), then the login as the window does it: kExitDone when logged in, kExitRecorder when the
    // recorder did not answer or refused the password (said so), kExitPort when the port would not open.
    int connectAndLogIn(const QString& password);
    // The logout and the closing of the port; nothing when the port is closed already.
    void logOutAndClose();
    // The closing alone (a command after which the recorder does not answer, such as the restart).
    void close();
    // A port failure on standard error: the port, the failure and the system's words; how to get access
    // when it was refused.
    void tellPortError(const PortError& error);
    bool loggedIn() const;
    // From here on Ctrl-C no longer cuts the session's waits short (a firmware update runs to its end).
    void keepWaitsThroughInterrupts() { ending_ = true; }
    // The recorder's firmware version as its login answered it ("MX-4 v 1.2"); empty before a login.
    QString recorderVersion() const { return recorderVersion_; }

    // ---- Shell
    void DispatchReply(quint8 code, const QByteArray& payload) override;
    void DropConnection() override;
    void EnterLoggedOut() override;
    void EnterLoggedIn() override;
    void ShowLiveStatus() override {}
    void HideLiveStatus() override {}
    void openSelectedPort() override;
    QWidget* dialogParent() override { return nullptr; }
    void refreshControls() override {}
    void armTransferButtons() override {}

private:
    CtlPeople* people_;
    // The session is logging out and closing: an interrupt no longer cuts its waits short.
    bool ending_ = false;
    QString recorderVersion_;
    QString portName_;
    SerialPort* port_ = nullptr;
    Link* link_ = nullptr;
    EventDownload* download_ = nullptr;
};
