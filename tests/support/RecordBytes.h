#pragma once
// The eight bytes of one register record as the recorder sends them: year since 2000, the event code
// over the month, day, hour, minute, second, and the temperature sample, low byte first.

#include <QByteArray>

inline QByteArray EventRecordBytes(int year, int month, int day, int hour, int minute, int second, int code,
                                   int sample) {
    QByteArray r(8, '\0');
    r[0] = char(year - 2000);
    r[1] = char((code << 4) | (month & 0x0F));
    r[2] = char(day);
    r[3] = char(hour);
    r[4] = char(minute);
    r[5] = char(second);
    r[6] = char(sample & 0xFF);
    r[7] = char((sample >> 8) & 0xFF);
    return r;
}
