// Firmware image files as they come from disk: the checks and the block building must hold for any bytes.

#include "config/WorkingBuffer.h"
#include "link/Frame.h"
#include "maintenance/FirmwareImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), int(size));
    const FileVerdict verdict = CheckImage(file, kFirmwareMagic);
    const bool sizeRefused = !FirmwareSizeProblem(file.size()).isEmpty();
    // What the dialog would send: a file every check passed.
    const bool sendable = verdict.ok() && !sizeRefused;
    if (sendable && (file.size() < kSmallestFirmwareFile || file.size() > kLargestFirmwareFile)) abort();
    if (verdict.ok() && XorOf(file.constData(), file.size() - 1) != quint8(file.back())) abort();

    const QVector<QByteArray> blocks = FirmwareBlockPayloads(file);
    const int length = FirmwareLength(file.size());
    if (blocks.size() != FirmwareBlockCount(file.size())) abort();
    if (blocks.size() != (length + kFirmwareBlockData - 1) / kFirmwareBlockData) abort();
    if (sendable && blocks.isEmpty()) abort();
    for (int i = 0; i < blocks.size(); ++i) {
        const QByteArray& b = blocks.at(i);
        if (b.size() != kFirmwareBlockPayload) abort();
        if (quint8(b.at(0)) != quint8(i & 0xFF)) abort();
        const int offset = i * kFirmwareBlockData;
        const int take = std::min(kFirmwareBlockData, length - offset);
        // The firmware bytes in file order, then only filler; the check byte never travels.
        if (b.mid(1, take) != file.mid(3 + offset, take)) abort();
        for (int k = 1 + take; k < b.size(); ++k)
            if (quint8(b.at(k)) != kFirmwareFiller) abort();
        const int progress = FirmwareProgress(i, file.size());
        if (progress < 0 || progress > 100) abort();
        if (i > 0 && progress < FirmwareProgress(i - 1, file.size())) abort();
        if (sendable) {
            const QByteArray frame = BuildCommandFrame(kFirmwareBlockCode, b);
            if (frame.size() != kFirmwareBlockFrame) abort();
        }
    }
    return 0;
}
