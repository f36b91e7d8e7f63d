#pragma once
// The file reader shared by configuration files ("tcf") and firmware images ("nfr"): three magic bytes,
// the content, and a check byte that is the XOR of every byte before it.

#include <QByteArray>
#include <QString>

class People;

// The working buffer holds at most this many bytes; a valid file has at least the magic and the check byte.
constexpr int kWorkingBufferSize = 65536;
constexpr int kMinimumFileSize = 4;

struct FileVerdict {
    bool sizeOk = false;   // kMinimumFileSize..kWorkingBufferSize bytes
    bool magicOk = false;  // first three bytes are the expected magic
    bool checkOk = false;  // last byte is the XOR of all bytes before it
    bool ok() const { return sizeOk && magicOk && checkOk; }
};

quint8 XorOf(const char* data, int size);
inline quint8 XorOf(const QByteArray& bytes) { return XorOf(bytes.constData(), bytes.size()); }
FileVerdict CheckImage(const QByteArray& bytes, const QByteArray& magic);

// Reads the whole file into `buffer` and checks it. A wrong size or magic shows "Zly format pliku"; a
// wrong check byte beeps and shows "Bląd CRC pliku konfiguracji" (both, in that order, when both are
// wrong). A file that cannot be opened or read throws FileError. True when every check passed.
bool ReadConfigFile(const QString& path, const QByteArray& magic, QByteArray& buffer, People& people);
