// The 41 configuration items: codes, payloads, encoding and decoding.

#include "config/ConfigItems.h"
#include "link/Errors.h"
#include "link/Frame.h"
#include "link/Text.h"
#include "support/RandomConfig.h"

#include <QtTest>

using F = TextField;

static QByteArray hex(const char* h) { return QByteArray::fromHex(h); }
static QByteArray writeFrame(int number, const ConfigValues& v) {
    const ConfigItem& item = configItems()[size_t(number - 1)];
    return BuildCommandFrame(item.writeCode, EncodeItem(item, v));
}

class ConfigItemsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void table() {
        const auto& items = configItems();
        QCOMPARE(int(items.size()), 41);
        for (int i = 0; i < 41; ++i) {
            const ConfigItem& it = items[size_t(i)];
            QCOMPARE(it.number, i + 1);
            QCOMPARE(int(it.readCode), 4 + 2 * i);
            QCOMPARE(int(it.writeCode), 5 + 2 * i);
            const bool longText = (it.number >= 7 && it.number <= 16) || (it.number >= 27 && it.number <= 33);
            QCOMPARE(it.writeTimeout, longText ? 60 : 10);
            QCOMPARE(itemForReadCode(it.readCode), &it);
        }
        QCOMPARE(items[22].kind, ItemKind::Matrix);
        QCOMPARE(items[23].kind, ItemKind::Options);
        QCOMPARE(items[33].kind, ItemKind::Temperature);
        QCOMPARE(items[38].field, F::JakiStan);
        QCOMPARE(int(items[38].readCode), int(kSilentReadCode));
        QCOMPARE(items[39].field, F::Edit_Out1zal);
        QCOMPARE(items[34].field, F::Edit_Tel5);
        QVERIFY(!itemForReadCode(2));
        QVERIFY(!itemForReadCode(5));
        QVERIFY(!itemForReadCode(86));
    }

    void framesForTheStartValues() {
        const ConfigValues v = ConfigValues::defaults();
        QCOMPARE(BuildCommandFrame(4, "T"), hex("4E040154A7"));
        QCOMPARE(BuildCommandFrame(84, "T"), hex("4E540154F7"));
        QCOMPARE(writeFrame(39, v), hex("4E51013FDF"));
        QCOMPARE(writeFrame(23, v), hex("4E3110") + QByteArray(16, '\0') + hex("8F"));
        QCOMPARE(writeFrame(24, v), hex("4E330D000000050505050018FFFFFFFFB6"));
        QCOMPARE(writeFrame(34, v), hex("4E470482880" "03CDF"));
    }

    void matrixBits() {
        ConfigValues v;
        for (auto& row : v.matrix)
            for (auto& kind : row)
                for (bool& c : kind) c = true;
        QCOMPARE(EncodeMatrix(v), QByteArray(16, '\xFF'));
        ConfigValues one;
        one.matrix[RowT3][Voice][7] = true;  // BoxT3S8
        QCOMPARE(EncodeMatrix(one), QByteArray(15, '\0') + hex("01"));
        ConfigValues in1;
        in1.matrix[RowIN1][Sms][0] = in1.matrix[RowIN1][Sms][7] = true;  // BoxIN1T1, BoxIN1T8
        QCOMPARE(EncodeMatrix(in1).left(2), hex("8100"));
        ConfigValues t1s2;
        t1s2.matrix[RowT1][Voice][1] = true;  // BoxT1S2
        QCOMPARE(quint8(EncodeMatrix(t1s2).at(11)), quint8(0x40));
        QCOMPARE(matrixBoxName(RowT1, Voice, 2), QString("BoxT1S2"));
        QCOMPARE(matrixBoxName(RowIN3, Sms, 5), QString("BoxIN3T5"));
    }

    void matrixAndFlagsRoundTrip() {
        QRandomGenerator rng(23);
        for (int i = 0; i < 500; ++i) {
            const ConfigValues v = randomConfig(rng);
            ConfigValues w;
            QVERIFY(DecodeMatrix(EncodeMatrix(v), w));
            QVERIFY(std::memcmp(v.matrix, w.matrix, sizeof v.matrix) == 0);
        }
        for (int flags = 0; flags < 256; ++flags) {
            ConfigValues v;
            DecodeOutputFlags(quint8(flags), v);
            QCOMPARE(int(EncodeOutputFlags(v)), flags);
        }
        ConfigValues nc1;
        nc1.outNC[0] = true;
        QCOMPARE(int(EncodeOutputFlags(nc1)), 0x80);
        ConfigValues mono4;
        mono4.outMono[3] = true;
        QCOMPARE(int(EncodeOutputFlags(mono4)), 0x01);
    }

    void numbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("byte");
        QTest::newRow("24") << "24" << 24;
        QTest::newRow("leading zero") << "07" << 7;
        QTest::newRow("low 8 bits") << "300" << 44;
        QTest::newRow("sign") << "+5" << 5;
        QTest::newRow("negative") << "-1" << 255;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("letter") << "5a" << -1;
        QTest::newRow("space") << " 5" << -1;
        QTest::newRow("sign only") << "-" << -1;
        QTest::newRow("too large") << "99999999999" << -1;
    }
    void numbers() {
        QFETCH(QString, text);
        QFETCH(int, byte);
        ConfigValues v = ConfigValues::defaults();
        v.text(F::Edit_LimitSMS) = text;
        if (byte >= 0) {
            QCOMPARE(int(numericByte(v, F::Edit_LimitSMS)), byte);
            return;
        }
        try {
            numericByte(v, F::Edit_LimitSMS);
            QFAIL("no conversion error");
        } catch (const ConversionError& e) {
            QCOMPARE(e.message(), QString("Pole „Limit SMS” nie zawiera liczby"));
        }
    }

    void recordsWithABadNumberCannotBeEncoded() {
        ConfigValues v = ConfigValues::defaults();
        v.text(F::TempZapisz) = QString();
        QVERIFY_THROWS_EXCEPTION(ConversionError, EncodeItem(configItems()[33], v));
        v = ConfigValues::defaults();
        v.text(F::Out3Czas) = QStringLiteral("x");
        QVERIFY_THROWS_EXCEPTION(ConversionError, EncodeItem(configItems()[23], v));
    }

    void texts() {
        ConfigValues v = ConfigValues::defaults();
        v.text(F::Edit_IN1N) = QStringLiteral("Zażółć gęślą jaźń");
        QCOMPARE(EncodeItem(configItems()[6], v), toCp1250(v.text(F::Edit_IN1N), "x"));
        QCOMPARE(EncodeItem(configItems()[6], v).size(), 17);
        v.text(F::Edit_IN1N) = QStringLiteral("日本");
        QVERIFY_THROWS_EXCEPTION(FrameError, EncodeItem(configItems()[6], v));
        v.text(F::Edit_IN1N) = QString(253, QLatin1Char('a'));
        QVERIFY_THROWS_EXCEPTION(FrameError, EncodeItem(configItems()[6], v));
        v.text(F::Edit_IN1N) = QString(252, QLatin1Char('a'));
        QCOMPARE(EncodeItem(configItems()[6], v).size(), 252);
        v.text(F::Edit_Tel1).clear();
        QVERIFY(EncodeItem(configItems()[2], v).isEmpty());
    }

    void decodingTexts() {
        ConfigValues v = ConfigValues::defaults();
        QVERIFY(DecodeItem(16, QByteArray("Alarm\0junk", 10), v));
        QCOMPARE(v.text(F::Edit_IN1N), QString("Alarm"));
        QVERIFY(DecodeItem(16, toCp1250(QStringLiteral("Wejście ŁÓDŹ"), "x"), v));
        QCOMPARE(v.text(F::Edit_IN1N), QStringLiteral("Wejście ŁÓDŹ"));
        // Decoded texts longer than the field's typing limit are kept whole.
        QVERIFY(DecodeItem(8, QByteArray(40, '7'), v));
        QCOMPARE(v.text(F::Edit_Tel1).size(), 40);
    }

    // An operator's number selects it with or without one zero after it (a recorder sends back a number
    // written without one without it); anything else is "inny".
    void operatorSelection_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("selected");
        QTest::newRow("with its zero") << QByteArray("+48602951111\0", 13) << "+48602951111" << 1;
        QTest::newRow("without a zero") << QByteArray("+48790998250") << "+48790998250" << 3;
        QTest::newRow("two zeros") << QByteArray("+48790998250\0\0", 14) << "+48790998250" << kOperatorOther;
        QTest::newRow("more after the zero") << QByteArray("+48501200777\0" "1", 14) << "+48501200777" << kOperatorOther;
        QTest::newRow("a digit short") << QByteArray("+4850120077") << "+4850120077" << kOperatorOther;
    }
    void operatorSelection() {
        QFETCH(QByteArray, payload);
        QFETCH(QString, number);
        QFETCH(int, selected);
        ConfigValues v = ConfigValues::defaults();
        v.operatorIndex = 2;  // none of the rows' answers
        QVERIFY(DecodeItem(6, payload, v));
        QCOMPARE(v.operatorIndex, selected);
        QCOMPARE(v.text(F::Edit_operator), number);
    }

    void shortRecordsAreIgnoredWhole() {
        QRandomGenerator rng(5);
        const ConfigValues before = randomConfig(rng);
        ConfigValues v = before;
        QVERIFY(!DecodeItem(48, QByteArray(15, '\xFF'), v));
        QVERIFY(!DecodeItem(50, QByteArray(12, '\x01'), v));
        QVERIFY(!DecodeItem(70, QByteArray(3, '\x01'), v));
        QVERIFY(!DecodeItem(86, QByteArray(3, '\x01'), v));
        QVERIFY(v == before);
    }

    void optionsAndTemperature() {
        ConfigValues v = ConfigValues::defaults();
        QVERIFY(DecodeItem(50, hex("A5" "63" "00" "01" "02" "03" "63" "03" "18" "00" "03" "04" "FF"), v));
        QVERIFY(v.outNC[0] && !v.outNC[1] && v.outNC[2] && !v.outNC[3]);
        QVERIFY(!v.outMono[0] && v.outMono[1] && !v.outMono[2] && v.outMono[3]);
        QCOMPARE(v.text(F::Edit_LimitSMS), QString("99"));
        QCOMPARE(v.text(F::Edit_LimitVoice), QString("0"));
        QCOMPARE(v.text(F::Out1Czas), QString("1"));
        QCOMPARE(v.text(F::Out4Czas), QString("99"));
        QVERIFY(v.potw && v.autoTest);
        QCOMPARE(v.text(F::IleTest), QString("24"));
        QCOMPARE(v.comboOut[0], 0);
        QCOMPARE(v.comboOut[1], 3);
        QCOMPARE(v.comboOut[2], kNoSelection);
        QCOMPARE(v.comboOut[3], kNoSelection);
        QVERIFY(DecodeItem(70, hex("0AFF8107"), v));
        QCOMPARE(int(v.temp.lowCode), 10);
        QCOMPARE(int(v.temp.highCode), 255);
        QCOMPARE(int(v.temp.correctionCode), 0x81);
        QCOMPARE(v.text(F::TempZapisz), QString("7"));
    }

    void everyItemRoundTrips() {
        // What a write sends, read back, gives the same values: 1,000 random configurations.
        QRandomGenerator rng(41);
        for (int n = 0; n < 1000; ++n) {
            const ConfigValues v = randomConfig(rng);
            ConfigValues w = ConfigValues::defaults();
            w.operatorIndex = v.operatorIndex;
            for (const ConfigItem& item : configItems()) {
                QByteArray payload = EncodeItem(item, v);
                // The recorder sends the SMS centre back with its zero byte.
                if (item.field == F::Edit_operator && v.operatorIndex != kOperatorOther) payload.append('\0');
                QVERIFY(DecodeItem(item.readCode, payload, w));
            }
            if (w != v) {
                for (int i = 0; i < kTextFieldCount; ++i)
                    QCOMPARE(w.text(TextField(i)), v.text(TextField(i)));
                QCOMPARE(w.operatorIndex, v.operatorIndex);
                QFAIL("values differ");
            }
        }
    }
};

QTEST_GUILESS_MAIN(ConfigItemsTest)
#include "tst_config_items.moc"
