// Command frames and the reply assembler.

#include "link/Errors.h"
#include "link/Frame.h"
#include "link/ReplyAssembler.h"

#include <QtTest>

static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

class FramesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandFrames() {
        QCOMPARE(BuildCommandFrame(253, "G"), hex("4EFD014793"));
        const QByteArray preamble = BuildCommandFrame(0, QByteArray(50, '0'));
        QCOMPARE(preamble.size(), 54);
        QCOMPARE(preamble.left(3), hex("4E0032"));
        QCOMPARE(preamble.mid(3, 50), QByteArray(50, '0'));
        QCOMPARE(quint8(preamble.back()), quint8(0xE0));
        QCOMPARE(BuildCommandFrame(4, "T"), hex("4E040154A7"));
        QCOMPARE(BuildCommandFrame(95, QByteArray()), hex("4E5F00AD"));
    }

    void payloadLimit() {
        const QByteArray longest = BuildCommandFrame(101, QByteArray(252, '\xFF'));
        QCOMPARE(longest.size(), 256);
        QCOMPARE(quint8(longest.at(2)), quint8(252));
        // 253 bytes would wrap the length byte: refused, never framed.
        QVERIFY_THROWS_EXCEPTION(FrameError, BuildCommandFrame(101, QByteArray(253, 'x')));
    }

    void zeroLengthReply() {
        AssemblerState s;
        s.rxBuffer = hex("6E5F00CD");
        const auto frames = AssembleAll(s);
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0].code, quint8(95));
        QVERIFY(frames[0].payload.isEmpty());
        QVERIFY(s.rxBuffer.isEmpty());
    }

    void garbage() {
        AssemblerState s;
        s.rxBuffer = "garbage without a start byte";
        ReplyFrame f;
        QCOMPARE(AssembleReply(s, f), AssemblyStep::Dropped);
        QVERIFY(s.rxBuffer.isEmpty());

        s.rxBuffer = QByteArray("\x01\x02JUNK") + BuildReplyFrame(2, "W");
        const auto frames = AssembleAll(s);
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0], (ReplyFrame{2, "W"}));
    }

    void lengthAboveLimitEmptiesBuffer() {
        AssemblerState s;
        s.rxBuffer = hex("6E0165") + QByteArray(10, 'a');  // length 101
        QVERIFY(AssembleAll(s).isEmpty());
        QVERIFY(s.rxBuffer.isEmpty());
        QVERIFY(!s.frameStarted);
        // A valid frame after it is received normally; length 100 is still valid.
        s.rxBuffer = BuildReplyFrame(7, QByteArray(100, 'x'));
        const auto frames = AssembleAll(s);
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0].payload.size(), 100);
    }

    void checksumMismatchThenResend() {
        AssemblerState s;
        QByteArray bad = BuildReplyFrame(253, QByteArray(13, '\x10'));
        bad.back() = char(bad.back() + 1);
        s.rxBuffer = bad;
        QVERIFY(AssembleAll(s).isEmpty());
        QVERIFY(s.rxBuffer.isEmpty());
        s.rxBuffer.append(BuildReplyFrame(253, QByteArray(13, '\x10')));
        QCOMPARE(AssembleAll(s).size(), 1);
    }

    void splitByteByByte() {
        const QByteArray frame = BuildReplyFrame(1, "T2");
        AssemblerState s;
        for (int i = 0; i < frame.size(); ++i) {
            s.rxBuffer.append(frame.at(i));
            const auto frames = AssembleAll(s);
            if (i < frame.size() - 1) {
                QVERIFY2(frames.isEmpty(), qPrintable(QString("frame delivered early at byte %1").arg(i)));
            } else {
                QCOMPARE(frames.size(), 1);
                QCOMPARE(frames[0], (ReplyFrame{1, "T2"}));
            }
        }
    }

    void twoFramesInOneChunkInOrder() {
        AssemblerState s;
        s.rxBuffer = BuildReplyFrame(93, hex("1000")) + BuildReplyFrame(91, hex("0943070805031234"));
        const auto frames = AssembleAll(s);
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0].code, quint8(93));
        QCOMPARE(frames[1].code, quint8(91));
        QCOMPARE(frames[1].payload, hex("0943070805031234"));
    }

    void partialSecondFrameKept() {
        AssemblerState s;
        const QByteArray second = BuildReplyFrame(90, QByteArray());
        s.rxBuffer = BuildReplyFrame(91, QByteArray(8, '\x01')) + second.left(2);
        QCOMPARE(AssembleAll(s).size(), 1);
        QCOMPARE(s.rxBuffer, second.left(2));
        s.rxBuffer.append(second.mid(2));
        const auto frames = AssembleAll(s);
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0].code, quint8(90));
    }

    void badFrameDoesNotSwallowTheNext() {
        // A corrupted record followed by a good one in the same chunk: the good one survives.
        AssemblerState s;
        QByteArray bad = BuildReplyFrame(91, QByteArray(8, '\x02'));
        bad[5] = char(bad[5] ^ 0x40);
        s.rxBuffer = bad + BuildReplyFrame(90, QByteArray());
        const auto frames = AssembleAll(s);
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0].code, quint8(90));
    }

    void bufferStaysBounded() {
        // Random bytes in many chunks: the buffer never holds more than one frame's worth.
        AssemblerState s;
        quint32 seed = 12345;
        for (int chunk = 0; chunk < 2000; ++chunk) {
            QByteArray bytes;
            for (int i = 0; i < 37; ++i) {
                seed = seed * 1103515245u + 12345u;
                bytes.append(char(seed >> 16));
            }
            s.rxBuffer.append(bytes);
            AssembleAll(s);
            QVERIFY(s.rxBuffer.size() <= 104);
        }
    }
};

QTEST_GUILESS_MAIN(FramesTest)
#include "tst_frames.moc"
