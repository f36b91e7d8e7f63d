#include "events/EventPrint.h"

#include "config/SafeSave.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTemporaryDir>
#include <QTextLayout>

QString EventPrintJobName() { return QStringLiteral("Wydruk historii MX4"); }

std::unique_ptr<QTextDocument> PrintCopy(const QTextDocument& list) {
    std::unique_ptr<QTextDocument> copy(list.clone());
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(kPrintPointSize);
    copy->setDefaultFont(font);
    copy->setDocumentMargin(0);
    return copy;
}

int PrintEventList(const QTextDocument& list, QPrinter& printer) {
    printer.setDocName(EventPrintJobName());
    std::unique_ptr<QTextDocument> copy = PrintCopy(list);
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    painter.setPen(Qt::black);
    // Laid out for the printer itself, so the point size holds at the printer's resolution; as wide as
    // the printable page and as long as it needs to be. The pages are cut here, between lines.
    QAbstractTextDocumentLayout* layout = copy->documentLayout();
    layout->setPaintDevice(&printer);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    copy->setTextWidth(page.width());
    layout->documentSize();
    int pages = 1;
    qreal pageTop = 0;
    for (QTextBlock block = copy->begin(); block.isValid(); block = block.next()) {
        const QPointF origin = layout->blockBoundingRect(block).topLeft();
        const QTextLayout* lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const qreal top = origin.y() + line.y();
            if (top + line.height() - pageTop > page.height() && top > pageTop) {
                if (!printer.newPage()) return 0;
                ++pages;
                pageTop = top;
            }
            line.draw(&painter, QPointF(origin.x(), origin.y() - pageTop));
        }
    }
    painter.end();
    return pages;
}

bool SavePrintedPdf(const QString& path, const std::function<bool(QPrinter&)>& print) {
    QTemporaryDir dir;
    if (!dir.isValid()) return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("druk.pdf")));
    if (!print(printer)) return false;
    QFile pdf(printer.outputFileName());
    QString why;
    return pdf.open(QIODevice::ReadOnly) && saveFileSafely(path, pdf.readAll(), &why);
}
