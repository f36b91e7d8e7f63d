#pragma once
// The recorder's 41 configuration items: their codes, their payloads and how the window's values turn
// into payloads and back.

#include "config/ConfigValues.h"

#include <QByteArray>
#include <array>

enum class ItemKind { Text, Matrix, Options, Temperature };

struct ConfigItem {
    int number;          // 1..41
    quint8 readCode;     // even, 4..84
    quint8 writeCode;    // readCode + 1
    ItemKind kind;
    TextField field;     // for Text items
    int writeTimeout;    // ticks: 60 for the 30-character texts, 10 for the rest
};

constexpr int kConfigItemCount = 41;
constexpr int kMatrixBytes = 16;
constexpr int kOptionsBytes = 13;
constexpr int kTemperatureBytes = 4;
// The read code of the status-query text; a read that gets no answer to it fails silently.
constexpr quint8 kSilentReadCode = 80;

// In table order: the order of every read and write.
const std::array<ConfigItem, kConfigItemCount>& configItems();
// Null for a code that carries no item.
const ConfigItem* itemForReadCode(int code);

// A number field as the recorder stores it: the decimal integer's low 8 bits. Throws ConversionError
// naming the field when the text is no integer.
quint8 numericByte(const ConfigValues& values, TextField field);

QByteArray EncodeMatrix(const ConfigValues& values);
// Sets the 128 cells from the first 16 bytes; false (nothing changed) when fewer are given.
bool DecodeMatrix(const QByteArray& bytes, ConfigValues& values);
quint8 EncodeOutputFlags(const ConfigValues& values);
void DecodeOutputFlags(quint8 flags, ConfigValues& values);

// The payload that writes the item from the values as they are now. Throws ConversionError for a number
// field that holds no integer, FrameError for a text the recorder cannot carry or that is too long.
QByteArray EncodeItem(const ConfigItem& item, const ConfigValues& values);

// What a reply with this read code does to the values. False when the reply is ignored: no item has this
// code, or a record is shorter than its fixed length.
bool DecodeItem(int readCode, const QByteArray& payload, ConfigValues& values);
