#include "config/SafeSave.h"

#include <QSaveFile>

namespace {
// Small pieces, each checked: one large write that meets a full disk can report a short count with no
// error set, and the commit would then put a truncated file in place.
constexpr qint64 kPiece = 64 * 1024;

bool fail(QString* error, SaveStage* stage, SaveStage at, const QString& reason) {
    if (error) *error = reason;
    if (stage) *stage = at;
    return false;
}
}  // namespace

bool saveFileSafely(const QString& path, const QByteArray& bytes, QString* error, SaveStage* stage) {
    if (stage) *stage = SaveStage::None;
    if (error) error->clear();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(error, stage, SaveStage::Create, file.errorString());
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 piece = qMin(kPiece, qint64(bytes.size()) - done);
        const qint64 written = file.write(bytes.constData() + done, piece);
        if (written != piece) {
            const QString reason = file.error() != QFileDevice::NoError
                                       ? file.errorString()
                                       : QStringLiteral("zapisano %1 z %2 bajtów").arg(done + qMax<qint64>(written, 0)).arg(bytes.size());
            file.cancelWriting();
            return fail(error, stage, SaveStage::Write, reason);
        }
        done += written;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(error, stage, SaveStage::Write, reason);
    }
    if (!file.commit()) return fail(error, stage, SaveStage::Write, file.errorString());
    return true;
}
