#include "archive/RegisterArchive.h"

#include "archive/HistoryText.h"
#include "events/EventRecords.h"

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPair>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <limits>

namespace {
const QString kDriver = QStringLiteral("QSQLITE");
const QString kNotAnArchive = QStringLiteral("To nie jest plik archiwum MX-4");
const QString kDamaged = QStringLiteral("Plik archiwum jest uszkodzony");
const QString kNoHash = QString(64, QLatin1Char('0'));

// The schema, one list of statements a version: opening an older file runs the steps it lacks.
const QVector<QStringList>& migrations() {
    static const QVector<QStringList> steps = {
        // 1: the log, the records, the order of time, the tables kept append-only.
        {
            QStringLiteral("CREATE TABLE entries ("
                           "id INTEGER PRIMARY KEY, kind TEXT NOT NULL, local_time TEXT NOT NULL, "
                           "utc_time TEXT NOT NULL, user_name TEXT NOT NULL, source TEXT NOT NULL, "
                           "source_sha256 TEXT NOT NULL, recorder_version TEXT NOT NULL, "
                           "in_source INTEGER NOT NULL, added INTEGER NOT NULL, present INTEGER NOT NULL, "
                           "announced INTEGER, received INTEGER, ending TEXT NOT NULL, skipped_lines INTEGER, "
                           "site TEXT NOT NULL, previous_hash TEXT NOT NULL, hash TEXT NOT NULL)"),
            QStringLiteral("CREATE TABLE records ("
                           "id INTEGER PRIMARY KEY, time_key INTEGER NOT NULL, code INTEGER NOT NULL, "
                           "tenths INTEGER, raw BLOB, entry INTEGER NOT NULL)"),
            QStringLiteral("CREATE INDEX records_by_time ON records (time_key)"),
            QStringLiteral("CREATE TRIGGER entries_kept_on_update BEFORE UPDATE ON entries "
                           "BEGIN SELECT RAISE(ABORT, 'the import log is append-only'); END"),
            QStringLiteral("CREATE TRIGGER entries_kept_on_delete BEFORE DELETE ON entries "
                           "BEGIN SELECT RAISE(ABORT, 'the import log is append-only'); END"),
            QStringLiteral("CREATE TRIGGER records_kept_on_update BEFORE UPDATE ON records "
                           "BEGIN SELECT RAISE(ABORT, 'the records are append-only'); END"),
            QStringLiteral("CREATE TRIGGER records_kept_on_delete BEFORE DELETE ON records "
                           "BEGIN SELECT RAISE(ABORT, 'the records are append-only'); END"),
            QStringLiteral("PRAGMA application_id = %1").arg(RegisterArchive::kApplicationId),
        },
    };
    return steps;
}

const char* kindName(ArchiveLogEntry::Kind kind) {
    switch (kind) {
    case ArchiveLogEntry::Kind::Created:
        return "create";
    case ArchiveLogEntry::Kind::SiteRenamed:
        return "site";
    case ArchiveLogEntry::Kind::Download:
        return "download";
    case ArchiveLogEntry::Kind::File:
        return "file";
    }
    return "";
}

std::optional<ArchiveLogEntry::Kind> kindOfName(const QString& name) {
    for (auto k : {ArchiveLogEntry::Kind::Created, ArchiveLogEntry::Kind::SiteRenamed, ArchiveLogEntry::Kind::Download,
                   ArchiveLogEntry::Kind::File})
        if (name == QLatin1String(kindName(k))) return k;
    return std::nullopt;
}

const char* endingName(ArchiveSource::Ending ending) {
    switch (ending) {
    case ArchiveSource::Ending::Complete:
        return "complete";
    case ArchiveSource::Ending::Stopped:
        return "stopped";
    case ArchiveSource::Ending::StoppedUnasked:
        return "stopped-unasked";
    case ArchiveSource::Ending::Silent:
        return "silent";
    case ArchiveSource::Ending::Interrupted:
        return "interrupted";
    }
    return "";
}

QJsonValue jsonOf(const std::optional<int>& n) {
    return n ? QJsonValue(*n) : QJsonValue();
}

// The bytes an entry's hash covers: every stored field but the hash itself, in a fixed order, then the
// canonical bytes of the records it added, in the order they were added.
QString entryHash(const ArchiveLogEntry& e, const QVector<ArchiveRecord>& added) {
    const QJsonArray fields{e.number,
                            QLatin1String(kindName(e.kind)),
                            e.localTime,
                            e.utcTime,
                            e.user,
                            e.source,
                            e.sha256,
                            e.recorderVersion,
                            e.inSource,
                            e.added,
                            e.present,
                            jsonOf(e.announced),
                            jsonOf(e.received),
                            e.ending,
                            jsonOf(e.skippedLines),
                            e.site,
                            e.previousHash};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QJsonDocument(fields).toJson(QJsonDocument::Compact));
    hash.addData(QByteArrayLiteral("\n"));
    hash.addData(CanonicalBytes(added));
    return QString::fromLatin1(hash.result().toHex());
}

