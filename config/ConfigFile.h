#pragma once
// The configuration file (*.ncf): "tcf", every value of the window in a fixed order, and a check byte
// that is the XOR of every byte before it. Texts are a length byte and Windows-1250 bytes.

#include "config/ConfigValues.h"

#include <QByteArray>
#include <optional>

inline const QByteArray kConfigMagic = QByteArrayLiteral("tcf");

// The whole file, check byte included. Throws ConversionError for a number field that holds no integer
// and FrameError for a text the file cannot carry (a character outside Windows-1250, over 255 bytes).
QByteArray BuildConfigFile(const ConfigValues& values, const QString& password);

struct LoadedConfig {
    ConfigValues values;
    QString password;
};

// The values a checked file holds. Starts from `current` (the operator selection and everything the file
// does not carry stay). Empty when the fields run past the file's last content byte or the matrix field
// is not 16 bytes long: such a file is refused whole.
std::optional<LoadedConfig> ParseConfigFile(const QByteArray& file, const ConfigValues& current);
