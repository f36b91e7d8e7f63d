#include "link/PortSearch.h"

#include "link/ErrorHook.h"
#include "link/People.h"
#include "link/SerialPort.h"
#include "link/Session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <cerrno>

namespace {
#ifdef Q_OS_WIN
// Windows answers ERROR_ACCESS_DENIED for a port that another program holds.
constexpr int kBusyCode = 5;
constexpr int kDeniedCode = -2;
#else
constexpr int kBusyCode = EBUSY;
constexpr int kDeniedCode = EACCES;
#endif

// The pauses before the login, in ticks, as at every connect.
constexpr int kPauseTicks = 10;

// Nobody is told anything while ports are asked: each verdict is the answer.
class SilentPeople : public People {
public:
    void beep() override {}
    void error(const QString&) override {}
    void information(const QString&) override {}
    void warning(const QString&) override {}
    void plain(const QString&) override {}
    bool askYesNo(const QString&) override { return false; }
    QString openFileName(const FileDialogRequest&) override { return QString(); }
    QString saveFileName(const FileDialogRequest&) override { return QString(); }
    bool printerSetup(QPrinter&) override { return false; }
};

// The replies are read from the link's registers; nobody else is to see them.
class QuietHost : public LinkHost {
public:
    void DispatchReply(quint8, const QByteArray&) override {}
    void DropConnection() override {}
    void EnterLoggedOut() override {}
};
}  // namespace

QString verdictText(const ProbeResult& result) {
    switch (result.verdict) {
    case ProbeVerdict::Recorder: return QStringLiteral("MX-4 odpowiada");
    case ProbeVerdict::WrongPassword: return QStringLiteral("MX-4: błędne hasło");
    case ProbeVerdict::NoAnswer: return QStringLiteral("brak odpowiedzi");
    case ProbeVerdict::Busy: return QStringLiteral("zajęty");
    case ProbeVerdict::Denied: return QStringLiteral("brak uprawnień");
    case ProbeVerdict::OpenFailed:
        return result.systemCode == PortError::kNoCode ? QStringLiteral("błąd portu")
                                                       : QStringLiteral("błąd portu (Error: %1)").arg(result.systemCode);
    case ProbeVerdict::Cancelled: return QStringLiteral("przerwano");
    }
    return QString();
}

QString probingText() { return QStringLiteral("sprawdzam..."); }

int firstRecorder(const QVector<ProbeResult>& results) {
    for (int i = 0; i < results.size(); ++i)
        if (results.at(i).answered()) return i;
    return -1;
}

PortSearch::PortSearch(const PortCatalog* catalog, int tickMs, QObject* parent)
    : QObject(parent), catalog_(catalog), tickMs_(tickMs) {}

bool PortSearch::stopping() const { return cancelled_ || shuttingDown; }

QVector<ProbeResult> PortSearch::run(const QVector<PortEntry>& ports, const QByteArray& password) {
    QVector<ProbeResult> results;
    if (running_) return results;
    running_ = true;
    cancelled_ = false;
    const auto done = qScopeGuard([this] { running_ = false; });
    for (int i = 0; i < ports.size() && !stopping(); ++i) {
        Q_EMIT probing(i, ports.at(i));
        results.append(probe(ports.at(i), password));
        Q_EMIT probed(i, results.last());
    }
    return results;
}

ProbeResult PortSearch::probe(const PortEntry& entry, const QByteArray& password) {
    ProbeResult r;
    r.port = entry;
    QElapsedTimer clock;
    clock.start();
    const std::unique_ptr<SerialPort> port = catalog_->makePort(entry);
    try {
        port->OpenPort();
    } catch (const PortError& e) {
        r.systemCode = e.systemCode();
        r.verdict = e.systemCode() == kBusyCode     ? ProbeVerdict::Busy
                    : e.systemCode() == kDeniedCode ? ProbeVerdict::Denied
                                                    : ProbeVerdict::OpenFailed;
        r.elapsedMs = clock.elapsed();
        return r;
    }
    {
        SilentPeople people;
        QuietHost host;
        Link link(port.get(), &people, tickMs_);
        link.setHost(&host);
        link.resetReceiver();
        link.startTimer();
        connect(&link, &Link::frameSent, this, [&r](const QByteArray& frame) {
            if (frame.size() > 1 && quint8(frame.at(1)) == kLoginCode) ++r.loginFrames;
        });
        const auto close = qScopeGuard([&] { port->ClosePort(); });
        ask(link, *port, password, r);
        r.ticks = link.tickCount();
    }
    r.elapsedMs = clock.elapsed();
    if (r.verdict == ProbeVerdict::NoAnswer && cancelled_) r.verdict = ProbeVerdict::Cancelled;
    return r;
}

void PortSearch::ask(Link& link, SerialPort& port, const QByteArray& password, ProbeResult& r) {
    // The link's own pause, but one that sleeps in the event loop and ends at once when the search is
    // cancelled or the port goes.
    const auto pause = [&](int ticks) {
        const quint64 until = link.tickCount() + quint64(ticks);
        while (link.tickCount() < until && !stopping() && port.Connected())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return !stopping() && port.Connected();
    };
    try {
        port.SetDtrLine(true);
        port.SetRtsLine(true);
        if (!pause(kPauseTicks)) return;
        link.SendFrame(kPreambleCode, QByteArray(50, '0'));
        if (!pause(kPauseTicks)) return;
        link.SendFrame(kLoginCode, password);
        if (!link.awaitReply(kLoginTimeout, kLoginCode, [this] { return stopping(); }) || !port.Connected()) return;
        const QByteArray verdict = link.replyPayloadOf(kLoginCode);
        r.verdict = !verdict.isEmpty() && verdict.at(0) == 'T' ? ProbeVerdict::Recorder : ProbeVerdict::WrongPassword;
        if (r.verdict == ProbeVerdict::Recorder) {
            // Left logged in, the recorder would wait for a command that never comes. A cancel does not
            // cut the logout short.
            link.SendFrame(kLogoutCode, QByteArrayLiteral("W"));
            r.loggedOut = link.awaitReply(kLoginTimeout, kLogoutCode, [] { return shuttingDown; });
        }
    } catch (const PortError& e) {
        // The port opened but fails: a line that cannot be raised, a write the driver refuses.
        r.verdict = ProbeVerdict::OpenFailed;
        r.systemCode = e.systemCode();
    }
}
