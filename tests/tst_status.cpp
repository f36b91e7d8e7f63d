// Live status and firmware version decoding.

#include "link/StatusDecode.h"

#include <QtTest>

static QByteArray status(std::initializer_list<int> bytes) {
    QByteArray p(kStatusPayloadSize, '\0');
    int i = 0;
    for (int b : bytes) p[i++] = char(b);
    return p;
}

class StatusTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelsAndCounters() {
        const auto s = DecodeStatus(status({0x1F, 0x85}));
        QVERIFY(s);
        for (bool in : s->inputs) QVERIFY(in);
        for (bool out : s->outputs) QVERIFY(!out);
        QVERIFY(s->fFlag);
        QCOMPARE(s->eventsWaiting, 5);

        const auto t = DecodeStatus(status({0xE0, 0x7F, 0, 0, 7, 250}));
        for (bool in : t->inputs) QVERIFY(!in);
        for (bool out : t->outputs) QVERIFY(out);
        QVERIFY(!t->fFlag);
        QCOMPARE(t->eventsWaiting, 63);
        QCOMPARE(t->smsUsed, 7);
        QCOMPARE(t->voiceUsed, 250);
    }

    void modemStates_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Modem GSM wylaczony";
        QTest::newRow("2") << 2 << "Załączenie modemu GSM";
        QTest::newRow("6") << 6 << "Wykrywanie modemu GSM";
        QTest::newRow("8") << 8 << "Sprawdzenie karty SIM";
        QTest::newRow("10") << 10 << "Wprowadzanie PIN";
        QTest::newRow("11") << 11 << "Logowanie do sieci GSM";
        QTest::newRow("12") << 12 << "Kasowanie SMS";
        QTest::newRow("14") << 14 << "Konfiguracja SMS";
        QTest::newRow("16") << 16 << "Zapis SMSC";
        QTest::newRow("17") << 17 << "Odczyt poziomu RSSI";
        QTest::newRow("18") << 18 << "Połączony z siecią GSM";
        QTest::newRow("20") << 20 << "Połączony z siecią GSM";
        QTest::newRow("21") << 21 << "";
        QTest::newRow("99") << 99 << "";
        QTest::newRow("100") << 100 << "RESET modemu GSM";
        QTest::newRow("255") << 255 << "";
    }
    void modemStates() {
        QFETCH(int, state);
        QFETCH(QString, text);
        QCOMPARE(DecodeStatus(status({0, 0, state}))->modemState, state);
        QCOMPARE(ModemStateText(state), text);
    }

    void signal_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("gauge");
        QTest::newRow("no reading") << 99 << 0;
        QTest::newRow("31 fills") << 31 << 20;
        QTest::newRow("23 fills") << 23 << 20;
        QTest::newRow("22 as is, shown full") << 22 << 20;
        QTest::newRow("21") << 21 << 20;
        QTest::newRow("12") << 12 << 12;
        QTest::newRow("0") << 0 << 0;
    }
    void signal() {
        QFETCH(int, level);
        QFETCH(int, gauge);
        QCOMPARE(DecodeStatus(status({0, 0, 0, level}))->signalGauge, gauge);
    }

    void temperatures_data() {
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("205") << 205 << "+0,0";
        QTest::newRow("204") << 204 << "-0,2";
        QTest::newRow("300") << 300 << "+23,2";
        QTest::newRow("0") << 0 << "-50,0";
        QTest::newRow("512") << 512 << "+75,0";
        QTest::newRow("65535") << 65535 << "+15949,7";
    }
    void temperatures() {
        QFETCH(int, raw);
        QFETCH(QString, text);
        QCOMPARE(TemperatureText(raw), text);
        const auto s = DecodeStatus(status({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, raw & 0xFF, raw >> 8}));
        QCOMPARE(s->temperatureText, text);
    }

    void voltagesAndStates() {
        const auto s = DecodeStatus(status({0, 0, 0, 0, 0, 0, 265 & 0xFF, 265 >> 8, 700 & 0xFF, 700 >> 8, 0, 0, 0x0B}));
        QCOMPARE(s->supplyText, QString("+4,9V"));
        QCOMPARE(s->batteryText, QString("+13,1V"));
        QCOMPARE(s->temperatureState, 3);
        QVERIFY(!s->supplyOk);
        QVERIFY(s->batteryOk);
        QCOMPARE(DecodeStatus(status({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x06}))->temperatureState, 2);
        QVERIFY(DecodeStatus(status({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x06}))->supplyOk);
    }

    void shortPayloadIsIgnored() {
        QVERIFY(!DecodeStatus(QByteArray(12, '\x1F')));
        QVERIFY(!DecodeStatus(QByteArray()));
        QVERIFY(DecodeStatus(QByteArray(14, '\0')));
    }

    void version_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("text");
        QTest::newRow("2") << QByteArray("T2") << "MX-4 v 1.2";
        QTest::newRow("0") << QByteArray("T0") << "MX-4 v 1.0";
        QTest::newRow(":") << QByteArray("T:") << "MX-4 v 2.0";
        QTest::newRow("wrong password keeps the version") << QByteArray("N5") << "MX-4 v 1.5";
        QTest::newRow("below 0") << QByteArray("T/") << "";
        QTest::newRow("one byte") << QByteArray("T") << "";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void version() {
        QFETCH(QByteArray, payload);
        QFETCH(QString, text);
        QCOMPARE(VersionText(payload).value_or(QString()), text);
    }
};

QTEST_GUILESS_MAIN(StatusTest)
#include "tst_status.moc"
