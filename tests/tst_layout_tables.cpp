// The item table and the file layout checked against tables written out here, one row per item and one
// per file field, with every value distinct: two items carrying each other's value, or two fields in
// each other's place, fail even when both would be empty in a plain configuration.

#include "config/ConfigFile.h"
#include "config/ConfigItems.h"
#include "link/Text.h"

#include <QtTest>

using F = TextField;

namespace {
// What each item carries.
enum class Carries { Text, Matrix, Options, Temperature };
struct ItemRow {
    int number, read, write;
    Carries carries;
    F field;  // for texts
    int writeTimeout;
};
#define TEXT(n, f, t) {n, 2 + 2 * (n), 3 + 2 * (n), Carries::Text, F::f, t}
#define RECORD(n, c) {n, 2 + 2 * (n), 3 + 2 * (n), Carries::c, F::Count, 10}
const ItemRow kItemRows[41] = {
    TEXT(1, Edit_pin, 10),       TEXT(2, Edit_operator, 10), TEXT(3, Edit_Tel1, 10),     TEXT(4, Edit_Tel2, 10),
    TEXT(5, Edit_Tel3, 10),      TEXT(6, Edit_Tel4, 10),     TEXT(7, Edit_IN1N, 60),     TEXT(8, Edit_IN2N, 60),
    TEXT(9, Edit_IN3N, 60),      TEXT(10, Edit_IN4N, 60),    TEXT(11, Edit_IN5N, 60),    TEXT(12, Edit_IN1A, 60),
    TEXT(13, Edit_IN2A, 60),     TEXT(14, Edit_IN3A, 60),    TEXT(15, Edit_IN4A, 60),    TEXT(16, Edit_IN5A, 60),
    TEXT(17, Edit_Out2zal, 10),  TEXT(18, Edit_Out2wyl, 10), TEXT(19, Edit_OUT3Zal, 10), TEXT(20, Edit_Out3Wyl, 10),
    TEXT(21, Edit_OUT4Zal, 10),  TEXT(22, Edit_Out4Wyl, 10), RECORD(23, Matrix),         RECORD(24, Options),
    TEXT(25, EditPotw, 10),      TEXT(26, EditAutotest, 10), TEXT(27, Edit_ACa, 60),     TEXT(28, Edit_ACn, 60),
    TEXT(29, Edit_DCa, 60),      TEXT(30, Edit_DCn, 60),     TEXT(31, Edit_T1a, 60),     TEXT(32, Edit_T1ok, 60),
    TEXT(33, Edit_T1n, 60),      RECORD(34, Temperature),    TEXT(35, Edit_Tel5, 10),    TEXT(36, Edit_Tel6, 10),
    TEXT(37, Edit_Tel7, 10),     TEXT(38, Edit_Tel8, 10),    TEXT(39, JakiStan, 10),     TEXT(40, Edit_Out1zal, 10),
    TEXT(41, Edit_Out1wyl, 10),
};
#undef TEXT
#undef RECORD

// A configuration in which every value differs from every other: each text names its field, each
// number field holds its own number, each matrix byte its own bit pattern.
ConfigValues distinct() {
    ConfigValues v = ConfigValues::defaults();
    for (int i = 0; i < kTextFieldCount; ++i) v.text(F(i)) = QStringLiteral("t%1").arg(i);
    const F numbers[] = {F::Out1Czas, F::Out2Czas, F::Out3Czas, F::Out4Czas, F::Edit_LimitSMS,
                         F::Edit_LimitVoice, F::IleTest, F::TempZapisz};
    for (int i = 0; i < 8; ++i) v.text(numbers[i]) = QString::number(11 + 11 * i);  // 11, 22, ... 88
    // Matrix byte k (row k / 2, SMS or voice) gets the pattern k + 1 in its bits, phone 1 in bit 7.
    for (int row = 0; row < kMatrixRows; ++row)
        for (int kind = 0; kind < kMatrixKinds; ++kind) {
            const int pattern = 2 * row + kind + 1;
            for (int phone = 0; phone < kPhones; ++phone) v.matrix[row][kind][phone] = pattern & (0x80 >> phone);
        }
    v.comboOut[0] = 1;
    v.comboOut[1] = 3;
    v.comboOut[2] = kNoSelection;
    v.comboOut[3] = 2;
    v.temp = {0x81, 0x92, 0xA3};
    return v;
}

QByteArray bytes(const char* hex) { return QByteArray::fromHex(hex); }
QByteArray textBytes(const QString& t) { return toCp1250(t, QStringLiteral("test")); }
}  // namespace

class LayoutTablesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void items_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < 41; ++i) QTest::addRow("item %d", kItemRows[i].number) << i;
    }
    void items() {
        QFETCH(int, row);
        const ItemRow& r = kItemRows[row];
        const ConfigItem& item = configItems()[size_t(row)];
        QCOMPARE(item.number, r.number);
        QCOMPARE(int(item.readCode), r.read);
        QCOMPARE(int(item.writeCode), r.write);
        QCOMPARE(item.writeTimeout, r.writeTimeout);
        QCOMPARE(itemForReadCode(r.read), &item);

        const ConfigValues v = distinct();
        const QByteArray payload = EncodeItem(item, v);
        switch (r.carries) {
        case Carries::Text: {
            QCOMPARE(payload, textBytes(v.text(r.field)));
            // And a reply with this code sets that field and no other value.
            ConfigValues decoded = v;
            QVERIFY(DecodeItem(r.read, "Nowy", decoded));
            QCOMPARE(decoded.text(r.field), QString("Nowy"));
            decoded.text(r.field) = v.text(r.field);
            decoded.operatorIndex = v.operatorIndex;
            QVERIFY(decoded == v);
            break;
        }
        case Carries::Matrix:
            QCOMPARE(payload, bytes("0102030405060708090A0B0C0D0E0F10"));
            break;
        case Carries::Options: {
            // Flags, limits SMS and voice, times 1..4, option bits, interval, roles 1..4.
            QCOMPARE(payload, bytes("00" "3742" "0B16212C" "00" "4D" "0103FF02"));
            // Each flag in its own bit.
            const struct {
                bool ConfigValues::*flag;
                int output;
                int byte, bit;
            } flags[] = {{nullptr, 0, 0, 7}, {nullptr, 1, 0, 6}, {nullptr, 2, 0, 5}, {nullptr, 3, 0, 4},
                         {nullptr, 4, 0, 3}, {nullptr, 5, 0, 2}, {nullptr, 6, 0, 1}, {nullptr, 7, 0, 0},
                         {&ConfigValues::potw, -1, 7, 0}, {&ConfigValues::autoTest, -1, 7, 1}};
            for (const auto& f : flags) {
                ConfigValues one = v;
                if (f.flag)
                    one.*(f.flag) = true;
                else if (f.output < 4)
                    one.outNC[f.output] = true;  // NC 1..4 in bits 7..4
                else
                    one.outMono[f.output - 4] = true;  // monostable 1..4 in bits 3..0
                QByteArray expected = payload;
                expected[f.byte] = char(1 << f.bit);
                QCOMPARE(EncodeItem(item, one), expected);
            }
            break;
        }
        case Carries::Temperature:
            // Low, high, correction as stored, then the recording interval (88).
            QCOMPARE(payload, bytes("8192A358"));
            break;
        }
    }

    // Every field of the file in its place, with every value distinct.
    void fileLayout() {
        ConfigValues v = distinct();
        const QString password = QStringLiteral("pass");
        const QByteArray file = BuildConfigFile(v, password);
        int at = 0;
        auto next = [&](int n) {
            const QByteArray b = file.mid(at, n);
            at += n;
            return b;
        };
        auto text = [&](const QString& expected, const char* what) {
            const int length = quint8(file.at(at));
            ++at;
            QVERIFY2(next(length) == textBytes(expected), what);
        };
        QCOMPARE(next(3), QByteArray("tcf"));
        text(password, "password");
        const F textsBeforeMatrix[] = {F::Edit_pin,     F::Edit_operator, F::Edit_Tel1,    F::Edit_Tel2,
                                       F::Edit_Tel3,    F::Edit_Tel4,     F::Edit_IN1N,    F::Edit_IN2N,
                                       F::Edit_IN3N,    F::Edit_IN4N,     F::Edit_IN5N,    F::Edit_IN1A,
                                       F::Edit_IN2A,    F::Edit_IN3A,     F::Edit_IN4A,    F::Edit_IN5A,
                                       F::Edit_Out1zal, F::Edit_Out2zal,  F::Edit_OUT3Zal, F::Edit_OUT4Zal,
                                       F::Edit_Out1wyl, F::Edit_Out2wyl,  F::Edit_Out3Wyl, F::Edit_Out4Wyl};
        for (F f : textsBeforeMatrix) text(v.text(f), qPrintable(fieldName(f)));
        QCOMPARE(next(1), bytes("10"));
        QCOMPARE(next(16), bytes("0102030405060708090A0B0C0D0E0F10"));
        // Times 1..4, limit SMS, limit voice, interval.
        QCOMPARE(next(7), bytes("0B16212C37424D"));
        const int flagsAt = at;
        QCOMPARE(next(2), bytes("0000"));  // no flag set
        QCOMPARE(next(4), bytes("0103FF02"));
        const F textsAfter[] = {F::EditPotw, F::EditAutotest, F::Edit_ACa,  F::Edit_ACn,  F::Edit_DCa,
                                F::Edit_DCn, F::Edit_T1a,     F::Edit_T1ok, F::Edit_T1n,  F::Edit_Tel5,
                                F::Edit_Tel6, F::Edit_Tel7,   F::Edit_Tel8, F::JakiStan};
        for (F f : textsAfter) text(v.text(f), qPrintable(fieldName(f)));
        // Correction, lower, upper, interval (88); then the check byte.
        QCOMPARE(next(4), bytes("A3819258"));
        QCOMPARE(at, file.size() - 1);

        // The two flag bytes, one flag at a time.
        const struct {
            int which;  // 0..3 NC, 4..7 monostable, 8 confirmation, 9 automatic SMS
            int byte, bit;
        } flags[] = {{0, 0, 6}, {1, 0, 5}, {2, 0, 4}, {4, 0, 3}, {5, 0, 2}, {6, 0, 1}, {8, 0, 0},
                     {3, 1, 2}, {7, 1, 1}, {9, 1, 0}};
        for (const auto& f : flags) {
            ConfigValues one = v;
            if (f.which < 4) one.outNC[f.which] = true;
            else if (f.which < 8) one.outMono[f.which - 4] = true;
            else if (f.which == 8) one.potw = true;
            else one.autoTest = true;
            const QByteArray withFlag = BuildConfigFile(one, password);
            QByteArray expected(2, '\0');
            expected[f.byte] = char(1 << f.bit);
            QVERIFY2(withFlag.mid(flagsAt, 2) == expected, qPrintable(QString::number(f.which)));
        }

        // And the file reads back into the same values.
        const auto loaded = ParseConfigFile(file, ConfigValues::defaults());
        QVERIFY(loaded);
        QCOMPARE(loaded->password, password);
        QVERIFY(loaded->values.texts == v.texts);
        QVERIFY(std::memcmp(loaded->values.matrix, v.matrix, sizeof v.matrix) == 0);
        QVERIFY(loaded->values.temp == v.temp);
    }
};

QTEST_GUILESS_MAIN(LayoutTablesTest)
#include "tst_layout_tables.moc"
