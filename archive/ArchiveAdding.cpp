#include "archive/ArchiveAdding.h"

#include "link/People.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kSuffix = QStringLiteral("mx4a");
}  // namespace

ArchiveAdding::ArchiveAdding(People* people, QObject* parent) : QObject(parent), people_(people) {}

QString ArchiveAdding::fileFilter() { return QStringLiteral("Archiwum MX-4 (*.mx4a)"); }

void ArchiveAdding::failed(const AppError& error) {
    people_->beep();
    people_->error(error.message());
}

QString ArchiveAdding::askSite(const QString& path) {
    return people_->askText(QStringLiteral("Obiekt"), RegisterArchive::defaultSiteName(path)).trimmed();
}

bool ArchiveAdding::renameSite(RegisterArchive& archive, const QString& site) {
    try {
        archive.renameSite(site);
    } catch (const AppError& e) {
        failed(e);
        return false;
    }
    Q_EMIT changed(archive.path());
    return true;
}

std::unique_ptr<RegisterArchive> ArchiveAdding::open(const QString& path) {
    try {
        std::unique_ptr<RegisterArchive> archive = RegisterArchive::open(path);
        lastPath_ = path;
        return archive;
    } catch (const AppError& e) {
        failed(e);
    }
    return nullptr;
}

std::unique_ptr<RegisterArchive> ArchiveAdding::createAt(const QString& path) {
    const QString site = askSite(path);
    if (site.isEmpty()) return nullptr;
    try {
        std::unique_ptr<RegisterArchive> archive = RegisterArchive::create(path, site);
        lastPath_ = path;
        Q_EMIT changed(path);
        return archive;
    } catch (const AppError& e) {
        failed(e);
    }
    return nullptr;
}

std::unique_ptr<RegisterArchive> ArchiveAdding::chooseArchive() {
    // Choosing an existing archive is opening it, not replacing it: the dialog does not ask.
    FileDialogRequest request{fileFilter(), kSuffix, lastPath_.isEmpty() ? QDir::homePath() : lastPath_};
    request.confirmOverwrite = false;
    const QString path = people_->saveFileName(request);
    if (path.isEmpty()) return nullptr;
    return QFileInfo::exists(path) ? open(path) : createAt(path);
}

std::unique_ptr<RegisterArchive> ArchiveAdding::createArchive() {
    const QString folder = lastPath_.isEmpty() ? QDir::homePath() : QFileInfo(lastPath_).absolutePath();
    FileDialogRequest request{fileFilter(), kSuffix, folder};
    // An existing file is refused below, with the archive's own words, and left as it is.
    request.confirmOverwrite = false;
    const QString path = people_->saveFileName(request);
    if (path.isEmpty()) return nullptr;
    if (QFileInfo::exists(path)) {
        failed(ArchiveError(ArchiveError::Kind::Exists, QStringLiteral("Plik archiwum %1 już istnieje").arg(path)));
        return nullptr;
    }
    return createAt(path);
}

std::unique_ptr<RegisterArchive> ArchiveAdding::openArchive() {
    const QString path =
        people_->openFileName(FileDialogRequest{fileFilter(), kSuffix, lastPath_.isEmpty() ? QDir::homePath() : lastPath_});
    if (path.isEmpty()) return nullptr;
    return open(path);
}

void ArchiveAdding::addToChosenArchive(const ArchiveSource& source) {
    const std::unique_ptr<RegisterArchive> archive = chooseArchive();
    if (archive) add(*archive, {source});
}

bool ArchiveAdding::add(RegisterArchive& archive, const QVector<ArchiveSource>& sources) {
    lastPath_ = archive.path();
    if (archive.readOnly()) {
        people_->beep();
        people_->error(QStringLiteral("Archiwum „%1” jest tylko do odczytu: nie dodano").arg(archive.site()));
        return false;
    }
    QStringList said;
    bool written = false;
    const bool several = sources.size() > 1;
    for (const ArchiveSource& source : sources) {
        const QString name = several ? source.fileName + QStringLiteral(": ") : QString();
        try {
            // The check that the source is probably another recorder's is made inside the import's own
            // transaction; a refused one wrote nothing and is added only when the user says so.
            ArchiveImport result = archive.add(source, false);
            if (result.refusedAsForeign) {
                if (!people_->askYesNo(ForeignSourceQuestion(archive.site()), Preselected::No)) {
                    if (several) said << name + QStringLiteral("nie dodano");
                    continue;
                }
                result = archive.add(source, true);
            }
            written = written || result.entry > 0;
            QString text = name + ImportSummaryText(result);
            if (source.kind == ArchiveSource::Kind::File && source.skippedLines > 0)
                text += (several ? QStringLiteral(", ") : QStringLiteral("\n")) +
                        QStringLiteral("Pominięto wierszy: %1").arg(source.skippedLines);
            said << text;
        } catch (const AppError& e) {
            // What was added before stays; the failing import left the archive as it was.
            if (written) Q_EMIT changed(archive.path());
            failed(e);
            return written;
        }
    }
    if (written) Q_EMIT changed(archive.path());
    if (!said.isEmpty()) people_->information(said.join(QLatin1Char('\n')));
    return written;
}

bool ArchiveAdding::importHistoryFiles(RegisterArchive& archive) {
    if (archive.readOnly()) return add(archive, {});
    const QStringList paths = people_->openFileNames(
        FileDialogRequest{QStringLiteral("Plik historii MX-4 (*.txt)"), QStringLiteral("txt"),
                          QFileInfo(archive.path()).absolutePath()});
    if (paths.isEmpty()) return false;
    QVector<ArchiveSource> sources;
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            people_->beep();
            people_->error(QStringLiteral("Nie można odczytać pliku %1: %2").arg(path, file.errorString()));
            continue;
        }
        sources.append(ArchiveSource::historyFile(path, file.readAll()));
    }
    return !sources.isEmpty() && add(archive, sources);
}
