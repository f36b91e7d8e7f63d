#pragma once
// Every configuration value the window holds, as plain values: what the item encoding, the transfer and
// the configuration file read and write. The window's controls bear the same names.

#include <QString>
#include <array>

// The three temperature bytes in the recorder's coding; the displays are rendered from them.
struct TempSettings {
    quint8 lowCode = 130;        // lower threshold, degrees + 128
    quint8 highCode = 136;       // upper threshold, degrees + 128
    quint8 correctionCode = 0;   // bit 7 minus, bits 6..0 in 0.25 degree steps
    bool operator==(const TempSettings& o) const {
        return lowCode == o.lowCode && highCode == o.highCode && correctionCode == o.correctionCode;
    }
};

// The text fields, named after their controls.
enum class TextField {
    Edit_pin,
    Edit_operator,
    Edit_Tel1, Edit_Tel2, Edit_Tel3, Edit_Tel4, Edit_Tel5, Edit_Tel6, Edit_Tel7, Edit_Tel8,
    Edit_LimitSMS,
    Edit_LimitVoice,
    JakiStan,
    Edit_IN1A, Edit_IN2A, Edit_IN3A, Edit_IN4A, Edit_IN5A,
    Edit_IN1N, Edit_IN2N, Edit_IN3N, Edit_IN4N, Edit_IN5N,
    Edit_ACa, Edit_ACn, Edit_DCa, Edit_DCn,
    Edit_T1a, Edit_T1ok, Edit_T1n,
    TempZapisz,
    EditAutotest,
    IleTest,
    Edit_Out1zal, Edit_Out2zal, Edit_OUT3Zal, Edit_OUT4Zal,
    Edit_Out1wyl, Edit_Out2wyl, Edit_Out3Wyl, Edit_Out4Wyl,
    Out1Czas, Out2Czas, Out3Czas, Out4Czas,
    EditPotw,
    Count
};
constexpr int kTextFieldCount = int(TextField::Count);

// The control's object name ("Edit_Tel1").
QString fieldName(TextField field);
// The name a person reads on the screen ("Limit SMS"), for messages about the field.
QString fieldCaption(TextField field);
// How many characters typing may put in the field.
int fieldMaxLength(TextField field);

// The notification matrices: 8 event rows by SMS/voice by 8 telephone numbers.
enum MatrixRow { RowIN1, RowIN2, RowIN3, RowIN4, RowIN5, RowT1, RowT2, RowT3, kMatrixRows };
enum MatrixKind { Sms, Voice, kMatrixKinds };
constexpr int kPhones = 8;
// "IN1".."IN5", "T1", "T2", "T3": the key in the check boxes' names.
QString matrixRowKey(int row);
// "IN1".."IN5", "T1", "BT", "ZS": what the window shows.
QString matrixRowLabel(int row);
// "BoxIN3T5" (SMS) or "BoxT1S2" (voice); phone is 1..8.
QString matrixBoxName(int row, int kind, int phone);

// The temperature-role selectors: 0 "Brak", 1 "T MIN", 2 "T MAX", 3 "T ALR"; -1 when nothing is selected.
constexpr int kNoSelection = -1;
constexpr int kOutputs = 4;
// The operator selector: "ORANGE", "T-MOBILE", "PLUS", "PLAY", "inny".
constexpr int kOperatorOther = 4;
// The SMS-centre number of operator 0..3.
QString operatorNumber(int index);

struct ConfigValues {
    std::array<QString, kTextFieldCount> texts{};
    bool matrix[kMatrixRows][kMatrixKinds][kPhones] = {};
    bool outNC[kOutputs] = {};
    bool outMono[kOutputs] = {};
    bool potw = false;
    bool autoTest = false;
    int comboOut[kOutputs] = {kNoSelection, kNoSelection, kNoSelection, kNoSelection};
    int operatorIndex = 0;
    TempSettings temp;

    QString& text(TextField f) { return texts[size_t(f)]; }
    const QString& text(TextField f) const { return texts[size_t(f)]; }
    bool operator==(const ConfigValues& o) const;
    bool operator!=(const ConfigValues& o) const { return !(*this == o); }

    // What a new window shows.
    static ConfigValues defaults();
};
