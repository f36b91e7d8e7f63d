#include "cli/CtlArchive.h"

#include "archive/ArchivePeriod.h"
#include "archive/PeriodReport.h"
#include "archive/RegisterArchive.h"
#include "cli/CtlPeople.h"
#include "cli/CtlSession.h"
#include "cli/Terminal.h"
#include "config/SafeSave.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

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
        {"report", 0, 0,
         {QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("max"), QStringLiteral("min"), QStringLiteral("o"),
          QStringLiteral("json")}},
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

// "+8", "-1", "8": whole degrees the recorder's thresholds can hold; nothing for any other text.
std::optional<int> degreesOf(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[+-]?[0-9]{1,3}$"));
    if (!form.match(text).hasMatch()) return std::nullopt;
    const int degrees = text.toInt();
    if (degrees < -128 || degrees > 127) return std::nullopt;
    return degrees;
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

// A JSON text with the numbers as they are written here ("4.2", one decimal), which QJsonDocument would
// shorten ("4" for 4.0).
class JsonWriter {
public:
    void field(const QString& key, const QString& rawValue) {
        separate();
        text_ += indent() + quoted(key) + QStringLiteral(": ") + rawValue;
    }
    void text(const QString& key, const QString& value) { field(key, quoted(value)); }
    void integer(const QString& key, qint64 value) { field(key, QString::number(value)); }
    void decimal(const QString& key, std::optional<double> value) {
        field(key, value ? QString::number(qRound64(*value * 10) / 10.0, 'f', 1) : QStringLiteral("null"));
    }
    void boolean(const QString& key, bool value) { field(key, value ? QStringLiteral("true") : QStringLiteral("false")); }
    void open(const QString& key, QChar bracket) {
        separate();
        text_ += indent() + (key.isEmpty() ? QString() : quoted(key) + QStringLiteral(": ")) + bracket;
        ++depth_;
        first_ = true;
    }
    void close(QChar bracket) {
        --depth_;
        text_ += (first_ ? QString() : QStringLiteral("\n") + indent()) + bracket;
        first_ = false;
    }
    QByteArray bytes() const { return (text_ + QLatin1Char('\n')).toUtf8(); }

private:
    static QString quoted(const QString& s) {
        const QByteArray array = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
        return QString::fromUtf8(array.mid(1, array.size() - 2));
    }
    QString indent() const { return QString(4 * depth_, QLatin1Char(' ')); }
    void separate() {
        if (depth_ > 0) text_ += first_ ? QStringLiteral("\n") : QStringLiteral(",\n");
        first_ = false;
    }
    QString text_;
    int depth_ = 0;
    bool first_ = true;
};

QByteArray reportJson(const ArchivePeriod& period) {
    const PeriodFigures& f = period.figures;
    const bool measured = f.samples > 0;
    const auto measure = [measured](double v) { return measured ? std::optional<double>(v) : std::nullopt; };
    const auto day = [](const QDate& d) { return d.isValid() ? QStringLiteral("\"%1\"").arg(d.toString(Qt::ISODate))
                                                             : QStringLiteral("null"); };
    JsonWriter j;
    j.open(QString(), QLatin1Char('{'));
    j.field(QStringLiteral("from"), day(f.firstDay));
    j.field(QStringLiteral("to"), day(f.lastDay));
    j.integer(QStringLiteral("samples"), f.samples);
    j.decimal(QStringLiteral("min"), measure(f.minimum));
    j.decimal(QStringLiteral("max"), measure(f.maximum));
    j.decimal(QStringLiteral("mean"), measure(f.mean));
    j.decimal(QStringLiteral("mkt"), measure(f.meanKinetic));
    j.integer(QStringLiteral("above_max_s"), f.secondsAboveMax);
    j.integer(QStringLiteral("below_min_s"), f.secondsBelowMin);
    j.integer(QStringLiteral("no_data_s"), f.secondsWithoutData);
    j.integer(QStringLiteral("alarms_high"), f.alarmsHigh);
    j.integer(QStringLiteral("alarms_low"), f.alarmsLow);
    j.open(QStringLiteral("excursions"), QLatin1Char('['));
    for (const Excursion& x : f.excursions) {
        j.open(QString(), QLatin1Char('{'));
        j.text(QStringLiteral("kind"), x.high ? QStringLiteral("high") : QStringLiteral("low"));
        j.text(QStringLiteral("start"), ClockText(x.start));
        j.text(QStringLiteral("end"), ClockText(x.end));
        j.integer(QStringLiteral("duration_s"), x.seconds());
        j.decimal(QStringLiteral("extreme"), x.extreme);
        j.boolean(QStringLiteral("alarm"), x.alarmRaised);
        j.close(QLatin1Char('}'));
    }
    j.close(QLatin1Char(']'));
    j.text(QStringLiteral("sha256"), period.sha256);
    j.close(QLatin1Char('}'));
    return j.bytes();
}

// The thresholds given, the usual ones for those not given; both already checked to be degrees.
FigureLimits limitsOf(const CtlOptions& o) {
    FigureLimits limits;
    if (!o.max.isEmpty()) limits.max = *degreesOf(o.max);
    if (!o.min.isEmpty()) limits.min = *degreesOf(o.min);
    return limits;
}

// The figures of a period as lines (the summary's words) or one JSON object; -o writes its report.
int commandReport(const CtlOptions& o, const RegisterArchive& archive, CtlPeople& people) {
    const ArchiveContents contents(archive.records());
    const FigureLimits limits = limitsOf(o);
    const ArchivePeriod period = ComputeArchivePeriod(contents, limits, FigurePeriod{dateOf(o.from), dateOf(o.to)});
    if (o.json) {
        Terminal::outRaw(reportJson(period));
    } else {
        Terminal::out(QStringLiteral("Obiekt: ") + archive.site());
        for (const FigureLine& line : PeriodFigureLines(period)) Terminal::out(line.text());
        Terminal::out(PeriodChecksumLine(period).text());
    }
    if (o.output.isEmpty()) return kExitDone;
    const QByteArray pdf = PeriodReportPdf(MakePeriodReport(archive, contents, period, QDateTime::currentDateTime()));
    QString why = QStringLiteral("nie udało się utworzyć raportu");
    if (pdf.isEmpty() || !saveFileSafely(o.output, pdf, &why)) {
        people.error(QStringLiteral("Nie zapisano raportu %1: %2").arg(o.output, why));
        return kExitFile;
    }
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
    if (!o.from.isEmpty() && !o.to.isEmpty() && dateOf(o.to) < dateOf(o.from))
        return usage(QStringLiteral("--to %1 is before --from %2").arg(o.to, o.from));
    for (const QString& degrees : {o.max, o.min})
        if (!degrees.isEmpty() && !degreesOf(degrees))
            return usage(QStringLiteral("\"%1\" is no threshold: whole degrees from -128 to +127 (+8, -1, 8)").arg(degrees));
    // MIN above MAX would count every reading between them as too warm and none as too cold.
    if (const FigureLimits l = limitsOf(o); l.min > l.max)
        return usage(QStringLiteral("--min %1 is above --max %2").arg(l.min).arg(l.max));
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
        if (name == QLatin1String("report")) return commandReport(o, *archive, people);
    } catch (const AppError& e) {
        people.error(e.message());
        return kExitFile;
    }
    return usage(QStringLiteral("unknown archive command \"%1\"").arg(name));
}

bool ArchiveReportRequested(const QStringList& arguments) {
    // A word "report" after the word "archive": wherever the words stand (a file may be called "report"),
    // the guess is harmless, since a QGuiApplication without a display runs every command as well.
    const int archive = int(arguments.indexOf(QStringLiteral("archive")));
    return archive >= 0 && arguments.lastIndexOf(QStringLiteral("report")) > archive;
}
