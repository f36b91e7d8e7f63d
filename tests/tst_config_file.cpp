// The configuration file's bytes: field order, encodings, flag layouts, the check byte, and what the
// reader refuses.

#include "config/ConfigFile.h"
#include "config/ConfigItems.h"
#include "config/WorkingBuffer.h"
#include "link/Errors.h"
#include "support/RandomConfig.h"

#include <QtTest>

using F = TextField;

static ConfigValues emptyTexts() {
    ConfigValues v = ConfigValues::defaults();
    for (int i = 0; i < kTextFieldCount; ++i) v.text(TextField(i)).clear();
    for (F f : {F::Out1Czas, F::Out2Czas, F::Out3Czas, F::Out4Czas, F::Edit_LimitSMS, F::Edit_LimitVoice, F::IleTest,
                F::TempZapisz})
        v.text(f) = QStringLiteral("0");
    return v;
}

class ConfigFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyTextsGiveA77ByteFile() {
        const QByteArray file = BuildConfigFile(emptyTexts(), QString());
        QCOMPARE(file.size(), 77);
        QCOMPARE(file.left(3), QByteArray("tcf"));
        QCOMPARE(quint8(file.back()), XorOf(file.constData(), file.size() - 1));
        QVERIFY(CheckImage(file, kConfigMagic).ok());
    }

    void fieldOrderAndLayout() {
        ConfigValues v = emptyTexts();
        v.text(F::Edit_pin) = "1357";
        v.text(F::Edit_operator) = "+48601000310";
        v.text(F::Edit_IN1N) = "off";
        v.text(F::Edit_Out4Wyl) = "W4";
        v.matrix[RowIN1][Sms][0] = true;
        v.text(F::Out1Czas) = "1";
        v.text(F::Out4Czas) = "99";
        v.text(F::Edit_LimitSMS) = "12";
        v.text(F::IleTest) = "24";
        v.outNC[3] = true;
        v.autoTest = true;
        v.outNC[0] = v.outMono[2] = v.potw = true;
        v.comboOut[1] = 2;
        v.text(F::EditPotw) = "OK";
        v.text(F::JakiStan) = "?";
        v.temp = {130, 136, 0x85};
        v.text(F::TempZapisz) = "60";
        const QByteArray f = BuildConfigFile(v, "1234");
        int p = 3;
        auto text = [&](const QByteArray& expected) {
            QCOMPARE(int(quint8(f.at(p))), expected.size());
            QCOMPARE(f.mid(p + 1, expected.size()), expected);
            p += 1 + expected.size();
        };
        text("1234");
        text("1357");
        text("+48601000310");
        for (int i = 0; i < 4; ++i) text("");  // Tel1..Tel4
        text("off");
        for (int i = 0; i < 4 + 5; ++i) text("");  // IN2N..IN5N, IN1A..IN5A
        for (int i = 0; i < 7; ++i) text("");      // Out1zal..OUT4Zal, Out1wyl..Out3Wyl
        text("W4");
        QCOMPARE(int(quint8(f.at(p))), 16);
        QCOMPARE(quint8(f.at(p + 1)), quint8(0x80));
        p += 17;
        // Out1Czas..Out4Czas, Limit SMS, Limit Voice, IleTest.
        QCOMPARE(f.mid(p, 7), QByteArray::fromHex("010000630C0018"));
        p += 7;
        QCOMPARE(quint8(f.at(p)), quint8(0x40 | 0x02 | 0x01));  // Out1NC, Out3Mono, Potw
        QCOMPARE(quint8(f.at(p + 1)), quint8(0x04 | 0x01));     // Out4NC, AutoTest
        p += 2;
        QCOMPARE(f.mid(p, 4), QByteArray::fromHex("FF02FFFF"));
        p += 4;
        text("OK");
        for (int i = 0; i < 12; ++i) text("");  // EditAutotest .. Tel8
        text("?");
        QCOMPARE(f.mid(p, 4), QByteArray::fromHex("8582883C"));
        QCOMPARE(p + 4, f.size() - 1);
    }

    void saveLoadRoundTrip() {
        QRandomGenerator rng(77);
        for (int n = 0; n < 1000; ++n) {
            const ConfigValues v = randomConfig(rng);
            const QString password = randomText(rng, 4, "0123456789");
            const QByteArray file = BuildConfigFile(v, password);
            QVERIFY(CheckImage(file, kConfigMagic).ok());
            const auto loaded = ParseConfigFile(file, ConfigValues::defaults());
            QVERIFY(loaded);
            QCOMPARE(loaded->password, password);
            if (loaded->values != v) {
                for (int i = 0; i < kTextFieldCount; ++i) QCOMPARE(loaded->values.text(TextField(i)), v.text(TextField(i)));
                QFAIL("values differ");
            }
        }
    }

    void operatorSelectedAfterLoading() {
        ConfigValues v = ConfigValues::defaults();
        v.text(F::Edit_operator) = "+48602951111";
        ConfigValues current = ConfigValues::defaults();
        current.operatorIndex = 3;
        QCOMPARE(ParseConfigFile(BuildConfigFile(v, "1234"), current)->values.operatorIndex, 1);
        v.text(F::Edit_operator) = "+48111";
        QCOMPARE(ParseConfigFile(BuildConfigFile(v, "1234"), current)->values.operatorIndex, kOperatorOther);
    }

    void badNumberStopsTheSave() {
        ConfigValues v = ConfigValues::defaults();
        v.text(F::Out2Czas).clear();
        QVERIFY_THROWS_EXCEPTION(ConversionError, BuildConfigFile(v, "1234"));
        v = ConfigValues::defaults();
        v.text(F::EditPotw) = QStringLiteral("☺");
        QVERIFY_THROWS_EXCEPTION(FrameError, BuildConfigFile(v, "1234"));
    }

    void fieldsRunningPastTheEndAreRefused() {
        const QByteArray good = BuildConfigFile(ConfigValues::defaults(), "1234");
        // Cut anywhere before the last field ends: the walk runs past the content.
        for (int size = 4; size < good.size() - 1; ++size) {
            QByteArray cut = good.left(size);
            cut.append(char(XorOf(cut)));
            QVERIFY2(!ParseConfigFile(cut, ConfigValues::defaults()), qPrintable(QString::number(size)));
        }
        // A length byte pointing far beyond the file.
        QByteArray huge = good;
        huge[3] = char(0xFF);
        QVERIFY(!ParseConfigFile(huge, ConfigValues::defaults()));
        // Bytes between the last field and the check byte are not looked at.
        QByteArray longer = good.left(good.size() - 1) + "extra";
        longer.append(char(XorOf(longer)));
        QVERIFY(ParseConfigFile(longer, ConfigValues::defaults()));
    }

    void matrixFieldMustHold16Bytes() {
        ConfigValues v = emptyTexts();
        const QByteArray good = BuildConfigFile(v, "");
        // Empty texts: the matrix length byte sits after the magic and 25 empty texts.
        const int at = 3 + 25;
        QCOMPARE(int(quint8(good.at(at))), 16);
        for (int length : {15, 17, 0}) {
            QByteArray bad = good.left(at);
            bad.append(char(length));
            bad.append(good.mid(at + 1, length));
            bad.append(good.mid(at + 17, good.size() - at - 18));
            bad.append(char(XorOf(bad)));
            QVERIFY2(!ParseConfigFile(bad, v), qPrintable(QString::number(length)));
        }
    }
};

QTEST_GUILESS_MAIN(ConfigFileTest)
#include "tst_config_file.moc"