// A text column: never NULL, an empty text stays empty.
QVariant text(const QString& s) {
    return QVariant(s.isNull() ? QStringLiteral("") : s);
}
QVariant nullableInt(const std::optional<int>& n) {
    return n ? QVariant(*n) : QVariant(QMetaType(QMetaType::Int));
}
std::optional<int> optionalInt(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<int>(v.toInt());
}

// The identity of an event: time, code and temperature.
using EventIdentity = QPair<qint64, qint64>;
EventIdentity identityOf(qint64 time, int code, const std::optional<int>& tenths) {
    const qint64 rest = (qint64(code) << 33) | (tenths ? (qint64(1) << 32) | quint32(*tenths) : 0);
    return {time, rest};
}
EventIdentity identityOf(const ArchiveRecord& r) {
    return identityOf(r.time, r.code, r.tenths);
}

ArchiveRecord recordOfRow(const QSqlQuery& q, int first) {
    ArchiveRecord r;
    r.time = q.value(first).toLongLong();
    r.code = q.value(first + 1).toInt();
    r.tenths = optionalInt(q.value(first + 2));
    r.raw = q.value(first + 3).toByteArray();
    return r;
}

} // namespace

QString CurrentUserName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty()) name = qEnvironmentVariable("USERNAME");
    if (name.isEmpty()) name = QDir::home().dirName();
    return name;
}

namespace {
QAtomicInt connections;
} // namespace

// ---------------------------------------------------------------- texts

QString ImportSummaryText(const ArchiveImport& r) {
    return QStringLiteral("Dodano do archiwum: %1 nowych zdarzeń, %2 już było").arg(r.added).arg(r.present);
}

QString ForeignSourceQuestion(const QString& site) {
    return QStringLiteral("Rejestr nie ma wspólnych zdarzeń z archiwum „%1”. Dodać mimo to?").arg(site);
}

QString ArchiveEndingText(const QString& ending) {
    if (ending == QLatin1String("complete")) return QStringLiteral("koniec rejestru");
    if (ending == QLatin1String("stopped")) return QStringLiteral("zatrzymane");
    if (ending == QLatin1String("stopped-unasked")) return QStringLiteral("zatrzymane przez MX-4");
    if (ending == QLatin1String("silent")) return QStringLiteral("MX-4 przestał odpowiadać");
    if (ending == QLatin1String("interrupted")) return QStringLiteral("przerwane");
    return ending;
}

QString ArchiveLogEntry::describe() const {
    switch (kind) {
    case Kind::Created:
        return QStringLiteral("utworzenie archiwum „%1”").arg(site);
    case Kind::SiteRenamed:
        return QStringLiteral("zmiana nazwy obiektu na „%1”").arg(site);
    case Kind::File:
        return QStringLiteral("plik %1 (SHA-256 %2): %3 zdarzeń, nowych %4, już było %5, pominięto wierszy %6")
            .arg(source, sha256)
            .arg(inSource)
            .arg(added)
            .arg(present)
            .arg(skippedLines.value_or(0));
    case Kind::Download: {
        const QString how = ArchiveEndingText(ending);
        const QString from = recorderVersion.isEmpty() ? QStringLiteral("MX-4") : recorderVersion;
        return QStringLiteral("pobranie z %1: odebrano %2 z %3 zdarzeń, %4; nowych %5, już było %6")
            .arg(from)
            .arg(received.value_or(0))
            .arg(announced && *announced >= 0 ? QString::number(*announced) : QStringLiteral("?"))
            .arg(how)
            .arg(added)
            .arg(present);
    }
    }
    return QString();
}

// ---------------------------------------------------------------- sources

