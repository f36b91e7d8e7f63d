// The simulated recorder's protocol, driven through its wire with raw command frames.

#include "link/Frame.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/SimPc.h"

#include <QtTest>
#include <memory>

namespace {
QByteArray block(int number, char fill) {
    QByteArray payload(1, char(number));
    for (int i = 0; i < 128; ++i) payload.append(char(fill + i));
    return payload;
}
}  // namespace

class TestSim : public QObject {
    Q_OBJECT

    std::unique_ptr<Recorder> rec;
    std::unique_ptr<SimWire> wire;
    std::unique_ptr<SimPc> pc;

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

    void login_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("loggedIn");
        using L = SimFaults::Login;
        QTest::newRow("right") << int(L::Check) << QByteArray("1234") << QByteArray("T2") << true;
        QTest::newRow("wrong") << int(L::Check) << QByteArray("1243") << QByteArray("N2") << false;
        QTest::newRow("three digits") << int(L::Check) << QByteArray("123") << QByteArray("N2") << false;
        QTest::newRow("forced wrong") << int(L::Wrong) << QByteArray("1234") << QByteArray("N2") << false;
        QTest::newRow("empty reply") << int(L::Empty) << QByteArray("1234") << QByteArray() << false;
        QTest::newRow("verdict only") << int(L::VerdictOnly) << QByteArray("1234") << QByteArray("T") << true;
    }
    void login() {
        QFETCH(int, mode);
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, reply);
        QFETCH(bool, loggedIn);
        rec->faults().login = SimFaults::Login(mode);
        pc->exchange(1, password);
        QCOMPARE(pc->frames.size(), 1);
        QCOMPARE(pc->frames[0].code, quint8(1));
        QCOMPARE(pc->frames[0].payload, reply);
        QCOMPARE(rec->loggedIn(), loggedIn);
    }

    void versionCharacterIsAKnob() {
        rec->setFirmwareVersion(':');
        pc->exchange(1, "1234");
        QCOMPARE(pc->frames.value(0).payload, QByteArray("T:"));
    }

    void loginIsForgottenOnLogoutAndClose() {
        pc->exchange(1, "1234");
        QVERIFY(rec->loggedIn());
        pc->exchange(2, "W");
        QCOMPARE(pc->codes(), QVector<quint8>({1, 2}));
        QVERIFY(pc->frames[1].payload.isEmpty());
        QVERIFY(!rec->loggedIn());

        pc->exchange(1, "1234");
        QVERIFY(rec->loggedIn());
        wire->ClosePort();
        QVERIFY(!rec->loggedIn());
    }

    void passwordChange() {
        pc->exchange(3, "98765");
        QCOMPARE(pc->codes(), QVector<quint8>({3}));
        QCOMPARE(rec->password(), QByteArray("98765"));
        pc->exchange(1, "1234");
        pc->exchange(1, "98765");
        QCOMPARE(pc->frames[1].payload, QByteArray("N2"));
        QCOMPARE(pc->frames[2].payload, QByteArray("T2"));

        // Taken exactly as sent, an empty one too.
        pc->exchange(3, QByteArray());
        QCOMPARE(pc->frames.size(), 4);
        QCOMPARE(rec->password(), QByteArray());
    }

    void requireLoginAnswersOnlyLoginBefore() {
        rec->setRequireLogin(true);
        pc->exchange(253, "G");
        pc->exchange(4, "T");
        QVERIFY(pc->frames.isEmpty());
        QCOMPARE(rec->received().size(), 2);
        pc->exchange(1, "1234");
        pc->exchange(253, "G");
        QCOMPARE(pc->codes(), QVector<quint8>({1, 253}));
    }

    void statusLayout() {
        SimLiveState s;
        s.inputs = 0x15;        // IN1, IN3, IN5
        s.outputs = 0x0B;       // OUT1, OUT2, OUT4
        s.eventsWaiting = 5;
        s.fFlag = true;
        s.modemState = 20;
        s.rssi = 31;
        s.smsToday = 3;
        s.voiceToday = 1;
        s.supplyRaw = 265;
        s.batteryRaw = 700;
        s.temperatureRaw = 300;
        s.temperatureState = 2;
        s.supplyOk = true;
        s.batteryOk = false;
        rec->setLive(s);
        pc->exchange(253, "G");
        QCOMPARE(pc->frames.size(), 1);
        QCOMPARE(pc->frames[0].code, quint8(253));
        QCOMPARE(pc->frames[0].payload.toHex(), QByteArray("75c5141f030109" "01bc022c0106"));

        // All inputs, no outputs, the F flag, five events waiting: 1F 85.
        s = SimLiveState();
        s.eventsWaiting = 5;
        rec->setLive(s);
        pc->exchange(253, "G");
        QCOMPARE(pc->frames[1].payload.left(2).toHex(), QByteArray("1f85"));
        QCOMPARE(pc->frames[1].payload.size(), 13);
    }

    void itemsRoundTrip_data() {
        QTest::addColumn<int>("number");
        for (int n = 1; n <= SimItems::kCount; ++n) QTest::addRow("item %d", n) << n;
    }
    void itemsRoundTrip() {
        QFETCH(int, number);
        const int read = SimItems::readCode(number);
        const QByteArray before = rec->item(number);
        pc->exchange(quint8(read), "T");
        QCOMPARE(pc->frames.size(), 1);
        QCOMPARE(int(pc->frames[0].code), read);
        QCOMPARE(pc->frames[0].payload, before);

        const QByteArray value = "\xA3\xF3" "d\xBC 30 znak\xF3w?" + QByteArray::number(number);
        pc->exchange(quint8(read + 1), value);
        QCOMPARE(pc->frames.size(), 2);
        QCOMPARE(int(pc->frames[1].code), read + 1);
        QCOMPARE(rec->item(number), value);
        QCOMPARE(rec->itemForCode(read), value);
        QCOMPARE(rec->itemForCode(read + 1), value);

        pc->exchange(quint8(read), "T");
        QCOMPARE(pc->frames.size(), 3);
        QCOMPARE(pc->frames[2].payload, value);
    }

    void defaultItemsLookConfigured() {
        QCOMPARE(rec->item(SimItems::kMatrixItem).size(), 16);
        QCOMPARE(rec->item(SimItems::kOptionsItem).size(), 13);
        QCOMPARE(rec->item(SimItems::kTemperatureItem).size(), 4);
        QCOMPARE(rec->item(2), QByteArray("+48602951111") + '\0');
        // Polish texts travel as Windows-1250 bytes: "Powrót" has 0xF3.
        QVERIFY(rec->item(30).contains('\xF3'));
        // The row "Bateria" (items 27 and 28) tells of the battery, the row "Zasilanie" (29, 30) of the mains.
        for (int n : {27, 28}) QVERIFY2(rec->item(n).startsWith("Bateria "), rec->item(n).constData());
        for (int n : {29, 30}) QVERIFY2(rec->item(n).endsWith(" zasilania 230V"), rec->item(n).constData());
        for (int n = 1; n <= SimItems::kCount; ++n) QVERIFY2(rec->item(n).size() <= 30, qPrintable(QString::number(n)));
        QVERIFY(rec->item(0).isEmpty());
        QVERIFY(rec->item(42).isEmpty());
        QCOMPARE(SimItems::itemForCode(84), 41);
        QCOMPARE(SimItems::itemForCode(85), 41);
        QCOMPARE(SimItems::itemForCode(86), 0);
        QCOMPARE(SimItems::itemForCode(3), 0);
    }

    void fixedPayloadsAreChecked() {
        pc->exchange(4, "X");
        pc->exchange(253, "g");
        pc->exchange(93, "H");
        pc->exchange(94, "12345");
        QVERIFY(pc->frames.isEmpty());
        QCOMPARE(rec->received().size(), 4);

        rec->setStrictPayloads(false);
        pc->exchange(4, "X");
        pc->exchange(253, "g");
        QCOMPARE(pc->codes(), QVector<quint8>({4, 253}));
    }

    void noAnswerToUnknownCodesPreambleAndNoise() {
        pc->exchange(0, QByteArray(50, '0'));
        pc->exchange(200, "G");
        pc->exchange(86, "T");
        // Checksum off by one.
        QByteArray bad = BuildCommandFrame(253, "G");
        bad[bad.size() - 1] = char(bad.at(bad.size() - 1) + 1);
        wire->WriteBytes(bad);
        QVERIFY(pc->settle());
        QVERIFY(pc->frames.isEmpty());
        QVERIFY(pc->chunks.isEmpty());
        QCOMPARE(rec->receivedCodes(), QVector<quint8>({0, 200, 86}));
        QCOMPARE(rec->checksumErrors(), 1);

        // Noise right before a good frame, even a false start with a bad checksum, does not hide it.
        wire->WriteBytes(QByteArray("\x01\x02N\x05\x01zz") + BuildCommandFrame(253, "G"));
        QVERIFY(pc->settle());
        QCOMPARE(pc->codes(), QVector<quint8>({253}));
        QCOMPARE(rec->checksumErrors(), 2);
    }

    void registerStreamsInOrderOneFramePerChunk() {
        QVector<QByteArray> records;
        for (int i = 0; i < 5; ++i) {
            SimEventRecord r;
            r.year = 2009 + i;
            r.month = 3;
            r.code = 4 + i;
            r.day = 7;
            r.hour = 8;
            r.minute = 5;
            r.second = i;
            r.sample = quint16(300 + i);
            records.append(r.toBytes());
        }
        // Codes the program draws no line for travel the same way.
        records.append(QByteArray::fromHex("0F2F1C17383B0000"));
        rec->setRecords(records);
        pc->exchange(93, "h");

        QCOMPARE(pc->frames.size(), 8);
        QCOMPARE(pc->frames[0].code, quint8(93));
        QCOMPARE(pc->frames[0].payload, QByteArray::fromHex("3000"));
        for (int i = 0; i < records.size(); ++i) {
            QCOMPARE(pc->frames[1 + i].code, quint8(91));
            QCOMPARE(pc->frames[1 + i].payload, records[i]);
        }
        QCOMPARE(pc->frames[7].code, quint8(90));
        QVERIFY(pc->frames[7].payload.isEmpty());
        // Each frame came in a notification of its own.
        QCOMPARE(pc->chunks.size(), 8);
        for (int i = 0; i < pc->chunks.size(); ++i) QCOMPARE(pc->chunks[i].size(), pc->frames[i].payload.size() + 4);
        QCOMPARE(records[0].toHex(), QByteArray("0943070805002c01"));
        QVERIFY(!rec->streaming());
    }

    void registerStopsAfterChosenRecords_data() {
        QTest::addColumn<int>("after");
        QTest::newRow("at once") << 0;
        QTest::newRow("two more") << 2;
    }
    void registerStopsAfterChosenRecords() {
        QFETCH(int, after);
        rec->fillRegister(20, 7);
        rec->setRecordsAfterStop(after);
        // Like the program: a stop request for every record that arrives once the user has pressed STOP.
        pc->onChunk = [this](const QByteArray&) {
            if (!pc->frames.isEmpty() && pc->frames.last().code == 91) pc->send(95, "x");
        };
        pc->exchange(93, "h");
        QVector<quint8> expected{93};
        for (int i = 0; i < 1 + after; ++i) expected.append(91);
        expected.append(95);
        QCOMPARE(pc->codes(), expected);
        QVERIFY(!rec->streaming());
        for (int i = 1; i <= 1 + after; ++i) QCOMPARE(pc->frames[i].payload, rec->records()[i - 1]);

        // A stop with no transfer running is confirmed too.
        pc->onChunk = nullptr;
        pc->clear();
        pc->exchange(95, "x");
        QCOMPARE(pc->codes(), QVector<quint8>({95}));
    }

    void registerHeaderSizes() {
        rec->fillRegister(5000, 3);
        QCOMPARE(rec->recordCount(), Recorder::kMaxRecords);
        pc->onChunk = [this](const QByteArray&) {
            if (pc->frames.size() == 1) pc->send(95, "x");
        };
        pc->exchange(93, "h");
        QCOMPARE(pc->codes(), QVector<quint8>({93, 95}));
        QCOMPARE(pc->frames[0].payload, QByteArray::fromHex("f87f"));

        pc->onChunk = nullptr;
        pc->clear();
        rec->faults().headerSizeOverride = 0x7FF9;
        rec->setRecords({});
        pc->exchange(93, "h");
        QCOMPARE(pc->codes(), QVector<quint8>({93, 90}));
        QCOMPARE(pc->frames[0].payload, QByteArray::fromHex("f97f"));

        // The register keeps the newest 4095.
        rec->fillRegister(Recorder::kMaxRecords, 3);
        const QByteArray second = rec->records()[1];
        rec->appendRecord(QByteArray(8, '\x01'));
        QCOMPARE(rec->recordCount(), Recorder::kMaxRecords);
        QCOMPARE(rec->records().first(), second);
        QCOMPARE(rec->records().last(), QByteArray(8, '\x01'));
    }

    void eraseEmptiesTheRegister() {
        rec->fillRegister(30, 1);
        pc->exchange(96, "x");
        QCOMPARE(pc->codes(), QVector<quint8>({96}));
        QCOMPARE(rec->recordCount(), 0);
        pc->exchange(93, "h");
        QCOMPARE(pc->codes(), QVector<quint8>({96, 93, 90}));
        QCOMPARE(pc->frames[1].payload, QByteArray::fromHex("0000"));
    }

    void filledRegisterIsRealisticAndRepeatable() {
        const QDateTime start(QDate(2024, 3, 1), QTime(8, 0));
        const QVector<QByteArray> a = MakeRegister(2000, 11, start);
        QCOMPARE(a.size(), 2000);
        QCOMPARE(MakeRegister(2000, 11, start), a);
        QVERIFY(MakeRegister(2000, 12, start) != a);
        QCOMPARE(SimEventRecord::fromBytes(a[0]).code, int(SimEventRecord::Start));
        QCOMPARE(SimEventRecord::fromBytes(a[1]).code, int(SimEventRecord::GsmLink));

        QSet<int> codes;
        QDateTime previous;
        for (const QByteArray& bytes : a) {
            QCOMPARE(bytes.size(), 8);
            const SimEventRecord r = SimEventRecord::fromBytes(bytes);
            codes.insert(r.code);
            const QDateTime when(QDate(r.year, r.month, r.day), QTime(r.hour, r.minute, r.second));
            QVERIFY(when.isValid());
            QVERIFY(!previous.isValid() || when >= previous);
            previous = when;
            const int tenths = TenthsForRaw(r.sample);
            QVERIFY(tenths > -300 && tenths < 700);
        }
        // Every listed code shows up in 2000 records; no unlisted one unless asked.
        for (int code = 4; code <= 13; ++code) QVERIFY2(codes.contains(code), qPrintable(QString::number(code)));
        QCOMPARE(codes.size(), 10);

        bool unlisted = false;
        for (const QByteArray& bytes : MakeRegister(2000, 11, start, true)) {
            const int code = SimEventRecord::fromBytes(bytes).code;
            unlisted = unlisted || code < 4 || code > 13;
        }
        QVERIFY(unlisted);
    }

    void temperatureRaw() {
        QCOMPARE(RawForTenths(232), quint16(300));
        QCOMPARE(TenthsForRaw(300), 232);
        QCOMPARE(TenthsForRaw(205), 0);
        QCOMPARE(TenthsForRaw(204), -2);
        QCOMPARE(TenthsForRaw(RawForTenths(-500)), -500);
        QCOMPARE(TenthsForRaw(RawForTenths(750)), 750);
    }

    void clockAndCounterReset() {
        pc->exchange(94, QByteArray::fromHex("1a0c07040624"));
        QCOMPARE(pc->codes(), QVector<quint8>({94}));
        QCOMPARE(rec->clockPayload(), QByteArray::fromHex("1a0c07040624"));
        QCOMPARE(rec->clockNow().date(), QDate(2026, 12, 7));

        rec->live().smsToday = 7;
        rec->live().voiceToday = 2;
        pc->exchange(254, "G");
        QCOMPARE(pc->frames.size(), 1);
        QCOMPARE(rec->live().smsToday, quint8(0));
        QCOMPARE(rec->live().voiceToday, quint8(0));
    }

    void bootloaderTakesBlocksWithLoneAcks() {
        pc->exchange(1, "1234");
        pc->clear();
        pc->exchange(255, "B");
        QVERIFY(pc->chunks.isEmpty());
        QVERIFY(rec->inBootloader());
        QVERIFY(!rec->loggedIn());

        // Normal commands are lost on the bootloader.
        pc->exchange(253, "G");
        QVERIFY(pc->chunks.isEmpty());

        pc->exchange(101, block(0, 'a'));
        pc->exchange(101, block(1, 'b'));
        pc->exchange(101, block(1, 'b'));  // resent after a lost acknowledgement
        pc->exchange(101, block(2, 'c'));
        QCOMPARE(pc->chunks, QVector<QByteArray>(4, "!"));
        QCOMPARE(pc->counts, QVector<int>(4, 1));
        QCOMPARE(rec->firmwareBlocks(), 3);
        QCOMPARE(rec->firmwareImage(), block(0, 'a').mid(1) + block(1, 'b').mid(1) + block(2, 'c').mid(1));

        // A block out of sequence or of the wrong size is not taken.
        pc->exchange(101, block(7, 'x'));
        pc->exchange(101, block(3, 'd').left(100));
        QCOMPARE(pc->chunks.size(), 4);
        QCOMPARE(rec->blockSequenceErrors(), 1);

        QSignalSpy done(rec.get(), &Recorder::firmwareReceived);
        pc->exchange(102, "K");
        QCOMPARE(done.size(), 1);
        QCOMPARE(done[0][0].toByteArray(), rec->firmwareImage());
        QVERIFY(!rec->inBootloader());
        QCOMPARE(rec->firmwareUpdates(), 1);
        QCOMPARE(pc->chunks.size(), 4);

        pc->exchange(253, "G");
        QCOMPARE(pc->codes(), QVector<quint8>({253}));
        // Firmware frames mean nothing to the running firmware.
        pc->exchange(101, block(0, 'a'));
        pc->exchange(102, "K");
        QCOMPARE(pc->chunks.size(), 5);
        QCOMPARE(rec->firmwareUpdates(), 1);
    }

    void blockNumbersWrapAround() {
        pc->exchange(255, "B");
        for (int i = 0; i < 257; ++i) pc->send(101, block(i & 0xFF, char(i)));
        QVERIFY(pc->settle());
        QCOMPARE(pc->chunks.size(), 257);
        QCOMPARE(rec->firmwareBlocks(), 257);
        QCOMPARE(rec->firmwareImage().size(), 257 * 128);
        QCOMPARE(rec->firmwareImage().right(128), block(0, char(256)).mid(1));
        QCOMPARE(rec->blockSequenceErrors(), 0);
    }

    // The recorder is handed the times itself here, so the window is measured on its clock, not on how
    // fast this machine runs the test.
    void bootloaderWindowWithoutBlocks() {
        Recorder r;
        r.setBootloaderWindowMs(30);
        constexpr qint64 ms = 1000000;
        auto answers = [&r](qint64 at) {
            QVector<quint8> codes;
            while (r.hasOutput()) {
                const SimOutput out = r.takeOutput(at);
                if (out.kind == SimOutput::Kind::None) break;
                if (out.kind == SimOutput::Kind::Reply) codes.append(out.code);
            }
            return codes;
        };
        r.receive(BuildCommandFrame(255, "B"), 0);
        QCOMPARE(answers(1 * ms), QVector<quint8>());  // a restart is not answered
        r.receive(BuildCommandFrame(253, "G"), 29 * ms);
        QCOMPARE(answers(29 * ms), QVector<quint8>());
        QVERIFY(r.inBootloader());
        // No block within the window: the firmware runs again.
        r.receive(BuildCommandFrame(253, "G"), 31 * ms);
        QCOMPARE(answers(31 * ms), QVector<quint8>({253}));
        QVERIFY(!r.inBootloader());

        // Once a block has come, the bootloader stays until the end command.
        r.receive(BuildCommandFrame(255, "B"), 100 * ms);
        answers(100 * ms);
        r.receive(BuildCommandFrame(101, block(0, 'a')), 101 * ms);
        answers(101 * ms);
        r.receive(BuildCommandFrame(253, "G"), 5000 * ms);
        QCOMPARE(answers(5000 * ms), QVector<quint8>());
        QVERIFY(r.inBootloader());
    }

    void liveDriftMovesWithinBounds() {
        const SimLiveState start = rec->live();
        QSet<int> temperatures, rssi;
        int inputChanges = 0;
        quint8 inputs = start.inputs;
        for (int s = 0; s < 600; ++s) {
            rec->driftOneSecond();
            const SimLiveState& l = rec->live();
            temperatures.insert(l.temperatureRaw);
            rssi.insert(l.rssi);
            if (l.inputs != inputs) ++inputChanges;
            inputs = l.inputs;
            QVERIFY(l.temperatureRaw >= 250 && l.temperatureRaw <= 340);
            QVERIFY(l.supplyRaw >= 263 && l.supplyRaw <= 267);
            QVERIFY(l.rssi == 99 || (l.rssi >= 10 && l.rssi <= 28));
            QVERIFY(l.temperatureState >= 1 && l.temperatureState <= 3);
        }
        QVERIFY(temperatures.size() > 3);
        QVERIFY(rssi.size() > 3);
        QVERIFY(inputChanges > 0);
        QVERIFY(rec->live().smsToday > 0);
        // A periodic temperature record every minute.
        QCOMPARE(rec->recordCount(), 10);
        QCOMPARE(SimEventRecord::fromBytes(rec->records().last()).code, int(SimEventRecord::PeriodicTemperature));
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
