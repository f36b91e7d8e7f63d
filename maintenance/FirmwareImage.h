#pragma once
// Firmware image files and the blocks the recorder's bootloader takes.
//
// An image file is "nfr", the firmware bytes, and a check byte (XOR of every byte before it). The
// firmware travels in frames of code 101 whose payload is a wrapping block number and 128 firmware bytes,
// the last block padded with 0xFF. Nothing here touches a port, a widget or a clock.

#include <QByteArray>
#include <QString>
#include <QVector>

constexpr quint8 kRestartCode = 255;
constexpr quint8 kFirmwareBlockCode = 101;
constexpr quint8 kFirmwareEndCode = 102;
constexpr int kFirmwareBlockData = 128;
constexpr int kFirmwareBlockPayload = 1 + kFirmwareBlockData;
constexpr int kFirmwareBlockFrame = 3 + kFirmwareBlockPayload + 1;
constexpr quint8 kFirmwareFiller = 0xFF;
constexpr char kFirmwareAck = '!';
// The size travels as a 16-bit count and the firmware must hold at least one byte.
constexpr int kLargestFirmwareFile = 65535;
constexpr int kSmallestFirmwareFile = 5;
inline const QByteArray kFirmwareMagic = QByteArrayLiteral("nfr");
inline const QByteArray kRestartPayload = QByteArrayLiteral("B");
inline const QByteArray kFirmwareEndPayload = QByteArrayLiteral("K");

// Why a file of this size cannot be sent, as the message the person sees; empty when the size is fine
// or when the size is so small that the common file reader refuses it anyway ("Zly format pliku").
QString FirmwareSizeProblem(qint64 fileSize);

// Number of firmware bytes in a file of `fileSize` bytes (magic and check byte excluded), never negative.
int FirmwareLength(qint64 fileSize);
// Blocks needed for a file of `fileSize` bytes: the firmware length divided by 128, rounded up.
int FirmwareBlockCount(qint64 fileSize);

// The payloads of all blocks of a whole image file (magic, firmware, check byte): the block number
// (0, 1, ... wrapping after 255) followed by 128 firmware bytes in file order, the last block filled up
// with 0xFF. Empty when the file holds no firmware byte.
QVector<QByteArray> FirmwareBlockPayloads(const QByteArray& imageFile);
// The same blocks as complete command frames (133 bytes each).
QVector<QByteArray> FirmwareBlockFrames(const QByteArray& imageFile);

// Firmware bytes put into blocks once block `index` (0-based) has been filled.
int FirmwareConsumedAfter(int index, qint64 fileSize);
// The progress gauge after block `index`: consumed bytes x 100 / file size (integer division).
int FirmwareProgress(int index, qint64 fileSize);