ArchiveSource ArchiveSource::download(const QVector<EventRecord>& records, int announced, int received, Ending ending,
                                      const QString& recorderVersion) {
    ArchiveSource s;
    s.kind = Kind::Download;
    s.records = ArchiveRecordsOf(records);
    s.announced = announced;
    s.received = received;
    s.ending = ending;
    s.recorderVersion = recorderVersion;
    return s;
}

ArchiveSource ArchiveSource::download(const QVector<EventRecord>& records, const EventDownload::Completeness& c,
                                      const QString& recorderVersion) {
    Ending ending = Ending::Interrupted;
    switch (c.ending.value_or(EventDownload::Ending::Abandoned)) {
    case EventDownload::Ending::Complete:
        ending = Ending::Complete;
        break;
    case EventDownload::Ending::Stopped:
        ending = c.stoppedUnasked ? Ending::StoppedUnasked : Ending::Stopped;
        break;
    case EventDownload::Ending::Silent:
        ending = Ending::Silent;
        break;
    case EventDownload::Ending::LoggedOut:
    case EventDownload::Ending::Abandoned:
        ending = Ending::Interrupted;
        break;
    }
    return download(records, c.announced, c.received, ending, recorderVersion);
}

ArchiveSource ArchiveSource::historyFile(const QString& path, const QByteArray& bytes) {
    const HistoryText text = ReadHistoryText(bytes);
    ArchiveSource s;
    s.kind = Kind::File;
    s.records = text.records;
    s.fileName = QFileInfo(path).fileName();
    s.sha256 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    s.skippedLines = text.skippedLines;
    return s;
}

// ---------------------------------------------------------------- opening

RegisterArchive::RegisterArchive(const QString& path, bool readOnly)
    : path_(path), connection_(QStringLiteral("mx4archive-%1").arg(connections.fetchAndAddRelaxed(1))),
      readOnly_(readOnly) {}

RegisterArchive::~RegisterArchive() {
    if (db_.isOpen()) db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

QString RegisterArchive::defaultSiteName(const QString& path) {
    return QFileInfo(path).completeBaseName();
}

void RegisterArchive::connect() {
    if (!QSqlDatabase::isDriverAvailable(kDriver))
        throw ArchiveError(ArchiveError::Kind::Failed,
                           QStringLiteral("Brak sterownika SQLite dla Qt (pakiet libqt6sql6-sqlite)"));
    db_ = QSqlDatabase::addDatabase(kDriver, connection_);
    db_.setDatabaseName(path_);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
    if (readOnly_) options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db_.setConnectOptions(options);
    if (!db_.open()) fail(QStringLiteral("Nie można otworzyć pliku archiwum %1").arg(path_), db_.lastError());
}

[[noreturn]] void RegisterArchive::fail(const QString& what, const QSqlError& error) const {
    const QString why = error.text();
    throw ArchiveError(ArchiveError::Kind::Failed, why.isEmpty() ? what : what + QStringLiteral(": ") + why);
}

QSqlQuery RegisterArchive::exec(const QString& sql) const {
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(sql)) fail(QStringLiteral("Błąd archiwum"), q.lastError());
    return q;
}

void RegisterArchive::checkAndMigrate() {
    // A file that SQLite reads but that is no archive of ours, or whose pages are broken.
    const auto pragma = [this](const char* name) -> std::optional<QVariant> {
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(name))) || !q.next()) return std::nullopt;
        return q.value(0);
    };
    const std::optional<QVariant> id = pragma("application_id");
    if (!id) throw ArchiveError(ArchiveError::Kind::Damaged, kDamaged);
    if (id->toInt() != kApplicationId) throw ArchiveError(ArchiveError::Kind::NotAnArchive, kNotAnArchive);
    const std::optional<QVariant> check = pragma("quick_check");
    if (!check || check->toString() != QLatin1String("ok")) throw ArchiveError(ArchiveError::Kind::Damaged, kDamaged);
    const std::optional<QVariant> version = pragma("user_version");
    if (!version) throw ArchiveError(ArchiveError::Kind::Damaged, kDamaged);
    const int v = version->toInt();
    if (v > kSchemaVersion)
        throw ArchiveError(ArchiveError::Kind::NewerVersion,
                           QStringLiteral("Archiwum zapisała nowsza wersja programu (schemat %1)").arg(v));
    if (v < kSchemaVersion) {
        if (readOnly_)
            throw ArchiveError(ArchiveError::Kind::ReadOnly,
                               QStringLiteral("Archiwum starszej wersji tylko do odczytu: nie można go uaktualnić"));
        begin();
        try {
            for (int step = v; step < kSchemaVersion; ++step)
                for (const QString& sql : migrations().at(step))
                    exec(sql);
            exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
            commit();
        } catch (...) {
            rollback();
            throw;
        }
    }
    QSqlQuery tables(db_);
    if (!tables.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                                    "('entries', 'records')")) ||
        !tables.next() || tables.value(0).toInt() != 2)
        throw ArchiveError(ArchiveError::Kind::Damaged, kDamaged);
}

