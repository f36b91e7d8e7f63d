#include "config/TempRules.h"

QString thresholdText(quint8 code) {
    return code >= 128 ? QStringLiteral("+%1").arg(code - 128) : QStringLiteral("-%1").arg(128 - code);
}

QString correctionText(quint8 code) {
    const QChar sign = code > 128 ? QLatin1Char('-') : QLatin1Char('+');
    const int m = (code & 0x7F) * 25;
    return QStringLiteral("%1%2,%3").arg(sign).arg(m / 100).arg(m % 100);
}

quint8 thresholdUp(quint8 code) { return code < 255 ? quint8(code + 1) : code; }
quint8 thresholdDown(quint8 code) { return code > 0 ? quint8(code - 1) : code; }

quint8 correctionUp(quint8 code) {
    if (code == 128) return 1;      // the second zero steps like +0,0
    if (code == 129) return 0;      // -0,25 -> +0,0
    if (code > 129) return quint8(code - 1);  // negative: the magnitude shrinks
    return code < 127 ? quint8(code + 1) : code;
}

quint8 correctionDown(quint8 code) {
    if (code == 0 || code == 128) return 129;  // +0,0 -> -0,25
    if (code < 128) return quint8(code - 1);   // positive: the magnitude shrinks
    return code < 254 ? quint8(code + 1) : code;  // negative: grows up to -31,50; -31,75 stays
}

namespace {
std::optional<int> lowByte(const QString& text) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    return int(quint64(v) & 0xFF);
}
}  // namespace

std::optional<QString> intervalUp(const QString& text) {
    const auto b = lowByte(text);
    if (!b) return std::nullopt;
    return QString::number(*b < 255 ? *b + 1 : *b);
}

std::optional<QString> intervalDown(const QString& text) {
    const auto b = lowByte(text);
    if (!b) return std::nullopt;
    return QString::number(*b > 1 ? *b - 1 : *b);
}
