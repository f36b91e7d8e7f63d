#pragma once
// The register archive: one SQLite file a recorder or a site keeps every record in, across downloads
// and old event text files, merged without duplicates, with an append-only import log whose entries are
// hash-chained so that a change made behind the program's back is found.
//
// A record is added as many times as the most that any single source held it: the same register twice
// adds nothing the second time, two identical records of one download stay two. Every import is one
// transaction (BEGIN IMMEDIATE ... COMMIT): a crash, a full disk or a failing write leaves the file as it
// was. The window and mx4ctl may use one file at once (SQLite's locking, a busy time-out of 5 s).
// No widgets, no port: it takes the records that a download or a file produced.

#include "archive/ArchiveRecord.h"
#include "events/EventDownload.h"
#include "link/Errors.h"

#include <QScopeGuard>
#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

class QSqlError;
class QSqlQuery;

// A file that is no archive, a damaged archive, an archive that cannot be opened, created or written.
class ArchiveError : public FileError {
  public:
    enum class Kind { NotAnArchive, Damaged, Missing, Exists, ReadOnly, NewerVersion, Failed };
    ArchiveError(Kind kind, const QString& text) : FileError(text), kind_(kind) {}
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

// Where the records of one import came from.
struct ArchiveSource {
    enum class Kind { Download, File };
    // How a download ended; what the log says about its completeness.
    enum class Ending { Complete, Stopped, StoppedUnasked, Silent, Interrupted };

    Kind kind = Kind::Download;
    QVector<ArchiveRecord> records; // in the order they came
    // A download: the recorder's version when known ("MX-4 v 1.2"), the header's count (-1 when no
    // header came), the records received, how it ended.
    QString recorderVersion;
    int announced = -1;
    int received = 0;
    Ending ending = Ending::Complete;
    // A file: its name (without the folder), the SHA-256 of its bytes, its lines that were not events.
    QString fileName;
    QByteArray sha256;
    int skippedLines = 0;

    // The register of a download. `records` as EventDownload::records() holds them.
    static ArchiveSource download(const QVector<EventRecord>& records, int announced, int received, Ending ending,
                                  const QString& recorderVersion = QString());
    // The same from what the download says of itself: download(d.records(), d.completeness(), version).
    static ArchiveSource download(const QVector<EventRecord>& records, const EventDownload::Completeness& completeness,
                                  const QString& recorderVersion = QString());
    // An event text file's bytes as read from `path`, through ReadHistoryText.
    static ArchiveSource historyFile(const QString& path, const QByteArray& bytes);
};

// What one import did.
struct ArchiveImport {
    int inSource = 0; // records in the source
    int added = 0;    // new in the archive
    int present = 0;  // already there
    int entry = 0;    // the number of its log entry; 0 when nothing was written
    // The source shares no record with a non-empty archive whose time span its own overlaps: probably
    // another recorder. Nothing was written (unless the import was told to add it anyway).
    bool refusedAsForeign = false;
};

// The PC's user as the import log names it.
QString CurrentUserName();

// "Dodano do archiwum: N nowych zdarzeń, M już było".
QString ImportSummaryText(const ArchiveImport& result);
// "Rejestr nie ma wspólnych zdarzeń z archiwum „NAZWA”. Dodać mimo to?"
QString ForeignSourceQuestion(const QString& site);

// One entry of the import log.
struct ArchiveLogEntry {
    enum class Kind { Created, SiteRenamed, Download, File };
    int number = 0; // 1, 2, ... in the order they were written
    Kind kind = Kind::Created;
    QString localTime;       // the PC's local time with its offset, ISO 8601
    QString utcTime;         // the same moment in UTC, ISO 8601
    QString user;            // the PC's user name
    QString source;          // a file's name; empty for a download and the other kinds
    QString sha256;          // a file's SHA-256, hexadecimal
    QString recorderVersion; // a download's recorder version when known
    int inSource = 0;
    int added = 0;
    int present = 0;
    std::optional<int> announced; // a download: the header's count, records received, how it ended
    std::optional<int> received;
    QString ending;
    std::optional<int> skippedLines; // a file: lines that were no event
    QString site;                    // Created, SiteRenamed: the site's name from here on
    QString previousHash;            // the previous entry's hash (64 zeros for the first entry)
    QString hash;                    // SHA-256 over previousHash, this entry and the records it added