std::unique_ptr<RegisterArchive> RegisterArchive::open(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw ArchiveError(ArchiveError::Kind::Missing, QStringLiteral("Nie ma pliku archiwum %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ArchiveError(ArchiveError::Kind::Failed,
                           QStringLiteral("Nie można otworzyć pliku archiwum %1: %2").arg(path, file.errorString()));
    // SQLite would take an empty file for a new database and anything else for damage: look first.
    if (file.read(16) != QByteArray("SQLite format 3\0", 16))
        throw ArchiveError(ArchiveError::Kind::NotAnArchive, kNotAnArchive);
    file.close();
    // Read-only by the permission bits (root may write anything, but a file made read-only says so),
    // by the system's answer for this user, or by a folder where SQLite cannot put its journal.
    // (WriteUser is the system's answer for this user, which is yes for root.)
    const bool writeBits = info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
    const bool readOnly = !writeBits || !info.isWritable() || !QFileInfo(info.absolutePath()).isWritable();
    std::unique_ptr<RegisterArchive> archive(new RegisterArchive(path, readOnly));
    archive->connect();
    archive->checkAndMigrate();
    return archive;
}

std::unique_ptr<RegisterArchive> RegisterArchive::create(const QString& path, const QString& site) {
    const auto exists = [&] {
        return ArchiveError(ArchiveError::Kind::Exists, QStringLiteral("Plik archiwum %1 już istnieje").arg(path));
    };
    if (QFileInfo::exists(path)) throw exists();
    // Made whole beside its place and renamed into it: no half-made archive is ever at `path`, and of
    // two programs creating the same archive at once one gets the file and the other finds it there.
    const QString building =
        QStringLiteral("%1.%2.new").arg(path).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    {
        RegisterArchive archive(building, false);
        const auto removeOnFailure = [&] {
            QFile::remove(building);
            QFile::remove(building + QStringLiteral("-journal"));
        };
        try {
            archive.connect();
            archive.begin();
            for (const QStringList& step : migrations())
                for (const QString& sql : step)
                    archive.exec(sql);
            archive.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
            ArchiveLogEntry entry = archive.newEntry(ArchiveLogEntry::Kind::Created);
            entry.site = site;
            archive.appendEntry(entry, {});
            archive.commit();
        } catch (...) {
            archive.rollback();
            archive.db_.close();
            removeOnFailure();
            throw;
        }
    }
    if (!QFile::rename(building, path)) {
        QFile::remove(building);
        if (QFileInfo::exists(path)) throw exists();
        throw ArchiveError(ArchiveError::Kind::Failed,
                           QStringLiteral("Nie można utworzyć pliku archiwum %1").arg(path));
    }
    return open(path);
}

std::unique_ptr<RegisterArchive> RegisterArchive::openOrCreate(const QString& path, const QString& siteIfNew) {
    if (!QFileInfo::exists(path)) {
        try {
            return create(path, siteIfNew);
        } catch (const ArchiveError& e) {
            // Someone else created it in the meantime.
            if (e.kind() != ArchiveError::Kind::Exists) throw;
        }
    }
    return open(path);
}

// ---------------------------------------------------------------- transactions and the log

void RegisterArchive::requireWritable() const {
    if (readOnly_)
        throw ArchiveError(ArchiveError::Kind::ReadOnly,
                           QStringLiteral("Plik archiwum %1 jest tylko do odczytu").arg(path_));
}

void RegisterArchive::begin() {
    // The write lock from the start: the counts taken inside hold until the commit.
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}

// A read transaction held until the guard goes: SQLite keeps its shared lock from the first read on.
QScopeGuard<std::function<void()>> RegisterArchive::readSnapshot() const {
    exec(QStringLiteral("BEGIN"));
    return qScopeGuard(std::function<void()>([this] {
        QSqlQuery q(db_);
        q.exec(QStringLiteral("COMMIT"));
    }));
}

void RegisterArchive::commit() {
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("COMMIT"))) fail(QStringLiteral("Nie zapisano archiwum"), q.lastError());
}

