#pragma once
// Adding records to a register archive from the window: one way for the main window's "Dodaj do archiwum"
// and the buttons of "Archiwum rejestru". The archive is chosen or created in one file dialog that starts
// on the archive last used in this run (kept in memory only: nothing is kept between runs); a new archive
// asks for its site ("Obiekt"). Opening says what is wrong with a file ("To nie jest plik archiwum MX-4",
// "Plik archiwum jest uszkodzony"); a read-only archive is not added to; a register that shares no record
// with the archive's own span asks before it goes in; an information box says what was added.

#include "archive/RegisterArchive.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <memory>

class People;

class ArchiveAdding : public QObject {
    Q_OBJECT
public:
    explicit ArchiveAdding(People* people, QObject* parent = nullptr);

    // "Archiwum MX-4 (*.mx4a)".
    static QString fileFilter();
    // The archive last opened, created or added to in this run; empty before.
    QString lastPath() const { return lastPath_; }

    // The main window's "Dodaj do archiwum": chooses or creates the archive, then adds `source`.
    void addToChosenArchive(const ArchiveSource& source);

    // One dialog for an existing archive or a new one (created with the site asked for), starting on the
    // last one. Nothing when cancelled or when the file cannot be used (said).
    std::unique_ptr<RegisterArchive> chooseArchive();
    // "Nowe...": a new archive at a file that does not exist yet, its site asked for.
    std::unique_ptr<RegisterArchive> createArchive();
    // "Otwórz...": an existing archive, read-only or not.
    std::unique_ptr<RegisterArchive> openArchive();
    // The archive at `path`; nothing when it cannot be opened (said).
    std::unique_ptr<RegisterArchive> open(const QString& path);

    // Adds the sources to `archive`, one import each, asking first about one that is probably another
    // recorder's; then one information box for all of them. A read-only archive is refused (said). True
    // when anything was written.
    bool add(RegisterArchive& archive, const QVector<ArchiveSource>& sources);
    // "Importuj plik historii...": event text files chosen in one dialog (several at once), added to
    // `archive`. A file that cannot be read is said and left out.
    bool importHistoryFiles(RegisterArchive& archive);

    // A new site's name ("Obiekt") for the archive at `path`; empty when cancelled.
    QString askSite(const QString& path);
    // Renames the archive's site, an entry of its log; a failure is said. True when renamed.
    bool renameSite(RegisterArchive& archive, const QString& site);

Q_SIGNALS:
    // Records or a log entry went into the archive at `path`.
    void changed(const QString& path);

private:
    std::unique_ptr<RegisterArchive> createAt(const QString& path);
    void failed(const AppError& error);

    People* people_;
    QString lastPath_;
};