    // What the entry says, one line in words ("pobranie z MX-4 v 1.2: 4095 z 4095 zdarzeń, koniec rejestru").
    QString describe() const;
};

// How a download ended, in words ("koniec rejestru", "zatrzymane"), from ArchiveLogEntry::ending.
QString ArchiveEndingText(const QString& ending);

// The outcome of a check of the whole chain.
struct ArchiveCheck {
    bool consistent = true;
    int entries = 0;
    int records = 0;
    int firstBadEntry = 0; // 0: none (or only records that belong to no entry)
    QString text;          // "Archiwum spójne: K wpisów, N zdarzeń" or what does not match
};

struct ArchiveSummary {
    QString site;
    int records = 0;
    std::optional<ArchiveTimeKey> first, last;
    int imports = 0; // entries of downloads and files
    int entries = 0; // every entry of the log
};

class RegisterArchive {
  public:
    static constexpr int kSchemaVersion = 1;
    static constexpr qint32 kApplicationId = 0x4D583441; // "MX4A" in the file's header
    static constexpr int kBusyTimeoutMs = 5000;

    // A new archive at `path`, which must not exist yet; its first log entry names the site. Throws
    // ArchiveError (Exists, Failed).
    static std::unique_ptr<RegisterArchive> create(const QString& path, const QString& site);
    // An existing archive. Read-write when the file and its folder can be written, read-only
    // otherwise (adding is refused then). Throws ArchiveError: Missing, NotAnArchive ("To nie jest plik
    // archiwum MX-4"), Damaged ("Plik archiwum jest uszkodzony"), NewerVersion, Failed.
    static std::unique_ptr<RegisterArchive> open(const QString& path);
    // open(), or create() with `siteIfNew` when there is no file yet.
    static std::unique_ptr<RegisterArchive> openOrCreate(const QString& path, const QString& siteIfNew);
    // The site's name for an archive created without one: the file's name without its extension.
    static QString defaultSiteName(const QString& path);

    ~RegisterArchive();
    RegisterArchive(const RegisterArchive&) = delete;
    RegisterArchive& operator=(const RegisterArchive&) = delete;

    QString path() const { return path_; }
    bool readOnly() const { return readOnly_; }

    QString site() const;
    // Renames the site; the change is an entry of the log.
    void renameSite(const QString& site);

    // Whether adding these records would be refused as probably another recorder's.
    bool probablyForeign(const QVector<ArchiveRecord>& records) const;
    // Merges a source in one transaction and logs it. With `addForeign` false a probably foreign source
    // is refused (nothing written, refusedAsForeign set). Throws ArchiveError (ReadOnly, Failed).
    ArchiveImport add(const ArchiveSource& source, bool addForeign = false);

    ArchiveSummary summary() const;
    // The records from `from` to `to` (keys, both included; empty: no limit), in time order, ties in
    // the order they arrived.
    QVector<ArchiveRecord> records(std::optional<ArchiveTimeKey> from = std::nullopt,
                                   std::optional<ArchiveTimeKey> to = std::nullopt) const;
    QVector<ArchiveLogEntry> log() const;
    // Recomputes every entry's hash from the entry and the records it added.
    ArchiveCheck verify() const;

    // For tests: called with the number of records written so far, before each record of an import is
    // written; it may throw (a failing write) or end the process.
    void setWriteHook(std::function<void(int)> hook) { writeHook_ = std::move(hook); }

  private:
    RegisterArchive(const QString& path, bool readOnly);
    void connect();
    void checkAndMigrate();
    QSqlQuery exec(const QString& sql) const;
    void begin();
    void commit();
    void rollback() noexcept;
    QScopeGuard<std::function<void()>> readSnapshot() const;
    ArchiveLogEntry newEntry(ArchiveLogEntry::Kind kind) const;
    void appendEntry(ArchiveLogEntry& entry, const QVector<ArchiveRecord>& added);
    [[noreturn]] void fail(const QString& what, const QSqlError& error) const;
    void requireWritable() const;

    QString path_;
    QString connection_;
    bool readOnly_;
    QSqlDatabase db_;
    std::function<void(int)> writeHook_;
};
