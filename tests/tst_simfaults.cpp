// The simulator's fault knobs: silence, damaged and misdirected replies, chunking and gluing, firmware
// acknowledgements, junk.

#include "link/Frame.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/SimPc.h"

#include <QtTest>
#include <memory>

namespace {
QByteArray block(int number) {
    QByteArray payload(1, char(number));
    payload.append(QByteArray(128, char('A' + number)));
    return payload;
}
}  // namespace

class TestSimFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<Recorder> rec;
    std::unique_ptr<SimWire> wire;
    std::unique_ptr<SimPc> pc;

    // Sends status requests one after the other and returns which of them were answered.
    QVector<bool> statusRounds(int n) {
        QVector<bool> answered;
        for (int i = 0; i < n; ++i) {
            const int before = int(pc->frames.size());
            pc->exchange(253, "G");
            answered.append(pc->frames.size() > before);
        }
        return answered;
    }

private Q_SLOTS:
    void init() {
        rec = std::make_unique<Recorder>();
        wire = std::make_unique<SimWire>(rec.get());
        pc = std::make_unique<SimPc>(*wire);
        wire->OpenPort();
    }
    void cleanup() {
        pc.reset();
        wire.reset();
        rec.reset();
    }

    void silence() {
        rec->faults().silent = true;
        QCOMPARE(statusRounds(2), QVector<bool>({false, false}));
        // The frames did reach the recorder.
        QCOMPARE(rec->received().size(), 2);
        rec->faults().silent = false;

        rec->faults().silentAfterFrames = 2;
        QCOMPARE(statusRounds(4), QVector<bool>({true, true, false, false}));
        rec->faults().silentAfterFrames = -1;

        // The next frame is missed, its resend answered.
        rec->faults().silentNextFrames = 1;
        QCOMPARE(statusRounds(2), QVector<bool>({false, true}));
        QCOMPARE(rec->faults().silentNextFrames, 0);
    }

    void silentCodesAreUnknownCommands() {
        rec->faults().silentCodes = {80};
        pc->exchange(80, "T");
        pc->exchange(78, "T");
        QCOMPARE(pc->codes(), QVector<quint8>({78}));
        QCOMPARE(rec->receivedCodes(), QVector<quint8>({80, 78}));
    }

    void silenceHoldsARunningTransfer() {
        rec->fillRegister(10, 1);
        pc->onChunk = [this](const QByteArray&) {
            if (pc->frames.size() == 3) rec->faults().silent = true;
        };
        pc->exchange(93, "h");
        QCOMPARE(pc->frames.size(), 3);
        QVERIFY(rec->streaming());
        pc->onChunk = nullptr;
        SimFaults f = rec->faults();
        f.silent = false;
        rec->setFaults(f);  // wakes the wire
        QVERIFY(pc->settle());
        QCOMPARE(pc->frames.size(), 12);
        QCOMPARE(pc->frames.last().code, quint8(90));
    }

    void corruptedChecksums() {
        rec->faults().corruptNextReplies = 1;
        QCOMPARE(statusRounds(2), QVector<bool>({false, true}));
        // The bytes did come: only the checksum is wrong.
        QCOMPARE(pc->chunks.size(), 2);
        QCOMPARE(pc->chunks[0].size(), 17);
        QCOMPARE(pc->chunks[0].left(16), pc->chunks[1].left(16));

        pc->clear();
        rec->fillRegister(4, 1);
        rec->faults().corruptCodes = {91};
        pc->exchange(93, "h");
        QCOMPARE(pc->codes(), QVector<quint8>({93, 90}));
        QCOMPARE(pc->chunks.size(), 6);
    }

    void replyWithAnotherCode() {
        rec->faults().replyCodeFor.insert(253, 252);
        pc->exchange(253, "G");
        pc->exchange(4, "T");
        QCOMPARE(pc->codes(), QVector<quint8>({252, 4}));
        QCOMPARE(pc->frames[0].payload, rec->live().toPayload());
    }

    void replyInChunks_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("1") << 1;
        QTest::newRow("5") << 5;
        QTest::newRow("16") << 16;
        QTest::newRow("larger than the frame") << 40;
    }
    void replyInChunks() {
        QFETCH(int, size);
        rec->faults().chunkSize = size;
        pc->exchange(253, "G");
        const QByteArray whole = BuildReplyFrame(253, rec->live().toPayload());
        const int pieces = (whole.size() + size - 1) / size;
        QCOMPARE(pc->chunks.size(), pieces);
        QCOMPARE(pc->allBytes(), whole);
        // Each piece was its own notification, counting just that piece.
        for (int i = 0; i < pieces; ++i) {
            QCOMPARE(pc->counts[i], pc->chunks[i].size());
            QCOMPARE(pc->chunks[i], whole.mid(i * size, size));
        }
        QCOMPARE(pc->frames.size(), 1);
    }

    void glueTwoOutputs() {
        rec->fillRegister(3, 1);
        rec->faults().glueNextOutputs = 1;
        pc->exchange(93, "h");
        // Header and first record in one chunk, the rest one by one.
        QCOMPARE(pc->chunks.size(), 4);
        QCOMPARE(pc->chunks[0], BuildReplyFrame(93, QByteArray::fromHex("1800")) +
                                    BuildReplyFrame(91, rec->records()[0]));
        QCOMPARE(pc->chunks[1], BuildReplyFrame(91, rec->records()[1]));
        QCOMPARE(rec->faults().glueNextOutputs, 0);

        // A single answer has nothing to be glued to and comes alone.
        pc->clear();
        rec->faults().glueNextOutputs = SimFaults::kAlways;
        pc->exchange(253, "G");
        QCOMPARE(pc->chunks.size(), 1);
        QCOMPARE(pc->frames.size(), 1);
    }

    void acknowledgements() {
        pc->exchange(255, "B");
        pc->exchange(101, block(0));
        QCOMPARE(pc->chunks, QVector<QByteArray>({"!"}));

        // Glued to a byte after it, or to junk before it.
        rec->faults().glueNextAcks = 1;
        pc->exchange(101, block(1));
        rec->faults().glueNextAcks = 1;
        rec->faults().ackGlue = "\x55\x66";
        rec->faults().ackGlueFirst = true;
        pc->exchange(101, block(2));
        pc->exchange(101, block(3));
        QCOMPARE(pc->chunks, QVector<QByteArray>({"!", QByteArray("!\0", 2), "\x55\x66!", "!"}));

        // The next acknowledgement lost: the block is kept, its resend not stored twice.
        pc->clear();
        rec->faults().dropNextAcks = 1;
        pc->exchange(101, block(4));
        QVERIFY(pc->chunks.isEmpty());
        pc->exchange(101, block(4));
        QCOMPARE(pc->chunks, QVector<QByteArray>({"!"}));

        // Two acknowledgements of block 5 lost, the third sent.
        pc->clear();
        rec->faults().dropAckOfBlock.insert(5, 2);
        for (int i = 0; i < 3; ++i) pc->exchange(101, block(5));
        pc->exchange(101, block(6));
        QCOMPARE(pc->chunks, QVector<QByteArray>({"!", "!"}));
        QVERIFY(rec->faults().dropAckOfBlock.isEmpty());

        QCOMPARE(rec->firmwareBlocks(), 7);
        QByteArray image;
        for (int i = 0; i < 7; ++i) image += block(i).mid(1);
        QCOMPARE(rec->firmwareImage(), image);
    }

    void acknowledgementIsNeverSplit() {
        rec->faults().chunkSize = 1;
        rec->faults().glueNextAcks = 1;
        pc->exchange(255, "B");
        pc->exchange(101, block(0));
        QCOMPARE(pc->chunks, QVector<QByteArray>({QByteArray("!\0", 2)}));
    }

    void babble() {
        // Junk before the next answer: no "n" in it, so the answer is still found.
        rec->faults().babbleBytes = 300;
        pc->exchange(253, "G");
        QCOMPARE(pc->chunks.size(), 2);
        QCOMPARE(pc->chunks[0].size(), 300);
        QVERIFY(!pc->chunks[0].contains('n'));
        QCOMPARE(pc->codes(), QVector<quint8>({253}));
        QCOMPARE(rec->faults().babbleBytes, 0);

        // A flood on its own, with start bytes this time: no frame comes of it.
        pc->clear();
        rec->faults().babbleWithStartBytes = true;
        rec->babble(2000);
        QVERIFY(pc->settle());
        QCOMPARE(pc->allBytes().size(), 2000);
        QVERIFY(pc->allBytes().contains('n'));
        QVERIFY(pc->frames.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimFaults)
#include "tst_simfaults.moc"
