#include "config/ConfigValues.h"

#include "config/Defaults.h"

#include <cstring>

namespace {
struct FieldInfo {
    const char* name;
    const char* caption;
    int maxLength;
};

// In the order of TextField.
const FieldInfo kFields[kTextFieldCount] = {
    {"Edit_pin", "PIN", 4},
    {"Edit_operator", "Centrum SMS", 13},
    {"Edit_Tel1", "Telefon 1", 13},
    {"Edit_Tel2", "Telefon 2", 13},
    {"Edit_Tel3", "Telefon 3", 13},
    {"Edit_Tel4", "Telefon 4", 13},
    {"Edit_Tel5", "Telefon 5", 13},
    {"Edit_Tel6", "Telefon 6", 13},
    {"Edit_Tel7", "Telefon 7", 13},
    {"Edit_Tel8", "Telefon 8", 13},
    {"Edit_LimitSMS", "Limit SMS", 2},
    {"Edit_LimitVoice", "Limit Voice", 2},
    {"JakiStan", "Pytanie o stan", 4},
    {"Edit_IN1A", "IN1 Wejście Załączone", 30},
    {"Edit_IN2A", "IN2 Wejście Załączone", 30},
    {"Edit_IN3A", "IN3 Wejście Załączone", 30},
    {"Edit_IN4A", "IN4 Wejście Załączone", 30},
    {"Edit_IN5A", "IN5 Wejście Załączone", 30},
    {"Edit_IN1N", "IN1 Wejście Wyłączone", 30},
    {"Edit_IN2N", "IN2 Wejście Wyłączone", 30},
    {"Edit_IN3N", "IN3 Wejście Wyłączone", 30},
    {"Edit_IN4N", "IN4 Wejście Wyłączone", 30},
    {"Edit_IN5N", "IN5 Wejście Wyłączone", 30},
    {"Edit_ACa", "Bateria Wejście Załączone", 30},
    {"Edit_ACn", "Bateria Wejście Wyłączone", 30},
    {"Edit_DCa", "Zasilanie Wejście Załączone", 30},
    {"Edit_DCn", "Zasilanie Wejście Wyłączone", 30},
    {"Edit_T1a", "Wysoka", 30},
    {"Edit_T1ok", "Norma", 30},
    {"Edit_T1n", "Niska", 30},
    {"TempZapisz", "Zapis", 3},
    {"EditAutotest", "Automatyczny SMS", 15},
    {"IleTest", "Automatyczny SMS co h", 2},
    {"Edit_Out1zal", "OUT1 Zal", 4},
    {"Edit_Out2zal", "OUT2 Zal", 4},
    {"Edit_OUT3Zal", "OUT3 Zal", 4},
    {"Edit_OUT4Zal", "OUT4 Zal", 4},
    {"Edit_Out1wyl", "OUT1 Wyl", 4},
    {"Edit_Out2wyl", "OUT2 Wyl", 4},
    {"Edit_Out3Wyl", "OUT3 Wyl", 4},
    {"Edit_Out4Wyl", "OUT4 Wyl", 4},
    {"Out1Czas", "OUT1 T [s]", 2},
    {"Out2Czas", "OUT2 T [s]", 2},
    {"Out3Czas", "OUT3 T [s]", 2},
    {"Out4Czas", "OUT4 T [s]", 2},
    {"EditPotw", "Wyślij potwierdzenie", 15},
};

const char* const kRowKeys[kMatrixRows] = {"IN1", "IN2", "IN3", "IN4", "IN5", "T1", "T2", "T3"};
const char* const kRowLabels[kMatrixRows] = {"IN1", "IN2", "IN3", "IN4", "IN5", "T1", "BT", "ZS"};
const char* const kOperatorNumbers[4] = {"+48501200777", "+48602951111", "+48601000310", "+48790998250"};
}  // namespace

QString fieldName(TextField f) { return QLatin1String(kFields[int(f)].name); }
QString fieldCaption(TextField f) { return QString::fromUtf8(kFields[int(f)].caption); }
int fieldMaxLength(TextField f) { return kFields[int(f)].maxLength; }

QString matrixRowKey(int row) { return QLatin1String(kRowKeys[row]); }
QString matrixRowLabel(int row) { return QLatin1String(kRowLabels[row]); }
QString matrixBoxName(int row, int kind, int phone) {
    return QStringLiteral("Box%1%2%3").arg(matrixRowKey(row), kind == Sms ? QStringLiteral("T") : QStringLiteral("S")).arg(phone);
}

QString operatorNumber(int index) {
    return index >= 0 && index < 4 ? QLatin1String(kOperatorNumbers[index]) : QString();
}

bool ConfigValues::operator==(const ConfigValues& o) const {
    return texts == o.texts && std::memcmp(matrix, o.matrix, sizeof matrix) == 0 &&
           std::memcmp(outNC, o.outNC, sizeof outNC) == 0 && std::memcmp(outMono, o.outMono, sizeof outMono) == 0 &&
           potw == o.potw && autoTest == o.autoTest && std::memcmp(comboOut, o.comboOut, sizeof comboOut) == 0 &&
           operatorIndex == o.operatorIndex && temp == o.temp;
}

ConfigValues ConfigValues::defaults() {
    ConfigValues v;
    v.text(TextField::Edit_operator) = operatorNumber(0);
    v.text(TextField::Edit_pin) = kDefaultPin;
    v.text(TextField::JakiStan) = QStringLiteral("?");
    v.text(TextField::Edit_LimitSMS) = QStringLiteral("0");
    v.text(TextField::Edit_LimitVoice) = QStringLiteral("0");
    v.text(TextField::IleTest) = QStringLiteral("24");
    v.text(TextField::TempZapisz) = QStringLiteral("60");
    v.text(TextField::EditPotw) = QStringLiteral("OK");
    for (TextField f : {TextField::Out1Czas, TextField::Out2Czas, TextField::Out3Czas, TextField::Out4Czas})
        v.text(f) = QStringLiteral("5");
    return v;
}
