#pragma once
// Cuts reply frames out of the received byte stream.

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

struct ReplyFrame {
    quint8 code = 0;
    QByteArray payload;
    bool operator==(const ReplyFrame& o) const { return code == o.code && payload == o.payload; }
};

// The receive buffer and where the frame being assembled starts (1-based; 0 when none has started).
struct AssemblerState {
    QByteArray rxBuffer;
    bool frameStarted = false;
    int frameStart = 0;
};

enum class AssemblyStep {
    NeedMore,  // nothing complete yet; the buffer keeps its bytes
    Dropped,   // bytes were thrown away (no start byte, bad length or checksum)
    Frame,     // a valid frame was taken out of the buffer
};

// One pass. A valid frame and everything before it leave the buffer before it is returned; the bytes
// after its checksum stay for the next pass. A length above 100 empties the buffer; a checksum mismatch
// drops the frame's bytes, keeping what follows them.
AssemblyStep AssembleReply(AssemblerState& state, ReplyFrame& frame);

// Runs passes while they make progress and returns the frames in order of arrival.
QVector<ReplyFrame> AssembleAll(AssemblerState& state);

// A reply frame has four bytes at least: start, code, length and checksum.
constexpr int kShortestReplyFrame = 4;

// How many more bytes the frame being assembled needs at least: the rest of its header until its length
// is known (a reply frame has four bytes at least), then the rest of the frame. 1 when none has started.
int BytesStillExpected(const AssemblerState& state);
