#include "maintenance/FirmwareImage.h"

#include "link/Frame.h"

#include <algorithm>
#include <climits>

QString FirmwareSizeProblem(qint64 fileSize) {
    if (fileSize > kLargestFirmwareFile)
        return QStringLiteral("Plik firmware jest za duży (%1 bajtów, najwyżej %2)")
            .arg(fileSize)
            .arg(kLargestFirmwareFile);
    if (fileSize == kSmallestFirmwareFile - 1) return QStringLiteral("Plik firmware nie zawiera danych");
    return {};
}

int FirmwareLength(qint64 fileSize) {
    return fileSize > 4 ? int(std::min<qint64>(fileSize - 4, INT_MAX)) : 0;
}

int FirmwareBlockCount(qint64 fileSize) {
    return (FirmwareLength(fileSize) + kFirmwareBlockData - 1) / kFirmwareBlockData;
}

QVector<QByteArray> FirmwareBlockPayloads(const QByteArray& imageFile) {
    QVector<QByteArray> blocks;
    const int length = FirmwareLength(imageFile.size());
    const char* firmware = imageFile.constData() + 3;
    blocks.reserve(FirmwareBlockCount(imageFile.size()));
    for (int offset = 0, number = 0; offset < length; offset += kFirmwareBlockData, ++number) {
        QByteArray payload(kFirmwareBlockPayload, char(kFirmwareFiller));
        payload[0] = char(quint8(number));
        const int take = std::min(kFirmwareBlockData, length - offset);
        std::copy(firmware + offset, firmware + offset + take, payload.begin() + 1);
        blocks.append(payload);
    }
    return blocks;
}

QVector<QByteArray> FirmwareBlockFrames(const QByteArray& imageFile) {
    QVector<QByteArray> frames;
    for (const QByteArray& payload : FirmwareBlockPayloads(imageFile))
        frames.append(BuildCommandFrame(kFirmwareBlockCode, payload));
    return frames;
}

int FirmwareConsumedAfter(int index, qint64 fileSize) {
    const qint64 consumed = qint64(index + 1) * kFirmwareBlockData;
    return int(std::min<qint64>(consumed, FirmwareLength(fileSize)));
}

int FirmwareProgress(int index, qint64 fileSize) {
    if (fileSize <= 0) return 0;
    return int(qint64(FirmwareConsumedAfter(index, fileSize)) * 100 / fileSize);
}
