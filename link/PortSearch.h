#pragma once
// The search for a recorder among the listed ports ("Szukaj MX-4", `mx4ctl ports --probe`).
//
// Each port in turn: opened with the link's fixed settings, its lines raised, a second's pause, the
// preamble, another second, and one login frame with the password, answered or not within the login's
// time-out; no resend. Any well-formed reply to the login proves a recorder, a refused password too.
// Where the recorder let us in we log out again; then the port closes. Ports are asked with port
// objects of their own (PortCatalog::makePort), never with the window's.
//
// Straight-line code on the calling thread, like every exchange: its pauses and waits run events and
// sleep until the next one, so the window stays usable while it runs. cancel() ends the search at the
// next safe point: the port it is asking closed.

#include "link/Errors.h"
#include "link/Link.h"
#include "link/PortCatalog.h"

#include <QObject>
#include <QVector>

class SerialPort;

enum class ProbeVerdict : quint8 {
    Recorder,       // the password was accepted
    WrongPassword,  // a recorder refused the password
    NoAnswer,       // nothing well-formed came back to the login
    Busy,           // another program holds the port
    Denied,         // no permission to open the port
    OpenFailed,     // any other failure of the port
    Cancelled,      // the search ended while this port was being asked
};

struct ProbeResult {
    PortEntry port;
    ProbeVerdict verdict = ProbeVerdict::NoAnswer;
    int systemCode = PortError::kNoCode;  // why the port failed
    quint64 ticks = 0;                    // the link's ticks from the open to the close
    qint64 elapsedMs = 0;
    int loginFrames = 0;                  // login frames sent: one, there is no resend
    bool loggedOut = false;               // logged in, and the recorder confirmed the logout
    bool answered() const { return verdict == ProbeVerdict::Recorder || verdict == ProbeVerdict::WrongPassword; }
};

// "MX-4 odpowiada", "MX-4: błędne hasło", "brak odpowiedzi", "zajęty", "brak uprawnień",
// "błąd portu (Error: N)", "przerwano".
QString verdictText(const ProbeResult& result);
// Shown beside the port while it is being asked.
QString probingText();
// The index of the first port where a recorder answered; -1 when none did.
int firstRecorder(const QVector<ProbeResult>& results);

class PortSearch : public QObject {
    Q_OBJECT
public:
    // Ports come from `catalog`; the link's tick is `tickMs` (faster only in tests).
    explicit PortSearch(const PortCatalog* catalog, int tickMs = Link::kProductTickMs, QObject* parent = nullptr);

    // Asks the ports in their order and returns a result for each port it reached: all of them, unless
    // the search was cancelled or the program is closing.
    QVector<ProbeResult> run(const QVector<PortEntry>& ports, const QByteArray& password);
    bool running() const { return running_; }
    // Ends a search under way at its next safe point; nothing when none runs.
    void cancel() {
        if (running_) cancelled_ = true;
    }
    bool cancelled() const { return cancelled_; }

Q_SIGNALS:
    // Port `index` of the list is being asked now.
    void probing(int index, const PortEntry& port);
    void probed(int index, const ProbeResult& result);

private:
    ProbeResult probe(const PortEntry& entry, const QByteArray& password);
    // The lines, the pauses, the preamble, the login and the logout on an open port.
    void ask(Link& link, SerialPort& port, const QByteArray& password, ProbeResult& result);
    bool stopping() const;

    const PortCatalog* catalog_;
    int tickMs_;
    bool running_ = false;
    bool cancelled_ = false;
};
