// The reply assembler fed arbitrary bytes in arbitrary chunks.

#include "link/Frame.h"
#include "link/ReplyAssembler.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the chunk size, as the port may cut the stream anywhere.
    const size_t chunk = (data[0] % 16) + 1;
    AssemblerState state;
    for (size_t pos = 1; pos < size; pos += chunk) {
        const size_t n = std::min(chunk, size - pos);
        state.rxBuffer.append(reinterpret_cast<const char*>(data + pos), int(n));
        const QVector<ReplyFrame> frames = AssembleAll(state);
        if (state.rxBuffer.size() > 104) abort();
        for (const ReplyFrame& f : frames) {
            if (f.payload.size() > kMaxReplyPayload) abort();
            // What was delivered is a frame that reassembles to itself.
            AssemblerState again;
            again.rxBuffer = BuildReplyFrame(f.code, f.payload);
            const QVector<ReplyFrame> back = AssembleAll(again);
            if (back.size() != 1 || !(back[0] == f)) abort();
        }
    }
    return 0;
}
