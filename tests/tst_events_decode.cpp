// The event register's header and records turned into lines and colours.

#include "events/EventDecode.h"

#include <QtTest>

namespace {
const QDateTime kNow(QDate(2024, 3, 5), QTime(7, 8, 9));

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v));
    return out;
}

// The timestamp example: 2009-03-07 08:05:03, with the event code in the high half of byte 1.
QByteArray record(int code, quint16 sample = 300) {
    return bytes({9, (code << 4) | 3, 7, 8, 5, 3, sample & 0xFF, sample >> 8});
}
}  // namespace

class EventsDecodeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void headerCountAndGauge_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("countLine");
        QTest::addColumn<int>("gaugeMaximum");
        QTest::newRow("F8 7F: 4095 records") << bytes({0xF8, 0x7F}) << " 4095 zdarzeń w pamięci" << 32760;
        QTest::newRow("F9 7F: capped, not 4096") << bytes({0xF9, 0x7F}) << " 4095 zdarzeń w pamięci" << 32760;
        QTest::newRow("FF FF: capped") << bytes({0xFF, 0xFF}) << " 4095 zdarzeń w pamięci" << 32760;
        QTest::newRow("F0 7F: 4094 records, low byte first") << bytes({0xF0, 0x7F}) << " 4094 zdarzeń w pamięci" << 32752;
        QTest::newRow("08 00: one record") << bytes({0x08, 0x00}) << " 1 zdarzeń w pamięci" << 8;
        QTest::newRow("S = 0") << bytes({0x00, 0x00}) << " 0 zdarzeń w pamięci" << 0;
        QTest::newRow("a third byte is not read") << bytes({0x10, 0x00, 0x7F}) << " 2 zdarzeń w pamięci" << 16;
    }
    void headerCountAndGauge() {
        QFETCH(QByteArray, payload);
        QFETCH(QString, countLine);
        QFETCH(int, gaugeMaximum);
        const std::optional<RegisterHeader> h = DecodeRegisterHeader(payload, kNow);
        QVERIFY(h);
        QCOMPARE(h->lines.size(), 5);
        QCOMPARE(h->lines.at(2), countLine);
        QCOMPARE(h->gaugeMaximum, gaugeMaximum);
    }

    void headerLinesCarryThePcsDateAndTime() {
        // Minutes (08) differ from the month (03): "mm" must be the minutes in the time only.
        const std::optional<RegisterHeader> h = DecodeRegisterHeader(bytes({0x18, 0x00}), kNow);
        QVERIFY(h);
        QCOMPARE(h->lines, (QStringList{" Wydruk zdarzeń z dnia :  2024-03-05", " Godzina wydruku zdarzeń : 07:08:09",
                                        " 3 zdarzeń w pamięci", " " + QString(73, '*'), " "}));
        const std::optional<RegisterHeader> evening =
            DecodeRegisterHeader(bytes({0, 0}), QDateTime(QDate(2031, 12, 24), QTime(23, 59, 58)));
        QCOMPARE(evening->lines.at(0), QString(" Wydruk zdarzeń z dnia :  2031-12-24"));
        QCOMPARE(evening->lines.at(1), QString(" Godzina wydruku zdarzeń : 23:59:58"));
    }

    void shortHeaderIsIgnored() {
        QVERIFY(!DecodeRegisterHeader(QByteArray(), kNow));
        QVERIFY(!DecodeRegisterHeader(bytes({0x08}), kNow));
    }

    void temperatureText_data() {
        QTest::addColumn<int>("sample");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << " -50,0";
        QTest::newRow("512: t = 1250") << 512 << " +75,0";
        QTest::newRow("205") << 205 << " +0,0";
        QTest::newRow("204") << 204 << " -0,2";
        QTest::newRow("300") << 300 << " +23,2";
        QTest::newRow("724: 126 whole degrees") << 724 << " +126,7";
        QTest::newRow("725: 127,0 without blank and sign") << 725 << "127,0";
        QTest::newRow("729: 127,9 without blank and sign") << 729 << "127,9";
        QTest::newRow("730: 128 whole degrees") << 730 << " +128,2";
        QTest::newRow("65535") << 65535 << " +15949,7";
    }
    void temperatureText() {
        QFETCH(int, sample);
        QFETCH(QString, text);
        QCOMPARE(EventTemperatureText(quint16(sample)), text);
    }

    void timestamp_data() {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("text");
        QTest::newRow("the example") << bytes({9, 0x43, 7, 8, 5, 3}) << " 2009-03-07  08:05:03";
        QTest::newRow("year byte 0, all at their lowest") << bytes({0, 0x50, 0, 0, 0, 0}) << " 2000-00-00  00:00:00";
        QTest::newRow("no padding from 10 on") << bytes({24, 0x4C, 31, 23, 59, 58}) << " 2024-12-31  23:59:58";
        QTest::newRow("event code not in the month") << bytes({25, 0xF1, 10, 9, 10, 9}) << " 2025-01-10  09:10:09";
        QTest::newRow("out of range bytes as they are") << bytes({255, 0x0F, 200, 99, 60, 61}) << " 2255-15-200  99:60:61";
    }
    void timestamp() {
        QFETCH(QByteArray, record);
        QFETCH(QString, text);
        QCOMPARE(EventTimestampText(record), text);
    }

    void eventLines_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");
        const QString d = " 2009-03-07  08:05:03";
        const QColor black(0, 0, 0), red(255, 0, 0), green(0, 128, 0), blue(0, 0, 255);
        QTest::newRow("4") << 4 << d + "       Zapis cykliczny temperatury   +23,2" << black;
        QTest::newRow("5") << 5 << d + "  Start urządzenia " << black;
        QTest::newRow("6") << 6 << d + "  Zestawienie łącza GSM " << black;
        QTest::newRow("7") << 7 << d + "  Brak 230V " << red;
        QTest::newRow("8") << 8 << d + "  Powrót 230V " << green;
        QTest::newRow("9") << 9 << d + "  Bateria rozładowana " << red;
        QTest::newRow("10") << 10 << d + "  Bateria naładowana " << green;
        QTest::newRow("11") << 11 << d + "  Alarm!, Wysoka temperatura  +23,2" << red;
        QTest::newRow("12") << 12 << d + "  Powrót do normy temperatury  +23,2" << green;
        QTest::newRow("13") << 13 << d + "  Alarm!, Niska temperatura  +23,2" << blue;
        for (int code : {0, 1, 2, 3, 14, 15})
            QTest::newRow(qPrintable(QString("%1: no line").arg(code))) << code << QString() << QColor();
    }
    void eventLines() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        const QByteArray r = record(code);
        QCOMPARE(EventCode(r), code);
        const std::optional<EventLine> line = DecodeEventRecord(r);
        if (text.isEmpty()) {
            QVERIFY(!line);
            return;
        }
        QVERIFY(line);
        QCOMPARE(line->text, text);
        QCOMPARE(line->colour, colour);
        // One byte short: the whole record is ignored, whatever its code.
        QVERIFY(!DecodeEventRecord(r.left(7)));
        // Bytes after the eighth are not read.
        QCOMPARE(DecodeEventRecord(r + "zz")->text, text);
    }

    void temperatureOfARecordIsItsLastTwoBytes() {
        QCOMPARE(DecodeEventRecord(record(13, 0))->text, QString(" 2009-03-07  08:05:03  Alarm!, Niska temperatura  -50,0"));
        QCOMPARE(DecodeEventRecord(record(11, 512))->text, QString(" 2009-03-07  08:05:03  Alarm!, Wysoka temperatura  +75,0"));
        QCOMPARE(DecodeEventRecord(record(4, 725))->text, QString(" 2009-03-07  08:05:03       Zapis cykliczny temperatury  127,0"));
    }
};

QTEST_APPLESS_MAIN(EventsDecodeTest)
#include "tst_events_decode.moc"
