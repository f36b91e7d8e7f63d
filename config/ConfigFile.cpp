#include "config/ConfigFile.h"

#include "config/ConfigItems.h"
#include "link/Errors.h"
#include "link/Text.h"
#include "config/WorkingBuffer.h"

namespace {
using F = TextField;

// The texts in file order, between the fields that are not texts.
const F kTextsAfterPin[] = {F::Edit_operator, F::Edit_Tel1,    F::Edit_Tel2,    F::Edit_Tel3,    F::Edit_Tel4,
                            F::Edit_IN1N,     F::Edit_IN2N,    F::Edit_IN3N,    F::Edit_IN4N,    F::Edit_IN5N,
                            F::Edit_IN1A,     F::Edit_IN2A,    F::Edit_IN3A,    F::Edit_IN4A,    F::Edit_IN5A,
                            F::Edit_Out1zal,  F::Edit_Out2zal, F::Edit_OUT3Zal, F::Edit_OUT4Zal, F::Edit_Out1wyl,
                            F::Edit_Out2wyl,  F::Edit_Out3Wyl, F::Edit_Out4Wyl};
const F kNumbers[] = {F::Out1Czas, F::Out2Czas, F::Out3Czas, F::Out4Czas, F::Edit_LimitSMS, F::Edit_LimitVoice,
                      F::IleTest};
const F kTextsAfterRoles[] = {F::EditPotw, F::EditAutotest, F::Edit_ACa,  F::Edit_ACn,  F::Edit_DCa,
                              F::Edit_DCn, F::Edit_T1a,     F::Edit_T1ok, F::Edit_T1n,  F::Edit_Tel5,
                              F::Edit_Tel6, F::Edit_Tel7,   F::Edit_Tel8, F::JakiStan};

void appendText(QByteArray& out, const QString& text, const QString& caption) {
    const QByteArray bytes = toCp1250(text, caption);
    if (bytes.size() > 255)
        throw FrameError(QStringLiteral("Pole „%1” jest za długie dla pliku konfiguracji").arg(caption));
    out.append(char(bytes.size()));
    out.append(bytes);
}

// Reads fields off the content bytes; any read past the end marks the walk as failed.
class Walker {
public:
    Walker(const QByteArray& bytes, int end) : b_(bytes), pos_(3), end_(end) {}
    bool ok() const { return ok_; }
    quint8 byte() {
        if (pos_ >= end_) {
            ok_ = false;
            return 0;
        }
        return quint8(b_.at(pos_++));
    }
    QByteArray field() {
        const int length = byte();
        if (!ok_ || pos_ + length > end_) {
            ok_ = false;
            return {};
        }
        const QByteArray f = b_.mid(pos_, length);
        pos_ += length;
        return f;
    }

private:
    const QByteArray& b_;
    int pos_;
    int end_;
    bool ok_ = true;
};

int selection(quint8 byte) { return byte <= 3 ? int(byte) : kNoSelection; }
}  // namespace

QByteArray BuildConfigFile(const ConfigValues& v, const QString& password) {
    QByteArray out = kConfigMagic;
    appendText(out, password, QStringLiteral("Hasło"));
    appendText(out, v.text(F::Edit_pin), fieldCaption(F::Edit_pin));
    for (F f : kTextsAfterPin) appendText(out, v.text(f), fieldCaption(f));
    const QByteArray matrix = EncodeMatrix(v);
    out.append(char(matrix.size()));
    out.append(matrix);
    for (F f : kNumbers) out.append(char(numericByte(v, f)));
    quint8 a = v.potw ? 0x01 : 0;
    if (v.outNC[0]) a |= 0x40;
    if (v.outNC[1]) a |= 0x20;
    if (v.outNC[2]) a |= 0x10;
    if (v.outMono[0]) a |= 0x08;
    if (v.outMono[1]) a |= 0x04;
    if (v.outMono[2]) a |= 0x02;
    quint8 b = v.autoTest ? 0x01 : 0;
    if (v.outNC[3]) b |= 0x04;
    if (v.outMono[3]) b |= 0x02;
    out.append(char(a));
    out.append(char(b));
    for (int c : v.comboOut) out.append(char(c >= 0 && c <= 3 ? c : 255));
    for (F f : kTextsAfterRoles) appendText(out, v.text(f), fieldCaption(f));
    out.append(char(v.temp.correctionCode));
    out.append(char(v.temp.lowCode));
    out.append(char(v.temp.highCode));
    out.append(char(numericByte(v, F::TempZapisz)));
    out.append(char(XorOf(out)));
    return out;
}

std::optional<LoadedConfig> ParseConfigFile(const QByteArray& file, const ConfigValues& current) {
    if (file.size() < kMinimumFileSize) return std::nullopt;
    // Everything but the magic and the check byte is content.
    Walker w(file, file.size() - 1);
    LoadedConfig loaded{current, QString()};
    ConfigValues& v = loaded.values;
    auto text = [&] { return fromCp1250(w.field()); };

    loaded.password = text();
    v.text(F::Edit_pin) = text();
    for (F f : kTextsAfterPin) {
        v.text(f) = text();
        if (f == F::Edit_operator) {
            v.operatorIndex = kOperatorOther;
            for (int i = 0; i < 4; ++i)
                if (v.text(f) == operatorNumber(i)) v.operatorIndex = i;
        }
    }
    const QByteArray matrix = w.field();
    if (w.ok() && matrix.size() != kMatrixBytes) return std::nullopt;
    DecodeMatrix(matrix, v);
    for (F f : kNumbers) v.text(f) = QString::number(w.byte());
    const quint8 a = w.byte(), b = w.byte();
    v.outNC[0] = a & 0x40;
    v.outNC[1] = a & 0x20;
    v.outNC[2] = a & 0x10;
    v.outMono[0] = a & 0x08;
    v.outMono[1] = a & 0x04;
    v.outMono[2] = a & 0x02;
    v.potw = a & 0x01;
    v.outNC[3] = b & 0x04;
    v.outMono[3] = b & 0x02;
    v.autoTest = b & 0x01;
    for (int& c : v.comboOut) c = selection(w.byte());
    for (F f : kTextsAfterRoles) v.text(f) = text();
    v.temp.correctionCode = w.byte();
    v.temp.lowCode = w.byte();
    v.temp.highCode = w.byte();
    v.text(F::TempZapisz) = QString::number(w.byte());
    if (!w.ok()) return std::nullopt;
    return loaded;
}
