#pragma once
// Command and reply frames: start byte, code, length, payload, byte-sum checksum.

#include <QByteArray>
#include <QtGlobal>

constexpr char kCommandStart = 'N';
constexpr char kReplyStart = 'n';
// The length byte and the count of summed bytes are 8-bit.
constexpr int kMaxCommandPayload = 252;
// A reply length above this makes the receiver drop what it holds.
constexpr int kMaxReplyPayload = 100;

quint8 FrameChecksum(const char* data, int size);
inline quint8 FrameChecksum(const QByteArray& bytes) { return FrameChecksum(bytes.constData(), bytes.size()); }

// Throws FrameError when the payload is longer than kMaxCommandPayload.
QByteArray BuildCommandFrame(quint8 code, const QByteArray& payload);
// The recorder's side, used by the simulator and the tests.
QByteArray BuildReplyFrame(quint8 code, const QByteArray& payload);
