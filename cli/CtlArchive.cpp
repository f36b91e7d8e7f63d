#include "cli/CtlArchive.h"

#include "archive/RegisterArchive.h"
#include "cli/CtlPeople.h"
#include "cli/CtlSession.h"
#include "cli/Terminal.h"
#include "config/SafeSave.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
struct Subcommand {
    const char* name;
    int fewestArguments; // after the subcommand
    int mostArguments;   // -1: no limit
    QStringList options; // long names
};

const QList<Subcommand>& subcommands() {
    static const QList<Subcommand> list = {
        {"create", 0, 0, {QStringLiteral("site")}},
        {"info", 0, 0, {QStringLiteral("json")}},
        {"import", 1, -1, {QStringLiteral("force")}},
        {"csv", 0, 0, {QStringLiteral("o"), QStringLiteral("from"), QStringLiteral("to")}},
        {"log", 0, 0, {}},
        {"verify", 0, 0, {}},
    };
    return list;
}

int usage(const QString& problem) {
    Terminal::err(QStringLiteral("mx4ctl: ") + problem);
    Terminal::err(QStringLiteral("Try 'mx4ctl --help'."));
    return kExitUsage;
}

QDate dateOf(const QString& text) {
    return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

int commandCreate(const CtlOptions& o, CtlPeople& people) {
    const std::unique_ptr<RegisterArchive> archive = RegisterArchive::create(o.arguments.at(0), o.site);
    people.information(QStringLiteral("Utworzono archiwum „%1”").arg(archive->site()));
    return kExitDone;
}

int commandInfo(const CtlOptions& o, const RegisterArchive& archive) {
    const ArchiveSummary s = archive.summary();
    const QString first = s.first ? TimeKeyText(*s.first) : QString();
    const QString last = s.last ? TimeKeyText(*s.last) : QString();
    if (o.json) {
        QJsonObject object{{QStringLiteral("site"), s.site},
                           {QStringLiteral("records"), s.records},
                           {QStringLiteral("first"), s.first ? QJsonValue(first) : QJsonValue()},
                           {QStringLiteral("last"), s.last ? QJsonValue(last) : QJsonValue()},
                           {QStringLiteral("imports"), s.imports},
                           {QStringLiteral("entries"), s.entries},
                           {QStringLiteral("readOnly"), archive.readOnly()}};
        Terminal::outRaw(QJsonDocument(object).toJson(QJsonDocument::Indented));
        return kExitDone;
    }
    Terminal::out(QStringLiteral("Obiekt: ") + s.site);
    Terminal::out(QStringLiteral("Zdarzenia: %1").arg(s.records));
    Terminal::out(QStringLiteral("Pierwsze: ") + first);
    Terminal::out(QStringLiteral("Ostatnie: ") + last);
    Terminal::out(QStringLiteral("Importy: %1").arg(s.imports));
    if (archive.readOnly()) Terminal::out(QStringLiteral("Tylko do odczytu"));
    return kExitDone;
}

// Each file is one import of its own; a file that cannot be read or is refused does not stop the others.
int commandImport(const CtlOptions& o, RegisterArchive& archive, CtlPeople& people) {
    int status = kExitDone;
    for (const QString& path : o.arguments.mid(2)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            people.error(QStringLiteral("Nie można odczytać pliku %1: %2").arg(path, file.errorString()));
            status = kExitFile;
            continue;
        }
        const ArchiveSource source = ArchiveSource::historyFile(path, file.readAll());
        const ArchiveImport result = archive.add(source, o.force);
        const QString name = source.fileName + QStringLiteral(": ");
        if (result.refusedAsForeign) {
            people.error(name + QStringLiteral("Rejestr nie ma wspólnych zdarzeń z archiwum „%1”; nie dodano "
                                               "(--force dodaje mimo to)")
                                    .arg(archive.site()));
            status = kExitFile;
            continue;
        }
        people.information(name + ImportSummaryText(result));
        if (source.skippedLines > 0)
            people.information(name + QStringLiteral("Pominięto wierszy: %1").arg(source.skippedLines));
    }
    return status;
}

int commandCsv(const CtlOptions& o, const RegisterArchive& archive, CtlPeople& people) {
    std::optional<ArchiveTimeKey> from, to;
    if (!o.from.isEmpty()) from = DayStartKey(dateOf(o.from));
    if (!o.to.isEmpty()) to = DayEndKey(dateOf(o.to));
    QString why;
    if (!saveFileSafely(o.output, ArchiveCsv(archive.records(from, to)), &why)) {
        people.error(QStringLiteral("Nie zapisano pliku CSV %1: %2").arg(o.output, why));
        return kExitFile;
    }
    return kExitDone;
}

int commandLog(const RegisterArchive& archive) {
    for (const ArchiveLogEntry& e : archive.log())
        Terminal::out(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                          .arg(e.number)
                          .arg(e.localTime, e.utcTime, e.user, e.describe(), e.hash));
    return kExitDone;
}

int commandVerify(const RegisterArchive& archive, CtlPeople& people) {
    const ArchiveCheck check = archive.verify();
    if (check.consistent) {
        Terminal::out(check.text);
        return kExitDone;
    }
    people.error(check.text);
    return kExitDiffers;
}
} // namespace

int CheckArchiveCommand(const CtlOptions& o, const QStringList& optionsGiven) {
    if (o.arguments.size() < 2)
        return usage(QStringLiteral("archive takes a file and a command: archive FILE.mx4a info"));
    const QString name = o.arguments.at(1);
    const Subcommand* sub = nullptr;
    for (const Subcommand& s : subcommands())
        if (name == QLatin1String(s.name)) sub = &s;
    if (!sub) return usage(QStringLiteral("unknown archive command \"%1\"").arg(name));
    const int count = int(o.arguments.size()) - 2;
    if (count < sub->fewestArguments || (sub->mostArguments >= 0 && count > sub->mostArguments))
        return usage(sub->fewestArguments > 0 ? QStringLiteral("archive %1 needs a file").arg(name)
                                              : QStringLiteral("archive %1 takes no argument").arg(name));
    for (const QString& option : optionsGiven)
        if (!sub->options.contains(option))
            return usage(QStringLiteral("archive %1 does not take --%2").arg(name, option));
    if (name == QLatin1String("create") && o.site.trimmed().isEmpty())
        return usage(QStringLiteral("archive create needs --site NAME"));
    if (name == QLatin1String("csv") && o.output.isEmpty()) return usage(QStringLiteral("archive csv needs -o FILE"));
    for (const QString& date : {o.from, o.to})
        if (!date.isEmpty() && !dateOf(date).isValid())
            return usage(QStringLiteral("\"%1\" is no date: YYYY-MM-DD").arg(date));
    return kExitDone;
}

int RunArchiveCommand(const CtlOptions& o, CtlPeople& people) {
    const QString& name = o.arguments.at(1);
    try {
        if (name == QLatin1String("create")) return commandCreate(o, people);
        const std::unique_ptr<RegisterArchive> archive = RegisterArchive::open(o.arguments.at(0));
        if (name == QLatin1String("info")) return commandInfo(o, *archive);
        if (name == QLatin1String("import")) return commandImport(o, *archive, people);
        if (name == QLatin1String("csv")) return commandCsv(o, *archive, people);
        if (name == QLatin1String("log")) return commandLog(*archive);
        if (name == QLatin1String("verify")) return commandVerify(*archive, people);
    } catch (const AppError& e) {
        people.error(e.message());
        return kExitFile;
    }
    return usage(QStringLiteral("unknown archive command \"%1\"").arg(name));
}
