#pragma once
// Printing the event list: its lines and colours, page after page, in one job.

#include <QString>
#include <functional>
#include <memory>

class QPrinter;
class QTextDocument;

// The name the printing system shows for the job; it is not printed.
QString EventPrintJobName();
// The point size of the printed lines. The list's 13-pixel font would print as 13 printer dots.
constexpr int kPrintPointSize = 10;

// A copy of the list for paper: the same lines and colours in Arial at kPrintPointSize, without the
// box's own margin.
std::unique_ptr<QTextDocument> PrintCopy(const QTextDocument& list);

// Prints `list` on `printer` (already set up) as one job named EventPrintJobName(), over the printer's
// printable page, starting a new page whenever one is full; a line never straddles two pages. Returns
// the number of pages, or 0 when the printer could not be started.
int PrintEventList(const QTextDocument& list, QPrinter& printer);

// Prints through `print` into a PDF beside `path`, then puts the file at `path` whole, like every other
// file the program saves. False when `print` fails or the file cannot be written.
bool SavePrintedPdf(const QString& path, const std::function<bool(QPrinter&)>& print);
