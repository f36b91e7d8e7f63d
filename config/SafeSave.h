#pragma once
// Writes a file so that it is either wholly replaced or left as it was.

#include <QByteArray>
#include <QString>

// Through QSaveFile: every write must take the whole size (a full disk can return a short count while
// the device reports no error), otherwise the new file is dropped and the old one stays. False, with
// the reason in `error`, when the file could not be written.
bool saveFileSafely(const QString& path, const QByteArray& bytes, QString* error);
