#include "config/ConfigItems.h"

#include "link/Errors.h"
#include "link/Frame.h"
#include "link/Text.h"

namespace {
using F = TextField;

constexpr ConfigItem text(int n, F field, int timeout) {
    return {n, quint8(2 + 2 * n), quint8(3 + 2 * n), ItemKind::Text, field, timeout};
}
constexpr ConfigItem record(int n, ItemKind kind) {
    return {n, quint8(2 + 2 * n), quint8(3 + 2 * n), kind, F::Count, 10};
}

const std::array<ConfigItem, kConfigItemCount> kItems = {{
    text(1, F::Edit_pin, 10),        text(2, F::Edit_operator, 10),  text(3, F::Edit_Tel1, 10),
    text(4, F::Edit_Tel2, 10),       text(5, F::Edit_Tel3, 10),      text(6, F::Edit_Tel4, 10),
    text(7, F::Edit_IN1N, 60),       text(8, F::Edit_IN2N, 60),      text(9, F::Edit_IN3N, 60),
    text(10, F::Edit_IN4N, 60),      text(11, F::Edit_IN5N, 60),     text(12, F::Edit_IN1A, 60),
    text(13, F::Edit_IN2A, 60),      text(14, F::Edit_IN3A, 60),     text(15, F::Edit_IN4A, 60),
    text(16, F::Edit_IN5A, 60),      text(17, F::Edit_Out2zal, 10),  text(18, F::Edit_Out2wyl, 10),
    text(19, F::Edit_OUT3Zal, 10),   text(20, F::Edit_Out3Wyl, 10),  text(21, F::Edit_OUT4Zal, 10),
    text(22, F::Edit_Out4Wyl, 10),   record(23, ItemKind::Matrix),   record(24, ItemKind::Options),
    text(25, F::EditPotw, 10),       text(26, F::EditAutotest, 10),  text(27, F::Edit_ACa, 60),
    text(28, F::Edit_ACn, 60),       text(29, F::Edit_DCa, 60),      text(30, F::Edit_DCn, 60),
    text(31, F::Edit_T1a, 60),       text(32, F::Edit_T1ok, 60),     text(33, F::Edit_T1n, 60),
    record(34, ItemKind::Temperature), text(35, F::Edit_Tel5, 10),   text(36, F::Edit_Tel6, 10),
    text(37, F::Edit_Tel7, 10),      text(38, F::Edit_Tel8, 10),     text(39, F::JakiStan, 10),
    text(40, F::Edit_Out1zal, 10),   text(41, F::Edit_Out1wyl, 10),
}};

const TextField kTimes[kOutputs] = {F::Out1Czas, F::Out2Czas, F::Out3Czas, F::Out4Czas};

// A decimal integer as a person types it: optional sign, digits, nothing else.
bool parseInteger(const QString& text, qint64& value) {
    if (text.isEmpty() || text.size() > 11) return false;
    int i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-')) {
        negative = text[0] == QLatin1Char('-');
        i = 1;
    }
    if (i >= text.size()) return false;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        v = v * 10 + (c.unicode() - '0');
    }
    v = negative ? -v : v;
    if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max()) return false;
    value = v;
    return true;
}

QByteArray encodeText(const ConfigValues& values, TextField field) {
    const QByteArray bytes = toCp1250(values.text(field), fieldCaption(field));
    if (bytes.size() > kMaxCommandPayload)
        throw FrameError(QStringLiteral("Pole „%1” jest za długie dla MX-4 (%2 znaków, najwyżej %3)")
                             .arg(fieldCaption(field))
                             .arg(bytes.size())
                             .arg(kMaxCommandPayload));
    return bytes;
}

int selection(quint8 byte) { return byte <= 3 ? int(byte) : kNoSelection; }
}  // namespace

const std::array<ConfigItem, kConfigItemCount>& configItems() { return kItems; }

const ConfigItem* itemForReadCode(int code) {
    if (code < 4 || code > 84 || code % 2 != 0) return nullptr;
    return &kItems[size_t(code / 2 - 2)];
}

quint8 numericByte(const ConfigValues& values, TextField field) {
    qint64 v = 0;
    if (!parseInteger(values.text(field), v))
        throw ConversionError(QStringLiteral("Pole „%1” nie zawiera liczby").arg(fieldCaption(field)));
    return quint8(v & 0xFF);
}

