#include "config/SafeSave.h"

#include <QSaveFile>

#include <memory>
#include <vector>

namespace {
// Small pieces, each checked: one large write that meets a full disk can report a short count with no
// error set, and the commit would then put a truncated file in place.
constexpr qint64 kPiece = 64 * 1024;

bool fail(QString* error, SaveStage* stage, SaveStage at, const QString& reason) {
    if (error) *error = reason;
    if (stage) *stage = at;
    return false;
}

// Writes `bytes` into an open save file; false with the reason when not every byte reached it.
bool writeAll(QSaveFile& file, const QByteArray& bytes, QString* reason) {
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 piece = qMin(kPiece, qint64(bytes.size()) - done);
        const qint64 written = file.write(bytes.constData() + done, piece);
        if (written != piece) {
            *reason = file.error() != QFileDevice::NoError
                          ? file.errorString()
                          : QStringLiteral("zapisano %1 z %2 bajtów").arg(done + qMax<qint64>(written, 0)).arg(bytes.size());
            return false;
        }
        done += written;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    return true;
}
}  // namespace

bool saveFileSafely(const QString& path, const QByteArray& bytes, QString* error, SaveStage* stage) {
    if (stage) *stage = SaveStage::None;
    if (error) error->clear();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(error, stage, SaveStage::Create, file.errorString());
    QString reason;
    if (!writeAll(file, bytes, &reason)) {
        file.cancelWriting();
        return fail(error, stage, SaveStage::Write, reason);
    }
    if (!file.commit()) return fail(error, stage, SaveStage::Write, file.errorString());
    return true;
}

bool saveFilesTogether(const QVector<FileToSave>& files, QString* failedPath, QString* error) {
    std::vector<std::unique_ptr<QSaveFile>> twins;
    const auto fail = [&](const QString& path, const QString& reason) {
        for (auto& twin : twins) twin->cancelWriting();
        if (failedPath) *failedPath = path;
        if (error) *error = reason;
        return false;
    };
    for (const FileToSave& f : files) {
        twins.push_back(std::make_unique<QSaveFile>(f.path));
        QSaveFile& twin = *twins.back();
        if (!twin.open(QIODevice::WriteOnly)) return fail(f.path, twin.errorString());
        QString reason;
        if (!writeAll(twin, f.bytes, &reason)) return fail(f.path, reason);
    }
    // Every file is written: now each takes its place, the first named last.
    for (int i = int(files.size()) - 1; i >= 0; --i) {
        if (!twins[size_t(i)]->commit()) {
            const QString reason = twins[size_t(i)]->errorString();
            twins.resize(size_t(i));
            return fail(files[i].path, reason);
        }
    }
    return true;
}
