#pragma once
// Fixed texts the window starts with.

#include <QString>

// The recorder's access password as delivered, and the SIM PIN field's start text.
inline const QString kDefaultPassword = QStringLiteral("1234");
inline const QString kDefaultPin = QStringLiteral("0000");
