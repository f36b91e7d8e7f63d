// Firmware blocks, image sizes, the clock payload and the new-password rule: plain functions.

#include "config/WorkingBuffer.h"
#include "link/Frame.h"
#include "maintenance/FirmwareImage.h"
#include "maintenance/ServiceCommands.h"

#include <QtTest>

namespace {
// A complete image file around `firmware`: magic, the bytes, the check byte.
QByteArray imageFile(const QByteArray& firmware) {
    QByteArray file = kFirmwareMagic + firmware;
    file.append(char(XorOf(file)));
    return file;
}

QByteArray counting(int n) {
    QByteArray bytes(n, '\0');
    for (int i = 0; i < n; ++i) bytes[i] = char((i * 7 + 3) & 0xFF);
    return bytes;
}
}  // namespace

class MaintPureTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void file136GivesTwoBlocksThenFiller() {
        const QByteArray firmware = counting(132);
        const QByteArray file = imageFile(firmware);
        QCOMPARE(file.size(), 136);
        const QVector<QByteArray> blocks = FirmwareBlockPayloads(file);
        QCOMPARE(blocks.size(), 2);
        QCOMPARE(FirmwareBlockCount(file.size()), 2);
        QCOMPARE(blocks[0].size(), kFirmwareBlockPayload);
        QCOMPARE(quint8(blocks[0][0]), quint8(0));
        QCOMPARE(blocks[0].mid(1), firmware.left(128));
        QCOMPARE(quint8(blocks[1][0]), quint8(1));
        QCOMPARE(blocks[1].mid(1, 4), firmware.mid(128, 4));
        QCOMPARE(blocks[1].mid(5), QByteArray(124, char(0xFF)));
    }

    void exactly128FirmwareBytesIsOneFullBlock() {
        const QByteArray firmware(128, char(0x5A));
        const QVector<QByteArray> blocks = FirmwareBlockPayloads(imageFile(firmware));
        QCOMPARE(blocks.size(), 1);
        QCOMPARE(blocks[0].mid(1), firmware);
        QVERIFY(!blocks[0].mid(1).contains(char(0xFF)));
    }

    void blockNumbersWrapAfter255() {
        const QByteArray file = imageFile(counting(257 * 128 + 1));
        const QVector<QByteArray> blocks = FirmwareBlockPayloads(file);
        QCOMPARE(blocks.size(), 258);
        QCOMPARE(quint8(blocks[255][0]), quint8(255));
        QCOMPARE(quint8(blocks[256][0]), quint8(0));
        QCOMPARE(quint8(blocks[257][0]), quint8(1));
        // The 257th block carries the bytes from 256 x 128 on, not those of block 0.
        QCOMPARE(blocks[256].mid(1), file.mid(3 + 256 * 128, 128));
    }

    void blockFramesAre133BytesAndStartRight() {
        const QVector<QByteArray> frames = FirmwareBlockFrames(imageFile(counting(300)));
        QCOMPARE(frames.size(), 3);
        for (const QByteArray& f : frames) {
            QCOMPARE(f.size(), kFirmwareBlockFrame);
            QCOMPARE(FrameChecksum(f.left(f.size() - 1)), quint8(f.back()));
        }
        QCOMPARE(frames[0].left(4), QByteArray::fromHex("4E658100"));
        QCOMPARE(frames[2].left(4), QByteArray::fromHex("4E658102"));
    }

    void blocksReassembleToTheFirmware_data() {
        QTest::addColumn<int>("length");
        for (int n : {1, 127, 128, 129, 255, 256, 1000, 65531}) QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void blocksReassembleToTheFirmware() {
        QFETCH(int, length);
        const QByteArray firmware = counting(length);
        const QByteArray file = imageFile(firmware);
        const QVector<QByteArray> blocks = FirmwareBlockPayloads(file);
        QCOMPARE(blocks.size(), (length + 127) / 128);
        QByteArray joined;
        for (int i = 0; i < blocks.size(); ++i) {
            QCOMPARE(quint8(blocks[i][0]), quint8(i & 0xFF));
            joined += blocks[i].mid(1);
        }
        QCOMPARE(joined.left(length), firmware);
        QCOMPARE(joined.mid(length), QByteArray(joined.size() - length, char(0xFF)));
        // The check byte is never sent.
        QCOMPARE(joined.size(), blocks.size() * 128);
    }

    void noFirmwareNoBlocks() {
        QVERIFY(FirmwareBlockPayloads(imageFile({})).isEmpty());
        QVERIFY(FirmwareBlockPayloads(QByteArray()).isEmpty());
        QVERIFY(FirmwareBlockPayloads(QByteArray("nf")).isEmpty());
        QCOMPARE(FirmwareBlockCount(0), 0);
    }

    void sizesThatCannotBeSent_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("refused");
        QTest::newRow("magic and check only") << qint64(4) << true;
        QTest::newRow("one firmware byte") << qint64(5) << false;
        QTest::newRow("largest") << qint64(65535) << false;
        QTest::newRow("one past the 16-bit size") << qint64(65536) << true;
        QTest::newRow("far too large") << qint64(1 << 20) << true;
        // Left to the file reader's "Zly format pliku".
        QTest::newRow("three bytes") << qint64(3) << false;
        QTest::newRow("empty") << qint64(0) << false;
    }
    void sizesThatCannotBeSent() {
        QFETCH(qint64, size);
        QFETCH(bool, refused);
        QCOMPARE(!FirmwareSizeProblem(size).isEmpty(), refused);
    }

    void clockPayload_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("end of 2099") << QDateTime(QDate(2099, 12, 31), QTime(23, 59, 58))
                                     << QByteArray::fromHex("630C1F173B3A");
        QTest::newRow("year 2000") << QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0))
                                   << QByteArray::fromHex("000101000000");
        QTest::newRow("plain numbers, not BCD") << QDateTime(QDate(2026, 12, 7), QTime(4, 6, 36))
                                                << QByteArray::fromHex("1A0C07040624");
        QTest::newRow("afternoon, 24-hour clock") << QDateTime(QDate(2031, 6, 15), QTime(17, 45, 9))
                                                  << QByteArray::fromHex("1F060F112D09");
    }
    void clockPayload() {
        QFETCH(QDateTime, now);
        QFETCH(QByteArray, payload);
        QCOMPARE(ClockPayload(now), payload);
    }

    void clockFrame() {
        const QByteArray frame =
            BuildCommandFrame(kClockCode, ClockPayload(QDateTime(QDate(2026, 12, 7), QTime(4, 6, 36))));
        QCOMPARE(frame, QByteArray::fromHex("4E5E061A0C070406240D"));
    }

    void clockAtMidnightTakesOneMoment() {
        // The last and the first second of a day: date and time always from the same reading.
        QCOMPARE(ClockPayload(QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59))), QByteArray::fromHex("190C1F173B3B"));
        QCOMPARE(ClockPayload(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0))), QByteArray::fromHex("1A0101000000"));
    }

    void usablePasswords_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("usable");
        QTest::newRow("four digits") << "5678" << true;
        QTest::newRow("zeros") << "0000" << true;
        QTest::newRow("three digits") << "123" << false;
        QTest::newRow("five digits") << "12345" << false;
        QTest::newRow("letters") << "abcd" << false;
        QTest::newRow("digit and space") << "123 " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("١٢٣٤") << false;
        QTest::newRow("full-width digits") << QString::fromUtf8("１２３４") << false;
    }
    void usablePasswords() {
        QFETCH(QString, text);
        QFETCH(bool, usable);
        QCOMPARE(IsUsablePassword(text), usable);
    }

    void fixedFrames() {
        QCOMPARE(BuildCommandFrame(kRestartCode, kRestartPayload), QByteArray::fromHex("4EFF014290"));
        QCOMPARE(BuildCommandFrame(kFirmwareEndCode, kFirmwareEndPayload), QByteArray::fromHex("4E66014B00"));
        QCOMPARE(BuildCommandFrame(kCounterResetCode, kCounterResetPayload), QByteArray::fromHex("4EFE014794"));
    }
};

QTEST_APPLESS_MAIN(MaintPureTest)
#include "tst_maint_pure.moc"
