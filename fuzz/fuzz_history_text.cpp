// Event text files that owners kept for years and the archive imports: any bytes must read without a
// crash, and every record read must be one whose line the window writes, reading back into itself.

#include "archive/HistoryText.h"
#include "link/Text.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const HistoryText read = ReadHistoryText(bytes);
    const qsizetype lines = bytes.count('\n') + 1;
    if (read.skippedLines < 0 || read.records.size() + read.skippedLines > lines) abort();
    if ((read.skippedLines == 0) != (read.firstSkippedLine == 0)) abort();
    if (read.firstSkippedLine > lines) abort();
    for (const ArchiveRecord& r : read.records) {
        if (r.code < 4 || r.code > 13 || !r.raw.isEmpty()) abort();
        if (r.tenths.has_value() != (r.code == 4 || r.code >= 11)) abort();
        const QString line = HistoryLineOf(r);
        if (line.isEmpty() || !isCp1250(line)) abort();
        const HistoryText again = ReadHistoryText(toCp1250(line, QString()));
        if (again.skippedLines != 0 || again.records.size() != 1 || !again.records.at(0).sameEvent(r)) abort();
        const QByteArray canonical = CanonicalBytes(r);
        if (!canonical.endsWith('\n') || canonical.count('\n') != 1 || canonical.count(';') != 2) abort();
    }
    return 0;
}
