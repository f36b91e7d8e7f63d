#include "config/WorkingBuffer.h"

#include "link/Errors.h"
#include "link/People.h"

#include <QFile>
#include <QFileInfo>

quint8 XorOf(const char* data, int size) {
    quint8 x = 0;
    for (int i = 0; i < size; ++i) x ^= quint8(data[i]);
    return x;
}

FileVerdict CheckImage(const QByteArray& bytes, const QByteArray& magic) {
    FileVerdict v;
    v.sizeOk = bytes.size() >= kMinimumFileSize && bytes.size() <= kWorkingBufferSize;
    if (!v.sizeOk) return v;
    v.magicOk = bytes.left(3) == magic;
    v.checkOk = XorOf(bytes.constData(), bytes.size() - 1) == quint8(bytes.back());
    return v;
}

bool ReadConfigFile(const QString& path, const QByteArray& magic, QByteArray& buffer, People& people) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Nie można otworzyć pliku %1: %2").arg(path, file.errorString()));
    const qint64 size = file.size();
    if (size < kMinimumFileSize || size > kWorkingBufferSize) {
        // Too short to hold the magic and the check byte, or larger than the buffer: not read at all.
        people.error(QStringLiteral("Zly format pliku"));
        return false;
    }
    QByteArray bytes = file.read(size);
    if (bytes.size() != size || file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Błąd odczytu pliku %1: %2").arg(path, file.errorString()));
    file.close();
    const FileVerdict v = CheckImage(bytes, magic);
    if (!v.magicOk) people.error(QStringLiteral("Zly format pliku"));
    if (!v.checkOk) {
        people.beep();
        people.error(QStringLiteral("Bląd CRC pliku konfiguracji"));
    }
    buffer = std::move(bytes);
    return v.ok();
}
