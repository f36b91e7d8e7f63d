#pragma once
// Writing a whole file so that it is either replaced completely or left as it was.

#include <QByteArray>
#include <QString>
#include <QVector>

enum class SaveStage {
    None,    // saved
    Create,  // the file (or its temporary twin) could not be created
    Write,   // a write, the flush or the final rename failed; the target is untouched
};

// Writes `bytes` to a temporary file beside `path` and puts it in place of `path` only when every byte
// reached it. On failure returns false with the system's reason in `error` (and where it failed in
// `stage`); a file that was at `path` before stays as it was.
bool saveFileSafely(const QString& path, const QByteArray& bytes, QString* error, SaveStage* stage = nullptr);

struct FileToSave {
    QString path;
    QByteArray bytes;
};

// Several files that belong together (a register's text and its rows): each is written to a temporary
// twin first, and they take their places only when every one was written whole. When one cannot be
// written, none of the files is touched, and `failedPath` and `error` say which and why. (A file whose
// final rename fails leaves the ones named after it already replaced, the first named untouched.)
bool saveFilesTogether(const QVector<FileToSave>& files, QString* failedPath, QString* error);
