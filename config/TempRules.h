#pragma once
// The temperature values in the recorder's coding: how they are shown and how the spin buttons step
// them. Plain functions over bytes and texts; the configuration area calls them.

#include <QString>
#include <optional>

// A threshold code c is c - 128 degrees: "+2" for 130, "-1" for 127, "-128" for 0, "+127" for 255.
QString thresholdText(quint8 code);
// Sign and magnitude in 0.25 degree steps: "+0,0" for 0 and 128, "+0,25" for 1, "+1,0" for 4,
// "-0,25" for 129, "-31,50" for 254.
QString correctionText(quint8 code);

// One degree up or down; stops at 255 and 0.
quint8 thresholdUp(quint8 code);
quint8 thresholdDown(quint8 code);

// A quarter degree up or down, walking through zero between +0,25 and -0,25. The buttons reach -31,50
// (254) to +31,75 (127); 128 (a second zero) steps like 0, and 255 (-31,75), which only a read or a
// file brings, comes back to 254 on up and stays on down.
quint8 correctionUp(quint8 code);
quint8 correctionDown(quint8 code);

// The recording interval: the low 8 bits of the decimal number, one up or down within 1..255 (a 0 from
// the recorder steps up to 1 and stays on down). No result for a text that holds no decimal number.
std::optional<QString> intervalUp(const QString& text);
std::optional<QString> intervalDown(const QString& text);
