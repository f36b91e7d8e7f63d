#include "events/EventPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

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
    // Laid out for the printer itself, so the point size holds at the printer's resolution.
    copy->documentLayout()->setPaintDevice(&printer);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    copy->setPageSize(page.size());
    const int pages = copy->pageCount();
    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !printer.newPage()) break;
        painter.save();
        const QRectF view(0, p * page.height(), page.width(), page.height());
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    return pages;
}
