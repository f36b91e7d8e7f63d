#include "link/Frame.h"

#include "link/Errors.h"

quint8 FrameChecksum(const char* data, int size) {
    quint8 sum = 0;
    for (int i = 0; i < size; ++i) sum = quint8(sum + quint8(data[i]));
    return sum;
}

static QByteArray buildFrame(char start, quint8 code, const QByteArray& payload) {
    QByteArray frame;
    frame.reserve(payload.size() + 4);
    frame.append(start);
    frame.append(char(code));
    frame.append(char(quint8(payload.size())));
    frame.append(payload);
    frame.append(char(FrameChecksum(frame)));
    return frame;
}

QByteArray BuildCommandFrame(quint8 code, const QByteArray& payload) {
    if (payload.size() > kMaxCommandPayload)
        throw FrameError(QStringLiteral("Polecenie %1 ma za długie dane (%2 bajtów, najwyżej %3)")
                             .arg(code)
                             .arg(payload.size())
                             .arg(kMaxCommandPayload));
    return buildFrame(kCommandStart, code, payload);
}

QByteArray BuildReplyFrame(quint8 code, const QByteArray& payload) {
    return buildFrame(kReplyStart, code, payload.left(255));
}
