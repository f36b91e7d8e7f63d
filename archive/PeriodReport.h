#pragma once
// "Raport temperatury": the report of an archive period that an owner hands an inspector. A4 portrait,
// as many pages as its tables need: on every page a header with the site, the period and "Strona X z N";
// then the limits and the figures, the chart of the period, the excursions, the events, the imports that
// brought the period's records, when and by whom the report was made, the SHA-256 of the period's records
// with the archive's verification, and a line for the one who checked it. No row of a table is ever cut
// across pages: the report is laid out first, then painted.
//
// QtGui only, no widgets: the window prints it through QPrinter, mx4ctl writes it through QPdfWriter.

#include "archive/ArchivePeriod.h"
#include "archive/RegisterArchive.h"

#include <QDateTime>
#include <QPointF>
#include <QString>
#include <QVector>

class QPagedPaintDevice;

struct PeriodReport {
    QString site;
    ArchivePeriod period;
    QVector<QVector<QPointF>> curve;   // PeriodCurve: seconds of the recorder's clock, degrees
    QVector<ArchiveLogEntry> imports;  // the log entries that brought the period's records
    ArchiveCheck check;                // the archive's verification when the report was made
    QDateTime made;                    // the PC's date and time
    QString user;                      // the PC's user
};

// The report of `period` of `archive` (whose records `contents` holds): the site, the imports, the curve
// and a verification of the archive now.
PeriodReport MakePeriodReport(const RegisterArchive& archive, const ArchiveContents& contents,
                              const ArchivePeriod& period, const QDateTime& made);

// Sets `device` to A4 portrait, lays the report out and paints it: the number of pages, 0 when the device
// could not be painted on.
int PaintPeriodReport(QPagedPaintDevice& device, const PeriodReport& report);

// The report as the bytes of a PDF file (QPdfWriter); empty when it could not be made.
QByteArray PeriodReportPdf(const PeriodReport& report);

// "Chłodnia-2": the site's name for a file name, every run of what is no letter or digit made one "-".
QString SiteFileName(const QString& site);
// "raport-Chłodnia-2-2026-01-01-2026-12-31.pdf".
QString PeriodReportFileName(const QString& site, const QDate& first, const QDate& last);