void RegisterArchive::rollback() noexcept {
    QSqlQuery q(db_);
    q.exec(QStringLiteral("ROLLBACK"));
}

ArchiveLogEntry RegisterArchive::newEntry(ArchiveLogEntry::Kind kind) const {
    ArchiveLogEntry e;
    e.kind = kind;
    const QDateTime now = QDateTime::currentDateTime();
    e.localTime = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
    e.utcTime = now.toUTC().toString(Qt::ISODate);
    e.user = CurrentUserName();
    QSqlQuery last = exec(QStringLiteral("SELECT id, hash FROM entries ORDER BY id DESC LIMIT 1"));
    if (last.next()) {
        e.number = last.value(0).toInt() + 1;
        e.previousHash = last.value(1).toString();
    } else {
        e.number = 1;
        e.previousHash = kNoHash;
    }
    return e;
}

void RegisterArchive::appendEntry(ArchiveLogEntry& e, const QVector<ArchiveRecord>& added) {
    e.hash = entryHash(e, added);
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("INSERT INTO entries (id, kind, local_time, utc_time, user_name, source, source_sha256, "
                             "recorder_version, in_source, added, present, announced, received, ending, "
                             "skipped_lines, site, previous_hash, hash) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                             "?, ?, ?, ?, ?, ?)"));
    for (const QVariant& v :
         {QVariant(e.number), text(QLatin1String(kindName(e.kind))), text(e.localTime), text(e.utcTime), text(e.user),
          text(e.source), text(e.sha256), text(e.recorderVersion), QVariant(e.inSource), QVariant(e.added),
          QVariant(e.present), nullableInt(e.announced), nullableInt(e.received), text(e.ending),
          nullableInt(e.skippedLines), text(e.site), text(e.previousHash), text(e.hash)})
        q.addBindValue(v);
    if (!q.exec()) fail(QStringLiteral("Nie zapisano dziennika archiwum"), q.lastError());
}

QString RegisterArchive::site() const {
    QSqlQuery q =
        exec(QStringLiteral("SELECT site FROM entries WHERE kind IN ('create', 'site') ORDER BY id DESC LIMIT 1"));
    return q.next() ? q.value(0).toString() : QString();
}

void RegisterArchive::renameSite(const QString& site) {
    requireWritable();
    begin();
    try {
        ArchiveLogEntry entry = newEntry(ArchiveLogEntry::Kind::SiteRenamed);
        entry.site = site;
        appendEntry(entry, {});
        commit();
    } catch (...) {
        rollback();
        throw;
    }
}

// ---------------------------------------------------------------- merging

namespace {
struct Span {
    ArchiveTimeKey first = 0, last = -1;
    bool empty() const { return last < first; }
};

Span spanOf(const QVector<ArchiveRecord>& records) {
    Span s;
    for (const ArchiveRecord& r : records) {
        if (s.empty()) s = {r.time, r.time};
        s.first = qMin(s.first, r.time);
        s.last = qMax(s.last, r.time);
    }
    return s;
}
} // namespace

// What the archive holds of these records: for each of them in turn, whether a copy of it is already
// there (each archive copy answers for one source record only).
static QVector<bool> alreadyThere(const QSqlDatabase& db, const QVector<ArchiveRecord>& records, Span span,
                                  const std::function<void(const QSqlError&)>& failed) {
    QVector<bool> present(records.size(), false);
    if (span.empty()) return present;
    QHash<EventIdentity, int> inArchive;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT time_key, code, tenths FROM records WHERE time_key BETWEEN ? AND ?"));
    q.addBindValue(span.first);
    q.addBindValue(span.last);
    if (!q.exec()) failed(q.lastError());
    while (q.next())
        ++inArchive[identityOf(q.value(0).toLongLong(), q.value(1).toInt(), optionalInt(q.value(2)))];
    for (int i = 0; i < records.size(); ++i) {
        const auto it = inArchive.find(identityOf(records.at(i)));
        if (it != inArchive.end() && *it > 0) {
            --*it;
            present[i] = true;
        }
    }
    return present;
}