QByteArray EncodeMatrix(const ConfigValues& values) {
    QByteArray bytes(kMatrixBytes, '\0');
    for (int row = 0; row < kMatrixRows; ++row)
        for (int kind = 0; kind < kMatrixKinds; ++kind) {
            quint8 b = 0;
            for (int phone = 0; phone < kPhones; ++phone)
                if (values.matrix[row][kind][phone]) b |= quint8(0x80 >> phone);
            bytes[2 * row + kind] = char(b);
        }
    return bytes;
}

bool DecodeMatrix(const QByteArray& bytes, ConfigValues& values) {
    if (bytes.size() < kMatrixBytes) return false;
    for (int row = 0; row < kMatrixRows; ++row)
        for (int kind = 0; kind < kMatrixKinds; ++kind) {
            const quint8 b = quint8(bytes.at(2 * row + kind));
            for (int phone = 0; phone < kPhones; ++phone) values.matrix[row][kind][phone] = b & (0x80 >> phone);
        }
    return true;
}

quint8 EncodeOutputFlags(const ConfigValues& v) {
    quint8 b = 0;
    for (int i = 0; i < kOutputs; ++i) {
        if (v.outNC[i]) b |= quint8(0x80 >> i);
        if (v.outMono[i]) b |= quint8(0x08 >> i);
    }
    return b;
}

void DecodeOutputFlags(quint8 flags, ConfigValues& v) {
    for (int i = 0; i < kOutputs; ++i) {
        v.outNC[i] = flags & (0x80 >> i);
        v.outMono[i] = flags & (0x08 >> i);
    }
}

QByteArray EncodeItem(const ConfigItem& item, const ConfigValues& v) {
    switch (item.kind) {
    case ItemKind::Text:
        return encodeText(v, item.field);
    case ItemKind::Matrix:
        return EncodeMatrix(v);
    case ItemKind::Options: {
        QByteArray p;
        p.append(char(EncodeOutputFlags(v)));
        p.append(char(numericByte(v, F::Edit_LimitSMS)));
        p.append(char(numericByte(v, F::Edit_LimitVoice)));
        for (TextField t : kTimes) p.append(char(numericByte(v, t)));
        p.append(char((v.potw ? 0x01 : 0) | (v.autoTest ? 0x02 : 0)));
        p.append(char(numericByte(v, F::IleTest)));
        for (int c : v.comboOut) p.append(char(c >= 0 && c <= 3 ? c : 255));
        return p;
    }
    case ItemKind::Temperature: {
        QByteArray p;
        p.append(char(v.temp.lowCode));
        p.append(char(v.temp.highCode));
        p.append(char(v.temp.correctionCode));
        p.append(char(numericByte(v, F::TempZapisz)));
        return p;
    }
    }
    return {};
}

bool DecodeItem(int readCode, const QByteArray& p, ConfigValues& v) {
    const ConfigItem* item = itemForReadCode(readCode);
    if (!item) return false;
    switch (item->kind) {
    case ItemKind::Text: {
        const int zero = p.indexOf('\0');
        v.text(item->field) = fromCp1250(zero < 0 ? p : p.left(zero));
        if (item->field == F::Edit_operator) {
            // The number selects its operator exactly, with or without one zero after it: the modem keeps
            // the zero, a recorder given the number without one sends it back without.
            v.operatorIndex = kOperatorOther;
            for (int i = 0; i < 4; ++i) {
                const QByteArray number = operatorNumber(i).toLatin1();
                if (p == number || p == number + '\0') v.operatorIndex = i;
            }
        }
        return true;
    }
    case ItemKind::Matrix:
        return DecodeMatrix(p, v);
    case ItemKind::Options: {
        if (p.size() < kOptionsBytes) return false;
        auto byte = [&](int i) { return quint8(p.at(i)); };
        DecodeOutputFlags(byte(0), v);
        v.text(F::Edit_LimitSMS) = QString::number(byte(1));
        v.text(F::Edit_LimitVoice) = QString::number(byte(2));
        for (int i = 0; i < kOutputs; ++i) v.text(kTimes[i]) = QString::number(byte(3 + i));
        v.potw = byte(7) & 0x01;
        v.autoTest = byte(7) & 0x02;
        v.text(F::IleTest) = QString::number(byte(8));
        for (int i = 0; i < kOutputs; ++i) v.comboOut[i] = selection(byte(9 + i));
        return true;
    }
    case ItemKind::Temperature:
        if (p.size() < kTemperatureBytes) return false;
        v.temp.lowCode = quint8(p.at(0));
        v.temp.highCode = quint8(p.at(1));
        v.temp.correctionCode = quint8(p.at(2));
        v.text(F::TempZapisz) = QString::number(quint8(p.at(3)));
        return true;
    }
    return false;
}
