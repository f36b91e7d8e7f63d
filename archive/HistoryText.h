#pragma once
// An event text file as the window saves it ("Zapisz do pliku": Windows-1250, CR LF) read back into
// its records. Every event line gives its record; the header lines, the asterisks, the blank line and
// " Koniec historii" are passed over; any other line is counted. Pure: bytes in, records out.

#include "archive/ArchiveRecord.h"

#include <QByteArray>
#include <QVector>

struct HistoryText {
    QVector<ArchiveRecord> records; // in the file's order, without raw bytes
    int skippedLines = 0;           // lines that are neither an event nor part of the list's frame
    int firstSkippedLine = 0;       // its number (1 for the first line), 0 when none was skipped
};

HistoryText ReadHistoryText(const QByteArray& bytes);

// The event line the window shows for a record, or an empty text for the codes without a line: the
// inverse of what ReadHistoryText takes from a line.
QString HistoryLineOf(const ArchiveRecord& record);
