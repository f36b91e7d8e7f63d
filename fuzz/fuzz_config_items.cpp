// Every configuration item's reply payload, decoded into the values: no read past the payload, nothing
// outside the item changes, and encoding the values again gives back the bytes the recorder sent (for
// the bits the window keeps).

#include "config/ConfigItems.h"
#include "link/Errors.h"
#include "link/Frame.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
// Bytes Windows-1250 leaves undefined.
bool undefinedInCp1250(quint8 b) { return b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98; }

// Returns the values with every value of one item's kind reset to the defaults, so two values can be
// compared outside the item.
ConfigValues outsideItem(ConfigValues v, const ConfigItem& item) {
    const ConfigValues d = ConfigValues::defaults();
    switch (item.kind) {
    case ItemKind::Text:
        v.text(item.field) = d.text(item.field);
        if (item.field == TextField::Edit_operator) v.operatorIndex = d.operatorIndex;
        break;
    case ItemKind::Matrix:
        std::memcpy(v.matrix, d.matrix, sizeof v.matrix);
        break;
    case ItemKind::Options:
        for (TextField f : {TextField::Edit_LimitSMS, TextField::Edit_LimitVoice, TextField::Out1Czas,
                            TextField::Out2Czas, TextField::Out3Czas, TextField::Out4Czas, TextField::IleTest})
            v.text(f) = d.text(f);
        for (int i = 0; i < kOutputs; ++i) {
            v.outNC[i] = d.outNC[i];
            v.outMono[i] = d.outMono[i];
            v.comboOut[i] = d.comboOut[i];
        }
        v.potw = d.potw;
        v.autoTest = d.autoTest;
        break;
    case ItemKind::Temperature:
        v.temp = d.temp;
        v.text(TextField::TempZapisz) = d.text(TextField::TempZapisz);
        break;
    }
    return v;
}

// The bytes an encode must give back after a decode of `p`.
QByteArray expectedBack(const ConfigItem& item, const QByteArray& p) {
    switch (item.kind) {
    case ItemKind::Text: {
        const int zero = p.indexOf('\0');
        return zero < 0 ? p : p.left(zero);
    }
    case ItemKind::Matrix:
        return p.left(kMatrixBytes);
    case ItemKind::Options: {
        QByteArray e = p.left(kOptionsBytes);
        e[7] = char(quint8(e[7]) & 0x03);  // only the two option bits are kept
        for (int i = 9; i < 13; ++i)
            if (quint8(e[i]) > 3) e[i] = char(0xFF);  // no selection goes back as 255
        return e;
    }
    case ItemKind::Temperature:
        return p.left(kTemperatureBytes);
    }
    return {};
}

int fixedLength(ItemKind kind) {
    switch (kind) {
    case ItemKind::Matrix: return kMatrixBytes;
    case ItemKind::Options: return kOptionsBytes;
    case ItemKind::Temperature: return kTemperatureBytes;
    case ItemKind::Text: break;
    }
    return 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 1 + kMaxReplyPayload) return 0;
    const ConfigItem& item = configItems()[data[0] % kConfigItemCount];
    const QByteArray payload = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (itemForReadCode(item.readCode) != &item) abort();

    const ConfigValues before = ConfigValues::defaults();
    ConfigValues v = before;
    const bool applied = DecodeItem(item.readCode, payload, v);
    if (applied != (payload.size() >= fixedLength(item.kind))) abort();
    if (!applied) {
        if (v != before) abort();
        return 0;
    }
    if (outsideItem(v, item) != outsideItem(before, item)) abort();

    const QByteArray expected = expectedBack(item, payload);
    QByteArray back;
    try {
        back = EncodeItem(item, v);
    } catch (const AppError&) {
        // Only a text the recorder cannot be sent back refuses: a byte Windows-1250 lacks, or too long.
        if (item.kind != ItemKind::Text) abort();
        bool undefined = false;
        for (char c : expected) undefined = undefined || undefinedInCp1250(quint8(c));
        if (!undefined && expected.size() <= kMaxCommandPayload) abort();
        return 0;
    }
    if (back != expected) abort();
    // And the bytes decode to the same values again.
    ConfigValues again = before;
    if (!DecodeItem(item.readCode, back, again)) abort();
    if (item.kind == ItemKind::Text && item.field == TextField::Edit_operator) {
        again.operatorIndex = v.operatorIndex;  // the operator is chosen by the exact 13 bytes with their zero
    }
    if (again != v) abort();
    return 0;
}
