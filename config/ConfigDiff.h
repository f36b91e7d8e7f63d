#pragma once
// Every field of a configuration in words, and the one definition of what differs between two
// configurations: the window and the recorder, the window and a file, a file and the recorder.
//
// Field by field over the whole record: texts compared as the Windows-1250 bytes they go out as, the
// number fields as the byte the recorder stores ("05" and "5" are the same), the 128 matrix cells, the
// output flags, the confirmation and automatic-SMS flags, the selectors, the temperature bytes. Fields
// one side does not hold (the operator selector the recorder only implies, the access password only a
// file and the window have) are compared only where both sides have them.

#include "config/ConfigValues.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <optional>

struct ConfigSide {
    ConfigValues values;
    std::optional<QString> password;  // the access password: the window's field, or a file's
    bool holdsOperator = true;        // false for the recorder, which keeps only the SMS-centre number
    // Items whose reply could not be decoded: their fields are unknown, shown as kUnreadableValue and
    // different from anything the other side holds.
    QVector<int> unreadableItems;
};

inline const QString kUnreadableValue = QStringLiteral("(błędna odpowiedź)");

struct FieldValue {
    QString label;    // as the window labels the field: "Telefon 1", "SMS IN3 telefon 5", "OUT2 NC", "MAX"
    QString name;     // the control's object name: "Edit_Tel1", "BoxIN3T5", "BoxOut2NC", "Edit_T1Max"
    QString value;    // as the window shows it
    int item = 0;     // the configuration item that carries the field (1..41); 0 for the password
    QByteArray key;   // what the comparison looks at
};

struct FieldDifference {
    QString label;
    QString name;
    QString ours;    // the first side's value
    QString theirs;  // the second side's value
    int item = 0;
};

// Every field the side holds, in the order of the window's areas.
QVector<FieldValue> DescribeConfig(const ConfigSide& side);
// The fields where the two differ, in the same order.
QVector<FieldDifference> DiffConfig(const ConfigSide& ours, const ConfigSide& theirs);
// After a write of these items and a read of them back: the fields of those items where what came
// back differs from what was written, or could not be read back (`unreadable`).
QVector<FieldDifference> WrongAfterWrite(const ConfigValues& written, const ConfigValues& readBack,
                                         const QVector<int>& items, const QVector<int>& unreadable = {});
// The items that carry these fields, in item order, each once (the password belongs to none).
QVector<int> ItemsOf(const QVector<FieldDifference>& differences);
