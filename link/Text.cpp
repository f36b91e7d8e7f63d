#include "link/Text.h"

#include "link/Errors.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString fromCp1250(const QByteArray& bytes) {
    QStringDecoder decoder("windows-1250");
    return decoder.decode(bytes);
}

static bool encode(const QString& text, QByteArray& out) {
    QStringEncoder encoder("windows-1250");
    out = encoder.encode(text);
    return !encoder.hasError();
}

QByteArray toCp1250(const QString& text, const QString& what) {
    QByteArray out;
    if (!encode(text, out))
        throw FrameError(QStringLiteral("Pole „%1” zawiera znak, którego MX-4 nie obsługuje").arg(what));
    return out;
}

bool isCp1250(const QString& text) {
    QByteArray out;
    return encode(text, out);
}

bool isCp1250(QChar c) { return isCp1250(QString(c)); }