bool RegisterArchive::probablyForeign(const QVector<ArchiveRecord>& records) const {
    const Span source = spanOf(records);
    if (source.empty()) return false;
    QSqlQuery bounds = exec(QStringLiteral("SELECT min(time_key), max(time_key) FROM records"));
    if (!bounds.next() || bounds.value(0).isNull()) return false;
    const Span archive{bounds.value(0).toLongLong(), bounds.value(1).toLongLong()};
    bounds.finish();
    if (source.last < archive.first || archive.last < source.first) return false;
    const QVector<bool> present =
        alreadyThere(db_, records, source, [this](const QSqlError& e) { fail(QStringLiteral("Błąd archiwum"), e); });
    return !present.contains(true);
}

ArchiveImport RegisterArchive::add(const ArchiveSource& source, bool addForeign) {
    requireWritable();
    ArchiveImport result;
    result.inSource = int(source.records.size());
    begin();
    try {
        if (!addForeign && probablyForeign(source.records)) {
            rollback();
            result.refusedAsForeign = true;
            return result;
        }
        const QVector<bool> present =
            alreadyThere(db_, source.records, spanOf(source.records),
                         [this](const QSqlError& e) { fail(QStringLiteral("Błąd archiwum"), e); });
        ArchiveLogEntry entry = newEntry(source.kind == ArchiveSource::Kind::File ? ArchiveLogEntry::Kind::File
                                                                                  : ArchiveLogEntry::Kind::Download);
        QVector<ArchiveRecord> added;
        added.reserve(source.records.size());
        QSqlQuery insert(db_);
        insert.prepare(
            QStringLiteral("INSERT INTO records (time_key, code, tenths, raw, entry) VALUES (?, ?, ?, ?, ?)"));
        for (int i = 0; i < source.records.size(); ++i) {
            if (present.at(i)) continue;
            const ArchiveRecord& r = source.records.at(i);
            if (writeHook_) writeHook_(int(added.size()));
            insert.bindValue(0, r.time);
            insert.bindValue(1, r.code);
            insert.bindValue(2, nullableInt(r.tenths));
            insert.bindValue(3, r.raw.isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(r.raw));
            insert.bindValue(4, entry.number);
            if (!insert.exec()) fail(QStringLiteral("Nie zapisano archiwum"), insert.lastError());
            added.append(r);
        }
        result.added = int(added.size());
        result.present = result.inSource - result.added;
        entry.inSource = result.inSource;
        entry.added = result.added;
        entry.present = result.present;
        if (source.kind == ArchiveSource::Kind::File) {
            entry.source = source.fileName;
            entry.sha256 = QString::fromLatin1(source.sha256.toHex());
            entry.skippedLines = source.skippedLines;
        } else {
            entry.recorderVersion = source.recorderVersion;
            entry.announced = source.announced;
            entry.received = source.received;
            entry.ending = QLatin1String(endingName(source.ending));
        }
        appendEntry(entry, added);
        commit();
        result.entry = entry.number;
    } catch (...) {
        rollback();
        throw;
    }
    return result;
}

// ---------------------------------------------------------------- reading

ArchiveSummary RegisterArchive::summary() const {
    const auto snapshot = readSnapshot();
    ArchiveSummary s;
    s.site = site();
    QSqlQuery q = exec(QStringLiteral("SELECT count(*), min(time_key), max(time_key) FROM records"));
    if (q.next()) {
        s.records = q.value(0).toInt();
        if (!q.value(1).isNull()) {
            s.first = q.value(1).toLongLong();
            s.last = q.value(2).toLongLong();
        }
    }
    QSqlQuery e = exec(QStringLiteral("SELECT count(*), sum(kind IN ('download', 'file')) FROM entries"));
    if (e.next()) {
        s.entries = e.value(0).toInt();
        s.imports = e.value(1).toInt();
    }
    return s;
}

QVector<ArchiveRecord> RegisterArchive::records(std::optional<ArchiveTimeKey> from,
                                                std::optional<ArchiveTimeKey> to) const {
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT time_key, code, tenths, raw, entry FROM records WHERE time_key BETWEEN ? AND ? "
                             "ORDER BY time_key, id"));
    q.addBindValue(from.value_or(std::numeric_limits<qint64>::min()));
    q.addBindValue(to.value_or(std::numeric_limits<qint64>::max()));
    if (!q.exec()) fail(QStringLiteral("Błąd archiwum"), q.lastError());
    QVector<ArchiveRecord> out;
    while (q.next()) {
        out.append(recordOfRow(q, 0));
        out.last().entry = q.value(4).toInt();
    }
    return out;
}

