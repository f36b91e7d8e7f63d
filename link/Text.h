#pragma once
// The recorder and the files speak Windows-1250; widgets hold Unicode.

#include <QByteArray>
#include <QString>

QString fromCp1250(const QByteArray& bytes);
// Throws FrameError naming `what` when a character cannot be carried.
QByteArray toCp1250(const QString& text, const QString& what);
bool isCp1250(const QString& text);
bool isCp1250(QChar c);
