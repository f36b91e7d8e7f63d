// The configuration file reader fed arbitrary files.

#include "config/ConfigFile.h"
#include "config/WorkingBuffer.h"
#include "link/Errors.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > size_t(kWorkingBufferSize) + 1) return 0;
    const QByteArray file(reinterpret_cast<const char*>(data), int(size));
    CheckImage(file, kConfigMagic);
    const auto loaded = ParseConfigFile(file, ConfigValues::defaults());
    if (!loaded) return 0;
    // What was read saves and reads back the same, unless it holds something the file cannot carry.
    QByteArray again;
    try {
        again = BuildConfigFile(loaded->values, loaded->password);
    } catch (const AppError&) {
        return 0;
    }
    const auto reloaded = ParseConfigFile(again, ConfigValues::defaults());
    if (!reloaded || reloaded->values != loaded->values || reloaded->password != loaded->password) abort();
    return 0;
}
