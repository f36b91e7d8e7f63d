#include "config/ConfigDiff.h"

#include "config/ConfigItems.h"
#include "config/TempRules.h"
#include "link/Text.h"

#include <algorithm>

namespace {
using F = TextField;
constexpr int kOptionsItem = 24;
constexpr int kTemperatureItem = 34;
const char* const kOperators[] = {"ORANGE", "T-MOBILE", "PLUS", "PLAY", "inny"};
const char* const kRoles[] = {"Brak", "T MIN", "T MAX", "T ALR"};

int itemOfText(F field) {
    for (const ConfigItem& item : configItems())
        if (item.kind == ItemKind::Text && item.field == field) return item.number;
    return field == F::TempZapisz ? kTemperatureItem : kOptionsItem;
}

bool isNumberField(F field) { return itemOfText(field) == kOptionsItem || field == F::TempZapisz; }

QByteArray plainKey(const QString& text) {
    // What goes out; a text that Windows-1250 cannot carry is compared as it stands.
    return isCp1250(text) ? QByteArray("t") + toCp1250(text, QString()) : QByteArray("u") + text.toUtf8();
}

QByteArray textKey(F field, const QString& text) {
    if (isNumberField(field)) {
        ConfigValues one;
        one.text(field) = text;
        try {
            return QByteArray("n") + char(numericByte(one, field));
        } catch (...) {
        }
    }
    return plainKey(text);
}

QString yesNo(bool on) { return on ? QStringLiteral("tak") : QStringLiteral("nie"); }
QByteArray flagKey(bool on) { return on ? QByteArray("1") : QByteArray("0"); }

// The order of the window: telephone numbers, inputs, the temperature sensor, input options, outputs.
const F kTextOrder[] = {
    F::Edit_pin,      F::Edit_operator, F::Edit_Tel1,    F::Edit_Tel2,     F::Edit_Tel3,     F::Edit_Tel4,
    F::Edit_Tel5,     F::Edit_Tel6,     F::Edit_Tel7,    F::Edit_Tel8,     F::JakiStan,      F::Edit_LimitSMS,
    F::Edit_LimitVoice, F::Edit_IN1A,   F::Edit_IN1N,    F::Edit_IN2A,     F::Edit_IN2N,     F::Edit_IN3A,
    F::Edit_IN3N,     F::Edit_IN4A,     F::Edit_IN4N,    F::Edit_IN5A,     F::Edit_IN5N,     F::Edit_ACa,
    F::Edit_ACn,      F::Edit_DCa,      F::Edit_DCn,     F::Edit_T1a,      F::Edit_T1ok,     F::Edit_T1n,
    F::TempZapisz,    F::EditAutotest,  F::IleTest,      F::Edit_Out1zal,  F::Edit_Out1wyl,  F::Out1Czas,
    F::Edit_Out2zal,  F::Edit_Out2wyl,  F::Out2Czas,     F::Edit_OUT3Zal,  F::Edit_Out3Wyl,  F::Out3Czas,
    F::Edit_OUT4Zal,  F::Edit_Out4Wyl,  F::Out4Czas,     F::EditPotw,
};
static_assert(sizeof(kTextOrder) / sizeof(kTextOrder[0]) == kTextFieldCount, "every text field once");
}  // namespace

