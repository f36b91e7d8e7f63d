#pragma once
// The one-shot service commands: their codes and payloads, and what a new password must look like.
// Plain functions over values; nothing here touches a port, a widget or a clock.

#include <QByteArray>
#include <QDateTime>
#include <QString>

constexpr quint8 kPasswordCode = 3;
constexpr quint8 kClockCode = 94;
constexpr quint8 kCounterResetCode = 254;
constexpr int kPasswordTimeout = 10;
constexpr int kClockTimeout = 110;
inline const QByteArray kCounterResetPayload = QByteArrayLiteral("G");

// Six plain bytes from one reading of the local date and time: year within the century, month, day,
// hour (0..23), minute, second.
QByteArray ClockPayload(const QDateTime& now);

// The login field takes exactly four digits and nothing else, so that is what a new password must be:
// otherwise the recorder would hold a password nobody can type in again.
bool IsUsablePassword(const QString& text);
