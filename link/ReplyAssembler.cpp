#include "link/ReplyAssembler.h"

#include "link/Frame.h"

static void reset(AssemblerState& s) {
    s.rxBuffer.clear();
    s.frameStarted = false;
    s.frameStart = 0;
}

AssemblyStep AssembleReply(AssemblerState& s, ReplyFrame& frame) {
    if (!s.frameStarted) {
        const int pos = s.rxBuffer.indexOf(kReplyStart);
        if (pos < 0) {
            const bool hadBytes = !s.rxBuffer.isEmpty();
            reset(s);
            return hadBytes ? AssemblyStep::Dropped : AssemblyStep::NeedMore;
        }
        // Bytes before the start byte are never looked at again: drop them now, so the frame starts at 1.
        s.rxBuffer.remove(0, pos);
        s.frameStarted = true;
        s.frameStart = 1;
    }
    const int n = s.rxBuffer.size();
    if (n - s.frameStart < 2) return AssemblyStep::NeedMore;

    const int length = quint8(s.rxBuffer.at(s.frameStart + 1));
    if (length > kMaxReplyPayload) {
        reset(s);
        return AssemblyStep::Dropped;
    }
    const int end = s.frameStart + 3 + length;  // 1-based position of the checksum byte
    // The start byte is always at position 1 and a frame is at most 104 bytes, so a buffer that holds
    // no complete frame never grows past 104 bytes.
    if (n < end) return AssemblyStep::NeedMore;

    const char* bytes = s.rxBuffer.constData() + (s.frameStart - 1);
    const bool valid = FrameChecksum(bytes, end - s.frameStart) == quint8(s.rxBuffer.at(end - 1));
    if (valid) {
        frame.code = quint8(bytes[1]);
        frame.payload = QByteArray(bytes + 3, length);
    }
    s.rxBuffer.remove(0, end);
    s.frameStarted = false;
    s.frameStart = 0;
    return valid ? AssemblyStep::Frame : AssemblyStep::Dropped;
}

QVector<ReplyFrame> AssembleAll(AssemblerState& state) {
    QVector<ReplyFrame> frames;
    for (;;) {
        ReplyFrame frame;
        const AssemblyStep step = AssembleReply(state, frame);
        if (step == AssemblyStep::Frame) frames.append(std::move(frame));
        else if (step == AssemblyStep::NeedMore || state.rxBuffer.isEmpty()) break;
    }
    return frames;
}

int BytesStillExpected(const AssemblerState& s) {
    if (!s.frameStarted) return 1;
    const int n = s.rxBuffer.size();
    if (n - s.frameStart < 2) return qMax(1, s.frameStart - 1 + kShortestReplyFrame - n);
    const int length = quint8(s.rxBuffer.at(s.frameStart + 1));
    return qMax(1, s.frameStart + 3 + length - n);
}