QVector<FieldValue> DescribeConfig(const ConfigSide& side) {
    const ConfigValues& v = side.values;
    QVector<FieldValue> out;
    auto add = [&](const QString& label, const QString& name, const QString& value, int item, const QByteArray& key) {
        if (item > 0 && side.unreadableItems.contains(item))
            out.append({label, name, kUnreadableValue, item, QByteArrayLiteral("?")});
        else
            out.append({label, name, value, item, key});
    };
    if (side.password)
        add(QStringLiteral("Hasło"), QStringLiteral("Edit_haslo"), *side.password, 0, plainKey(*side.password));
    if (side.holdsOperator) {
        const int op = v.operatorIndex;
        add(QStringLiteral("Operator GSM"), QStringLiteral("Combo_operator"),
            op >= 0 && op <= kOperatorOther ? QString::fromLatin1(kOperators[op]) : QString(), 0, QByteArray::number(op));
    }
    for (F field : kTextOrder)
        add(fieldCaption(field), fieldName(field), v.text(field), itemOfText(field), textKey(field, v.text(field)));
    add(QStringLiteral("MAX"), QStringLiteral("Edit_T1Max"), thresholdText(v.temp.highCode), kTemperatureItem,
        QByteArray::number(v.temp.highCode));
    add(QStringLiteral("MIN"), QStringLiteral("Edit_T1Min"), thresholdText(v.temp.lowCode), kTemperatureItem,
        QByteArray::number(v.temp.lowCode));
    add(QStringLiteral("Korekta"), QStringLiteral("Edit_T1Korekta"), correctionText(v.temp.correctionCode),
        kTemperatureItem, QByteArray::number(v.temp.correctionCode));
    add(QStringLiteral("Automatyczny SMS na telefon nr.1"), QStringLiteral("BoxAutoTest"), yesNo(v.autoTest),
        kOptionsItem, flagKey(v.autoTest));
    for (int kind = 0; kind < kMatrixKinds; ++kind)
        for (int row = 0; row < kMatrixRows; ++row)
            for (int phone = 1; phone <= kPhones; ++phone) {
                const bool on = v.matrix[row][kind][phone - 1];
                add(QStringLiteral("%1 %2 telefon %3")
                        .arg(kind == Sms ? QStringLiteral("SMS") : QStringLiteral("Voice"), matrixRowLabel(row))
                        .arg(phone),
                    matrixBoxName(row, kind, phone), yesNo(on), 23, flagKey(on));
            }
    for (int i = 0; i < kOutputs; ++i) {
        const QString out1 = QStringLiteral("OUT%1").arg(i + 1);
        add(out1 + QStringLiteral(" NC"), QStringLiteral("BoxOut%1NC").arg(i + 1), yesNo(v.outNC[i]), kOptionsItem,
            flagKey(v.outNC[i]));
        add(out1 + QStringLiteral(" M/B"), QStringLiteral("BoxOut%1Mono").arg(i + 1), yesNo(v.outMono[i]),
            kOptionsItem, flagKey(v.outMono[i]));
        const int role = v.comboOut[i];
        add(out1 + QStringLiteral(" Temp. steruje"), QStringLiteral("ComboOut%1").arg(i + 1),
            role >= 0 && role <= 3 ? QString::fromLatin1(kRoles[role]) : QStringLiteral("(brak wyboru)"), kOptionsItem,
            QByteArray::number(role >= 0 && role <= 3 ? role : kNoSelection));
    }
    add(QStringLiteral("Wyślij potwierdzenie"), QStringLiteral("BoxPotw"), yesNo(v.potw), kOptionsItem, flagKey(v.potw));
    return out;
}

QVector<FieldDifference> DiffConfig(const ConfigSide& ours, const ConfigSide& theirs) {
    // Only what both sides hold.
    ConfigSide a = ours, b = theirs;
    if (!a.password || !b.password) a.password.reset(), b.password.reset();
    a.holdsOperator = b.holdsOperator = ours.holdsOperator && theirs.holdsOperator;
    const QVector<FieldValue> left = DescribeConfig(a), right = DescribeConfig(b);
    QVector<FieldDifference> out;
    for (int i = 0; i < left.size(); ++i)
        if (left[i].key != right[i].key)
            out.append({left[i].label, left[i].name, left[i].value, right[i].value, left[i].item});
    return out;
}

QVector<int> ItemsOf(const QVector<FieldDifference>& differences) {
    QVector<int> items;
    for (const FieldDifference& d : differences)
        if (d.item > 0 && !items.contains(d.item)) items.append(d.item);
    std::sort(items.begin(), items.end());
    return items;
}

QVector<FieldDifference> WrongAfterWrite(const ConfigValues& written, const ConfigValues& readBack,
                                         const QVector<int>& items, const QVector<int>& unreadable) {
    QVector<FieldDifference> wrong;
    for (const FieldDifference& d :
         DiffConfig({written, std::nullopt, false, {}}, {readBack, std::nullopt, false, unreadable}))
        if (items.isEmpty() || items.contains(d.item)) wrong.append(d);
    return wrong;
}
