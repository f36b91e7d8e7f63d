#pragma once
// Random configurations for round-trip tests: every field, texts with Polish letters and empty texts,
// every flag, selectors with and without a selection, every temperature code.

#include "config/ConfigValues.h"

#include <QRandomGenerator>

inline QString randomText(QRandomGenerator& rng, int maxLength, const QString& alphabet) {
    const int length = int(rng.bounded(maxLength + 1));
    QString s;
    for (int i = 0; i < length; ++i) s.append(alphabet.at(int(rng.bounded(alphabet.size()))));
    return s;
}

inline ConfigValues randomConfig(QRandomGenerator& rng) {
    static const QString free = QStringLiteral("abcdefghijklmnopqrstuvwxyz ABCXYZ0123456789!?.,:;-+*/ąćęłńóśźżĄĆĘŁŃÓŚŹŻ€");
    static const QString noSpace = QStringLiteral("ABCDEFGHIJ0123456789ąęŁŻ#*");
    static const QString phone = QStringLiteral("+0123456789");
    ConfigValues v;
    for (int i = 0; i < kTextFieldCount; ++i) {
        const TextField f = TextField(i);
        QString& t = v.text(f);
        switch (f) {
        case TextField::Edit_LimitSMS:
        case TextField::Edit_LimitVoice:
        case TextField::IleTest:
        case TextField::Out1Czas:
        case TextField::Out2Czas:
        case TextField::Out3Czas:
        case TextField::Out4Czas:
        case TextField::TempZapisz:
            t = QString::number(rng.bounded(256));
            break;
        case TextField::Edit_pin:
            t = randomText(rng, 4, QStringLiteral("0123456789"));
            break;
        case TextField::Edit_operator:
        case TextField::Edit_Tel1: case TextField::Edit_Tel2: case TextField::Edit_Tel3: case TextField::Edit_Tel4:
        case TextField::Edit_Tel5: case TextField::Edit_Tel6: case TextField::Edit_Tel7: case TextField::Edit_Tel8:
            t = randomText(rng, 13, phone);
            break;
        case TextField::Edit_Out1zal: case TextField::Edit_Out2zal: case TextField::Edit_OUT3Zal:
        case TextField::Edit_OUT4Zal: case TextField::Edit_Out1wyl: case TextField::Edit_Out2wyl:
        case TextField::Edit_Out3Wyl: case TextField::Edit_Out4Wyl:
            t = randomText(rng, 4, noSpace);
            break;
        default:
            t = randomText(rng, fieldMaxLength(f), free);
        }
    }
    // One in three configurations uses a known SMS centre.
    v.operatorIndex = kOperatorOther;
    if (rng.bounded(3) == 0) {
        v.operatorIndex = int(rng.bounded(4));
        v.text(TextField::Edit_operator) = operatorNumber(v.operatorIndex);
    } else {
        for (int i = 0; i < 4; ++i)
            if (v.text(TextField::Edit_operator) == operatorNumber(i)) v.operatorIndex = i;
    }
    for (auto& row : v.matrix)
        for (auto& kind : row)
            for (bool& cell : kind) cell = rng.bounded(2);
    for (int i = 0; i < kOutputs; ++i) {
        v.outNC[i] = rng.bounded(2);
        v.outMono[i] = rng.bounded(2);
        v.comboOut[i] = int(rng.bounded(5)) - 1;
    }
    v.potw = rng.bounded(2);
    v.autoTest = rng.bounded(2);
    v.temp.lowCode = quint8(rng.bounded(256));
    v.temp.highCode = quint8(rng.bounded(256));
    v.temp.correctionCode = quint8(rng.bounded(256));
    return v;
}