QVector<ArchiveLogEntry> RegisterArchive::log() const {
    QSqlQuery q = exec(QStringLiteral(
        "SELECT id, kind, local_time, utc_time, user_name, source, source_sha256, recorder_version, in_source, added, "
        "present, announced, received, ending, skipped_lines, site, previous_hash, hash FROM entries ORDER BY id"));
    QVector<ArchiveLogEntry> out;
    while (q.next()) {
        ArchiveLogEntry e;
        e.number = q.value(0).toInt();
        // An unknown kind is hashed under a name no entry has: it can only fail the check.
        e.kind = kindOfName(q.value(1).toString()).value_or(ArchiveLogEntry::Kind(-1));
        e.localTime = q.value(2).toString();
        e.utcTime = q.value(3).toString();
        e.user = q.value(4).toString();
        e.source = q.value(5).toString();
        e.sha256 = q.value(6).toString();
        e.recorderVersion = q.value(7).toString();
        e.inSource = q.value(8).toInt();
        e.added = q.value(9).toInt();
        e.present = q.value(10).toInt();
        e.announced = optionalInt(q.value(11));
        e.received = optionalInt(q.value(12));
        e.ending = q.value(13).toString();
        e.skippedLines = optionalInt(q.value(14));
        e.site = q.value(15).toString();
        e.previousHash = q.value(16).toString();
        e.hash = q.value(17).toString();
        out.append(e);
    }
    return out;
}

ArchiveCheck RegisterArchive::verify() const {
    // The log and the records as one moment saw them: an import by another program in between would
    // otherwise show records whose entry was not read yet.
    const auto snapshot = readSnapshot();
    ArchiveCheck check;
    const QVector<ArchiveLogEntry> entries = log();
    QHash<int, QVector<ArchiveRecord>> byEntry;
    {
        QSqlQuery q = exec(QStringLiteral("SELECT entry, time_key, code, tenths, raw FROM records ORDER BY id"));
        while (q.next()) {
            byEntry[q.value(0).toInt()].append(recordOfRow(q, 1));
            ++check.records;
        }
    }
    check.entries = int(entries.size());
    QString expectedPrevious = kNoHash;
    for (int i = 0; i < entries.size(); ++i) {
        const ArchiveLogEntry& e = entries.at(i);
        const QVector<ArchiveRecord> added = byEntry.take(e.number);
        // The bytes from the recorder must still say what the record says.
        bool rawAgrees = true;
        for (const ArchiveRecord& r : added) {
            if (r.raw.isEmpty()) continue;
            const std::optional<ArchiveRecord> fromRaw = ArchiveRecordOfBytes(r.raw);
            if (!fromRaw || r.raw.size() != 8 || !fromRaw->sameEvent(r)) rawAgrees = false;
        }
        const bool matches = e.number == i + 1 && e.previousHash == expectedPrevious && e.added == int(added.size()) &&
                             rawAgrees && entryHash(e, added) == e.hash;
        if (!matches) {
            check.consistent = false;
            check.firstBadEntry = e.number;
            const QString source =
                e.kind == ArchiveLogEntry::Kind::File ? e.source : e.describe().section(QLatin1Char(':'), 0, 0);
            check.text =
                QStringLiteral("Archiwum niespójne: wpis nr %1 (%2, %3) nie zgadza się z zapisanymi zdarzeniami")
                    .arg(e.number)
                    .arg(e.localTime, source);
            return check;
        }
        expectedPrevious = e.hash;
    }
    int orphans = 0;
    for (const QVector<ArchiveRecord>& rest : std::as_const(byEntry))
        orphans += int(rest.size());
    if (orphans > 0) {
        check.consistent = false;
        check.text =
            QStringLiteral("Archiwum niespójne: %1 zdarzeń nie należy do żadnego wpisu dziennika").arg(orphans);
        return check;
    }
    check.text = QStringLiteral("Archiwum spójne: %1 wpisów, %2 zdarzeń").arg(check.entries).arg(check.records);
    return check;
}
