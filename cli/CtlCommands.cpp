#include "cli/CtlCommands.h"

#include "cli/CtlArchive.h"
#include "cli/CtlPeople.h"
#include "archive/RegisterArchive.h"
#include "cli/CtlSession.h"
#include "cli/Interrupt.h"
#include "cli/Terminal.h"
#include "config/ConfigDiff.h"
#include "config/ConfigFile.h"
#include "config/Defaults.h"
#include "config/ItemTransfer.h"
#include "config/SafeSave.h"
#include "config/WorkingBuffer.h"
#include "events/EventDownload.h"
#include "events/EventRecords.h"
#include "link/Errors.h"
#include "link/Link.h"
#include "link/PortCatalog.h"
#include "link/PortSearch.h"
#include "link/SerialPort.h"
#include "link/StatusDecode.h"
#include "link/Text.h"
#include "maintenance/FirmwareUpdate.h"
#include "maintenance/ServiceCommands.h"
#include "maintenance/ServiceExchange.h"
#include "sim/DemoPort.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <optional>

namespace {

QString usageText() {
    return QStringLiteral(
        "Usage: mx4ctl [--port PORT] [--password NNNN] [--yes] COMMAND [ARGS]\n"
        "  ports [--probe] [--json]    the serial ports (those named with --port): name and device with\n"
        "                              what the system knows of it, one a line; --probe asks each for a\n"
        "                              recorder with the password and adds the verdict\n"
        "  status [--watch]            one live-status reading, \"name: value\" a line\n"
        "  read -o FILE.ncf            read the configuration into a file\n"
        "  write FILE.ncf [--changed] [--verify]\n"
        "                              write a configuration file\n"
        "  diff FILE.ncf               the fields where the recorder and the file differ\n"
        "  show FILE.ncf [--json]      a configuration file in words (no recorder needed)\n"
        "  events [-o FILE.txt] [--csv FILE.csv] [--archive FILE.mx4a [--force]] [--erase]\n"
        "                              download the event register; --erase only after a\n"
        "                              complete download whose files and archive were written\n"
        "  erase | clock | restart | reset-counters | password NEW | firmware FILE.nfr\n"
        "  archive FILE.mx4a create --site NAME | info [--json] | import FILE.txt... [--force]\n"
        "        | csv -o FILE.csv [--from YYYY-MM-DD] [--to YYYY-MM-DD] | log | verify\n"
        "        | report [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--max +8] [--min +2] [-o FILE.pdf] [--json]\n"
        "                              the register archive (no recorder needed); report: the figures\n"
        "                              of a period, -o its report as a PDF\n"
        "--port takes a name from \"ports\", a device, or \"sim\" (the built-in simulated recorder).\n"
        "Exit status: 0 done, 1 differences found or verification failed, 2 wrong usage, 3 the recorder\n"
        "did not answer or refused, 4 a file cannot be read, is damaged or cannot be written, 5 the port\n"
        "cannot be opened.");
}

int usageError(const QString& problem) {
    Terminal::err(QStringLiteral("mx4ctl: ") + problem);
    Terminal::err(QStringLiteral("Try 'mx4ctl --help'."));
    return kExitUsage;
}

// A configuration file read and checked as the window reads it; nothing when it cannot be used (said).
std::optional<LoadedConfig> loadConfigFile(const QString& path, People& people) {
    QByteArray buffer;
    try {
        if (!ReadConfigFile(path, kConfigMagic, buffer, people)) return std::nullopt;
    } catch (const AppError& e) {
        people.error(e.message());
        return std::nullopt;
    }
    std::optional<LoadedConfig> loaded = ParseConfigFile(buffer, ConfigValues::defaults());
    if (!loaded) people.error(QStringLiteral("Zly format pliku"));
    return loaded;
}

bool saveOrSay(const QString& path, const QByteArray& bytes, People& people, const QString& failure) {
    QString why;
    if (saveFileSafely(path, bytes, &why)) return true;
    people.error(failure.arg(path, why));
    return false;
}

QString quoted(const QString& value) { return QLatin1Char('"') + value + QLatin1Char('"'); }

// ---------------------------------------------------------------- commands without a recorder

// The ports named with --port (a name of the system's list, a device, or "sim"), or all the system's.
QVector<PortEntry> portsToList(const CtlOptions& o) {
    if (o.ports.isEmpty()) return SystemPortCatalog().listPorts();
    QVector<PortEntry> system;
    bool systemListed = false;
    QVector<PortEntry> ports;
    for (const QString& name : o.ports) {
        if (name == CtlSession::simulatorName()) {
            ports.append(DemoPort::simulatorEntry());
            continue;
        }
        if (!systemListed) system = SystemPortCatalog().listPorts();
        systemListed = true;
        PortEntry entry{name, name};
        for (const PortEntry& p : system)
            if (p.portName == name || p.deviceName == name) entry = p;
        ports.append(entry);
    }
    return ports;
}

QJsonObject portObject(const PortEntry& p) {
    const auto id = [](int value) {
        return value < 0 ? QJsonValue() : QJsonValue(QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')));
    };
    return {{QStringLiteral("name"), p.portName},         {QStringLiteral("device"), p.deviceName},
            {QStringLiteral("description"), p.description}, {QStringLiteral("manufacturer"), p.manufacturer},
            {QStringLiteral("vendorId"), id(p.vendorId)},   {QStringLiteral("productId"), id(p.productId)},
            {QStringLiteral("serialNumber"), p.serialNumber}};
}

// The ports, one a line ("name<TAB>device column"), or as JSON objects; --probe asks each for a recorder
// as "Szukaj MX-4" does and adds its verdict: 0 when a recorder answered somewhere, 3 when none did.
int commandPorts(const CtlOptions& o) {
    const QVector<PortEntry> ports = portsToList(o);
    const auto line = [](const PortEntry& p) { return p.portName + QLatin1Char('\t') + deviceColumnText(p); };
    if (!o.probe) {
        QJsonArray array;
        for (const PortEntry& p : ports) {
            if (o.json) array.append(portObject(p));
            else Terminal::out(line(p));
        }
        if (o.json) Terminal::outRaw(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return kExitDone;
    }
    const QByteArray password = toCp1250(o.password, QStringLiteral("Hasło"));
    // The built-in simulator is reached through a wire of its own; every other port is a real one.
    QObject owner;
    const DemoSimulator sim = MakeDemoSimulator(&owner);
    const DemoPortCatalog catalog(std::make_unique<SystemPortCatalog>(), sim.recorder);
    PortSearch search(&catalog);
    QJsonArray array;
    QObject::connect(&search, &PortSearch::probed, [&](int, const ProbeResult& r) {
        if (!o.json) {
            Terminal::out(line(r.port) + QLatin1Char('\t') + verdictText(r));
            return;
        }
        QJsonObject object = portObject(r.port);
        object.insert(QStringLiteral("verdict"), verdictText(r));
        array.append(object);
    });
    const QVector<ProbeResult> results = search.run(ports, password);
    if (o.json) Terminal::outRaw(QJsonDocument(array).toJson(QJsonDocument::Indented));
    return firstRecorder(results) >= 0 ? kExitDone : kExitRecorder;
}

int commandShow(const CtlOptions& o, CtlPeople& people) {
    const std::optional<LoadedConfig> file = loadConfigFile(o.arguments.at(0), people);
    if (!file) return kExitFile;
    const QVector<FieldValue> fields = DescribeConfig({file->values, file->password, false, {}});
    if (o.json) {
        QJsonObject object;
        for (const FieldValue& f : fields) object.insert(f.name, f.value);
        Terminal::outRaw(QJsonDocument(object).toJson(QJsonDocument::Indented));
        return kExitDone;
    }
    for (const FieldValue& f : fields) Terminal::out(f.label + QStringLiteral(": ") + f.value);
    return kExitDone;
}

// ---------------------------------------------------------------- with a recorder

// The session of one command: logged in at the start, logged out at the end.
struct Connected {
    CtlSession session;
    int status;
    Connected(const CtlOptions& o, CtlPeople& people) : session(o.port, &people) {
        status = session.connectAndLogIn(o.password);
    }
    ~Connected() { session.logOutAndClose(); }
    bool ok() const { return status == kExitDone; }
};

// Reads every item (or these) into `values`; false when the recorder stopped answering (said, also for
// the status-query text, where the link itself says nothing) or the command was interrupted. The items
// whose answer could not be decoded go to `undecodable`.
bool readItems(CtlSession& s, ConfigValues& values, const QVector<int>& items, const QString& label,
               CtlPeople& people, QVector<int>* undecodable) {
    Progress progress(label);
    const int total = int(ItemTransfer::itemsNumbered(items).size());
    ItemTransfer engine(&s.link());
    const ItemTransfer::Outcome outcome = engine.read(values, items, [&](const ConfigItem&, int done) {
        progress.set(done, total);
    });
    if (engine.failedSilently()) people.error(QStringLiteral("Brak odpowiedzi z MX-4"));
    *undecodable = engine.undecodable();
    return outcome == ItemTransfer::Outcome::Done;
}

// The status request waits as the window's periodic one does: ten ticks a try.
constexpr int kStatusTimeout = 10;

int commandStatus(const CtlOptions& o, CtlPeople& people) {
    Connected c(o, people);
    if (!c.ok()) return c.status;
    Link& link = c.session.link();
    for (bool first = true;; first = false) {
        if (!first) link.PausePumping(10);
        // Ctrl-C ends the watch between two readings.
        if (Interrupt::requested()) return kExitDone;
        link.SendFrame(Link::kStatusCode, QByteArrayLiteral("G"));
        if (!link.WaitReply(kStatusTimeout, Link::kStatusCode)) return kExitRecorder;
        const std::optional<LiveStatus> s = DecodeStatus(link.replyPayloadOf(Link::kStatusCode));
        if (!s) {
            people.error(QStringLiteral("status reply too short"));
            return kExitRecorder;
        }
        if (!first) Terminal::out(QString());
        const auto onOff = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
        Terminal::out(QStringLiteral("Temperatura: ") + s->temperatureText);
        Terminal::out(QStringLiteral("Napięcie baterii: ") + s->batteryText);
        Terminal::out(QStringLiteral("Napięcie zasilacza 5V: ") + s->supplyText);
        for (int i = 0; i < 5; ++i) Terminal::out(QStringLiteral("Wejście %1: %2").arg(i + 1).arg(onOff(s->inputs[i])));
        for (int i = 0; i < 4; ++i) Terminal::out(QStringLiteral("Wyjście %1: %2").arg(i + 1).arg(onOff(s->outputs[i])));
        Terminal::out(QStringLiteral("Flaga F: ") + onOff(s->fFlag));
        Terminal::out(QStringLiteral("Stan modemu GSM: ") + ModemStateText(s->modemState));
        Terminal::out(QStringLiteral("Poziom sygnału GSM: %1").arg(s->signalGauge));
        Terminal::out(QStringLiteral("Ilość zdarzeń do obsługi: %1").arg(s->eventsWaiting));
        Terminal::out(QStringLiteral("SMS dzisiaj: %1").arg(s->smsUsed));
        Terminal::out(QStringLiteral("Voice dzisiaj: %1").arg(s->voiceUsed));
        if (!o.watch) return kExitDone;
    }
}

int commandRead(const CtlOptions& o, CtlPeople& people) {
    ConfigValues values = ConfigValues::defaults();
    QVector<int> undecodable;
    {
        Connected c(o, people);
        if (!c.ok()) return c.status;
        if (!readItems(c.session, values, {}, QStringLiteral("Pobieram konfiguracje sterownika"), people, &undecodable))
            return kExitRecorder;
    }
    // A file must not hold defaults where the recorder's answer could not be read.
    for (int item : undecodable) people.error(QStringLiteral("Błędna odpowiedź MX-4 dla pozycji %1").arg(item));
    if (!undecodable.isEmpty() || Interrupt::requested()) return kExitRecorder;
    QByteArray bytes;
    try {
        bytes = BuildConfigFile(values, o.password);
    } catch (const AppError& e) {
        people.error(e.message());
        return kExitFile;
    }
    return saveOrSay(o.output, bytes, people, QStringLiteral("Nie zapisano pliku konfiguracji %1: %2")) ? kExitDone
                                                                                                      : kExitFile;
}

int commandDiff(const CtlOptions& o, CtlPeople& people) {
    const std::optional<LoadedConfig> file = loadConfigFile(o.arguments.at(0), people);
    if (!file) return kExitFile;
    ConfigSide recorder{file->values, std::nullopt, false, {}};
    {
        Connected c(o, people);
        if (!c.ok()) return c.status;
        if (!readItems(c.session, recorder.values, {}, QStringLiteral("Pobieram konfiguracje sterownika"), people,
                       &recorder.unreadableItems))
            return kExitRecorder;
    }
    const QVector<FieldDifference> rows = DiffConfig({file->values, file->password, false, {}}, recorder);
    for (const FieldDifference& d : rows)
        Terminal::out(QStringLiteral("%1 [%2]: plik %3, MX-4 %4").arg(d.label, d.name, quoted(d.ours), quoted(d.theirs)));
    return rows.isEmpty() ? kExitDone : kExitDiffers;
}

int commandWrite(const CtlOptions& o, CtlPeople& people) {
    const std::optional<LoadedConfig> file = loadConfigFile(o.arguments.at(0), people);
    if (!file) return kExitFile;
    // Every payload is checked before the first frame goes out.
    try {
        ItemTransfer::checkEncodable(file->values);
    } catch (const AppError& e) {
        people.error(e.message());
        return kExitFile;
    }
    Connected c(o, people);
    if (!c.ok()) return c.status;
    ItemTransfer engine(&c.session.link());
    QVector<int> items;
    if (o.changed) {
        ConfigSide recorder{file->values, std::nullopt, false, {}};
        if (!readItems(c.session, recorder.values, {}, QStringLiteral("Pobieram konfiguracje sterownika"), people,
                       &recorder.unreadableItems))
            return kExitRecorder;
        // An item whose answer could not be read counts as changed: it is written.
        items = ItemsOf(DiffConfig({file->values, std::nullopt, false, {}}, recorder));
        if (items.isEmpty()) {
            people.information(QStringLiteral("Konfiguracja w MX-4 jest taka sama jak w pliku"));
            return kExitDone;
        }
    }
    const int total = int(ItemTransfer::itemsNumbered(items).size());
    {
        Progress progress(QStringLiteral("Wysyłam konfiguracje do nadajnika"));
        const ConfigValues sent = file->values;
        try {
            if (engine.write([&sent] { return sent; }, items, [&](const ConfigItem&, int done) { progress.set(done, total); }) !=
                ItemTransfer::Outcome::Done)
                return kExitRecorder;
        } catch (const AppError& e) {
            people.error(e.message());
            return kExitFile;
        }
    }
    if (o.verify) {
        ConfigValues back = file->values;
        QVector<int> unreadable;
        if (!readItems(c.session, back, items, QStringLiteral("Weryfikacja"), people, &unreadable)) return kExitRecorder;
        const QVector<FieldDifference> wrong = WrongAfterWrite(file->values, back, items, unreadable);
        if (!wrong.isEmpty()) {
            QStringList labels;
            for (const FieldDifference& d : wrong) labels << d.label;
            people.error(QStringLiteral("Weryfikacja nieudana: ") + labels.join(QStringLiteral(", ")));
            return kExitDiffers;
        }
    }
    if (o.changed) people.information(QStringLiteral("Zapisano zmienione pozycje: %1").arg(total));
    return kExitDone;
}

enum class Erase { Done, Declined, Failed };

Erase eraseAsked(CtlSession& s, CtlPeople& people) {
    if (!people.askYesNo(QStringLiteral("Czy skasować rejestr zdarzeń ?"))) return Erase::Declined;
    if (!EraseRegister(s.link())) return Erase::Failed;
    people.information(QStringLiteral("Rejestr zdarzeń skasowany"));
    return Erase::Done;
}

int eraseStatus(Erase e) {
    switch (e) {
    case Erase::Done: return kExitDone;
    case Erase::Declined: return kExitUsage;
    case Erase::Failed: break;
    }
    return kExitRecorder;
}

// A stop asked for by Ctrl-C: the recorder gets this many ticks to confirm it before the logout.
constexpr int kStopGraceTicks = 20;

// Downloads the register; returns when the download has ended, or, after Ctrl-C, once the recorder has
// stopped sending or its grace has run out.
void runDownload(CtlSession& session) {
    EventDownload& download = session.download();
    Link& link = session.link();
    download.start();
    std::optional<quint64> stopAt;
    while (download.running()) {
        if (Interrupt::requested()) {
            if (!stopAt) {
                // The stop goes out now, not only with the next record: the line may be quiet. (A download
                // interrupted while it waited for the register's header has asked already.)
                if (!link.st.stopRequested) {
                    download.requestStop();
                    if (link.port()->Connected()) link.SendFrame(EventDownload::kStopCode, QByteArrayLiteral("x"));
                }
                stopAt = link.tickCount();
            } else if (link.tickCount() - *stopAt > quint64(kStopGraceTicks)) {
                break;
            }
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// What the register's download left untold: why the register is not whole (and so not erased).
QString incompleteText(const EventDownload::Completeness& done) {
    if (done.stoppedUnasked) return QStringLiteral("Pobieranie przerwane przez MX-4; rejestru nie skasowano");
    return QStringLiteral("Rejestr niepełny: odebrano %1 z %2 zdarzeń; rejestru nie skasowano")
        .arg(done.received)
        .arg(done.announced);
}

int commandEvents(const CtlOptions& o, CtlPeople& people) {
    if (o.erase && !o.yes && !(Terminal::stdinIsTerminal() && Terminal::stderrIsTerminal()))
        return usageError(QStringLiteral("--erase asks first: give --yes when nobody can answer"));
    Connected c(o, people);
    if (!c.ok()) return c.status;
    EventDownload& download = c.session.download();
    {
        Progress progress(QStringLiteral("Pobieram rejestr zdarzeń"));
        EventDownload::Hooks hooks;
        hooks.progressed = [&] { progress.set(download.gaugePosition(), download.gaugeMaximum()); };
        download.setHooks(hooks);
        runDownload(c.session);
    }
    // Interrupted: nothing is written; the logout follows.
    if (Interrupt::requested()) return kExitRecorder;
    const EventDownload::Completeness done = download.completeness();
    if (done.ending == EventDownload::Ending::Silent) people.error(QStringLiteral("Brak odpowiedzi z MX-4"));
    // No header, nothing came: the link has said why.
    if (done.announced < 0) return kExitRecorder;

    // Whatever came is kept, whole or not; the files asked for are written together.
    QVector<FileToSave> files;
    try {
        if (!o.output.isEmpty()) files.append({o.output, EventTextFile(download.lines().join(QLatin1Char('\n')))});
    } catch (const AppError& e) {
        people.error(e.message());
        return kExitFile;
    }
    if (!o.csv.isEmpty()) files.append({o.csv, EventsCsv(download.records())});
    QString failedPath, why;
    if (!saveFilesTogether(files, &failedPath, &why)) {
        people.error((failedPath == o.csv && !o.csv.isEmpty() ? QStringLiteral("Nie zapisano pliku CSV %1: %2")
                                                              : QStringLiteral("Nie zapisano pliku historii %1: %2"))
                         .arg(failedPath, why));
        return kExitFile;
    }
    if (!o.output.isEmpty()) people.information(QStringLiteral("Zapisano plik historii"));
    if (!o.csv.isEmpty() && o.output.isEmpty()) people.information(QStringLiteral("Zapisano plik CSV"));
    // Into the site's archive, whole or not (the log says which); the archive is made when there is none.
    if (!o.archive.isEmpty()) {
        try {
            const std::unique_ptr<RegisterArchive> archive =
                RegisterArchive::openOrCreate(o.archive, RegisterArchive::defaultSiteName(o.archive));
            const ArchiveImport added = archive->add(
                ArchiveSource::download(download.records(), done, c.session.recorderVersion()), o.force);
            if (added.refusedAsForeign) {
                people.error(QStringLiteral("Rejestr nie ma wspólnych zdarzeń z archiwum „%1”; nie dodano (--force "
                                            "dodaje mimo to); rejestru nie skasowano")
                                 .arg(archive->site()));
                return kExitFile;
            }
            people.information(ImportSummaryText(added));
        } catch (const FileError& e) {
            people.error(e.message() + QStringLiteral("; rejestru nie skasowano"));
            return kExitFile;
        }
    }
    // Only a register that came whole may be erased: the recorder holds the only copy of the rest.
    if (!done.complete()) {
        people.error(incompleteText(done));
        return kExitRecorder;
    }
    if (o.erase) return eraseStatus(eraseAsked(c.session, people));
    return kExitDone;
}

int commandErase(const CtlOptions& o, CtlPeople& people) {
    if (!o.yes && !(Terminal::stdinIsTerminal() && Terminal::stderrIsTerminal()))
        return usageError(QStringLiteral("erase asks first: give --yes when nobody can answer"));
    Connected c(o, people);
    if (!c.ok()) return c.status;
    return eraseStatus(eraseAsked(c.session, people));
}

int commandClock(const CtlOptions& o, CtlPeople& people) {
    Connected c(o, people);
    if (!c.ok()) return c.status;
    if (!SetRecorderClock(c.session.link(), QDateTime::currentDateTime())) return kExitRecorder;
    people.information(QStringLiteral("Ustawiono zegar w MX-4"));
    return kExitDone;
}

int commandRestart(const CtlOptions& o, CtlPeople& people) {
    CtlSession session(o.port, &people);
    if (const int status = session.connectAndLogIn(o.password); status != kExitDone) return status;
    SendRestart(session.link());
    // The recorder restarts: nobody is logged in any more to log out.
    session.close();
    return kExitDone;
}

int commandResetCounters(const CtlOptions& o, CtlPeople& people) {
    Connected c(o, people);
    if (!c.ok()) return c.status;
    SendCounterReset(c.session.link());
    c.session.link().sleepBlocking(10);
    return kExitDone;
}

int commandPassword(const CtlOptions& o, CtlPeople& people) {
    const QString password = o.arguments.at(0);
    if (!IsUsablePassword(password)) {
        people.error(QStringLiteral("Hasło musi składać się z dokładnie 4 cyfr"));
        return kExitUsage;
    }
    Connected c(o, people);
    if (!c.ok()) return c.status;
    if (ChangePassword(c.session.link(), people, password) != PasswordChange::Accepted) return kExitRecorder;
    people.information(QStringLiteral("Hasło zmienione"));
    return kExitDone;
}

int commandFirmware(const CtlOptions& o, CtlPeople& people) {
    if (!o.yes && !(Terminal::stdinIsTerminal() && Terminal::stderrIsTerminal()))
        return usageError(QStringLiteral("firmware asks first: give --yes when nobody can answer"));
    CtlSession session(o.port, &people);
    FirmwareUpdate update(&session.link(), &session, &people);
    // The image is checked before the port opens: a damaged file sends nothing.
    try {
        if (!update.chooseFile(o.arguments.at(0))) return kExitFile;
    } catch (const AppError& e) {
        people.error(e.message());
        return kExitFile;
    }
    if (!people.askYesNo(QStringLiteral("Aktualizować oprogramowanie MX-4 z pliku %1 ?").arg(o.arguments.at(0))))
        return kExitUsage;
    // As the window's "Aktualizacja": the port open, the lines raised, a second's pause; no login.
    if (const int opened = session.open(); opened != kExitDone) return opened;
    try {
        session.port().SetDtrLine(true);
        session.port().SetRtsLine(true);
    } catch (const PortError& e) {
        session.tellPortError(e);
        session.close();
        return kExitPort;
    }
    session.link().PausePumping(10);
    // Ctrl-C before the first frame: nothing has been sent.
    if (Interrupt::requested()) {
        session.close();
        return kExitDone;
    }
    // Once the recorder has left its firmware, the next safe point is the end of the update: a recorder
    // left in its bootloader halfway would not start. Only a second Ctrl-C ends it at once.
    session.keepWaitsThroughInterrupts();
    Progress progress(QStringLiteral("Aktualizacja"));
    QObject::connect(&update, &FirmwareUpdate::progress, [&progress](int percent) { progress.set(percent, 100); });
    const FirmwareUpdate::Outcome outcome = update.run();
    progress.finish();
    session.close();
    return outcome == FirmwareUpdate::Outcome::Done ? kExitDone : kExitRecorder;
}

}  // namespace

int ParseCommandLine(const QStringList& arguments, CtlOptions& options) {
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("This help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("The version."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("The port."), QStringLiteral("PORT"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("The password."), QStringLiteral("NNNN"),
                                      kDefaultPassword);
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("No questions."));
    const QCommandLineOption output(QStringLiteral("o"), QStringLiteral("The file to write."), QStringLiteral("FILE"));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("The CSV file."), QStringLiteral("FILE"));
    const QCommandLineOption erase(QStringLiteral("erase"), QStringLiteral("Erase after the download."));
    const QCommandLineOption changed(QStringLiteral("changed"), QStringLiteral("Only the items that differ."));
    const QCommandLineOption verify(QStringLiteral("verify"), QStringLiteral("Read back and compare."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("JSON output."));
    const QCommandLineOption watch(QStringLiteral("watch"), QStringLiteral("Once a second."));
    const QCommandLineOption site(QStringLiteral("site"), QStringLiteral("The site's name."), QStringLiteral("NAME"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("The first day."), QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("The last day."), QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Add a register of another recorder."));
    const QCommandLineOption probe(QStringLiteral("probe"), QStringLiteral("Ask each port for a recorder."));
    const QCommandLineOption archive(QStringLiteral("archive"), QStringLiteral("The register archive to add to."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption max(QStringLiteral("max"), QStringLiteral("MAX in whole degrees."), QStringLiteral("+8"));
    const QCommandLineOption min(QStringLiteral("min"), QStringLiteral("MIN in whole degrees."), QStringLiteral("+2"));
    p.addOptions({help, version, port, password, yes, output, csv, erase, changed, verify, json, watch, site, from, to,
                  force, probe, archive, max, min});
    if (!p.parse(QStringList{QStringLiteral("mx4ctl")} + arguments)) return usageError(p.errorText());
    if (p.isSet(help)) {
        Terminal::out(usageText());
        return -1;
    }
    if (p.isSet(version)) {
        Terminal::out(QStringLiteral("mx4ctl ") + QCoreApplication::applicationVersion());
        return -1;
    }
    const QStringList positional = p.positionalArguments();
    if (positional.isEmpty()) return usageError(QStringLiteral("no command given"));
    options.command = positional.first();
    options.arguments = positional.mid(1);
    options.port = p.value(port);
    options.ports = p.values(port);
    options.password = p.value(password);
    options.yes = p.isSet(yes);
    options.output = p.value(output);
    options.csv = p.value(csv);
    options.erase = p.isSet(erase);
    options.changed = p.isSet(changed);
    options.verify = p.isSet(verify);
    options.json = p.isSet(json);
    options.watch = p.isSet(watch);
    options.site = p.value(site);
    options.from = p.value(from);
    options.to = p.value(to);
    options.force = p.isSet(force);
    options.probe = p.isSet(probe);
    options.archive = p.value(archive);
    options.max = p.value(max);
    options.min = p.value(min);
    if (p.isSet(port) && options.port.isEmpty()) return usageError(QStringLiteral("--port needs a port"));

    if (options.command == QLatin1String("archive")) {
        QStringList given;
        for (const QCommandLineOption* o : {&output, &csv, &erase, &changed, &verify, &json, &watch, &site, &from, &to,
                                            &force, &probe, &archive, &max, &min})
            if (p.isSet(*o)) given << o->names().last();
        return CheckArchiveCommand(options, given);
    }

    // Which command takes which arguments and options.
    struct Shape {
        const char* name;
        int arguments;
        QList<const QCommandLineOption*> options;
    };
    const QList<Shape> shapes = {
        {"ports", 0, {&json, &probe}},
        {"status", 0, {&watch}},
        {"read", 0, {&output}},
        {"write", 1, {&changed, &verify}},
        {"diff", 1, {}},
        {"show", 1, {&json}},
        {"events", 0, {&output, &csv, &archive, &force, &erase}},
        {"erase", 0, {}},
        {"clock", 0, {}},
        {"restart", 0, {}},
        {"reset-counters", 0, {}},
        {"password", 1, {}},
        {"firmware", 1, {}},
    };
    const Shape* shape = nullptr;
    for (const Shape& s : shapes)
        if (options.command == QLatin1String(s.name)) shape = &s;
    if (!shape) return usageError(QStringLiteral("unknown command \"%1\"").arg(options.command));
    if (options.arguments.size() != shape->arguments)
        return usageError(shape->arguments == 0
                              ? QStringLiteral("%1 takes no argument").arg(options.command)
                              : QStringLiteral("%1 takes one file or value").arg(options.command));
    for (const QCommandLineOption* o :
         {&output, &csv, &erase, &changed, &verify, &json, &watch, &site, &from, &to, &force, &probe, &archive, &max, &min})
        if (p.isSet(*o) && !shape->options.contains(o))
            return usageError(QStringLiteral("%1 does not take --%2").arg(options.command, o->names().last()));
    if (options.command == QLatin1String("read") && options.output.isEmpty())
        return usageError(QStringLiteral("read needs -o FILE"));
    if (options.command == QLatin1String("events") && options.output.isEmpty() && options.csv.isEmpty() &&
        options.archive.isEmpty())
        return usageError(QStringLiteral("events needs -o FILE.txt, --csv FILE.csv or --archive FILE.mx4a"));
    // A password the recorder could not be sent is refused before anything goes out.
    if (!isCp1250(options.password))
        return usageError(QStringLiteral("the password \"%1\" holds characters the recorder cannot take").arg(options.password));
    return kExitDone;
}

int RunCommand(const CtlOptions& o) {
    CtlPeople people(o.yes);
    const QString& c = o.command;
    if (c == QLatin1String("ports")) return commandPorts(o);
    if (c == QLatin1String("show")) return commandShow(o, people);
    if (c == QLatin1String("status")) return commandStatus(o, people);
    if (c == QLatin1String("read")) return commandRead(o, people);
    if (c == QLatin1String("write")) return commandWrite(o, people);
    if (c == QLatin1String("diff")) return commandDiff(o, people);
    if (c == QLatin1String("events")) return commandEvents(o, people);
    if (c == QLatin1String("erase")) return commandErase(o, people);
    if (c == QLatin1String("clock")) return commandClock(o, people);
    if (c == QLatin1String("restart")) return commandRestart(o, people);
    if (c == QLatin1String("reset-counters")) return commandResetCounters(o, people);
    if (c == QLatin1String("password")) return commandPassword(o, people);
    if (c == QLatin1String("firmware")) return commandFirmware(o, people);
    if (c == QLatin1String("archive")) return RunArchiveCommand(o, people);
    return usageError(QStringLiteral("unknown command \"%1\"").arg(c));
}
