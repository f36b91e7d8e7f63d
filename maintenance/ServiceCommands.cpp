#include "maintenance/ServiceCommands.h"

QByteArray ClockPayload(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    const int year = ((d.year() % 100) + 100) % 100;
    QByteArray payload;
    for (int value : {year, d.month(), d.day(), t.hour(), t.minute(), t.second()}) payload.append(char(value));
    return payload;
}

bool IsUsablePassword(const QString& text) {
    if (text.size() != 4) return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}
