#pragma once
// The event list `trm`: lines appended one at a time, each in its own colour, with the caret following
// the newest line. Lines wait in a queue until the view is refreshed and then go into the text box in one
// edit, so the box lays out and paints a batch of lines, not every line of a register on its own.

#include <QColor>
#include <QString>
#include <QTextCursor>
#include <QVector>

class QTextEdit;

class EventList {
public:
    explicit EventList(QTextEdit* box);

    // Appends one line in `colour` and remembers the colour as the one in effect.
    void append(const QString& text, const QColor& colour);
    // Appends one line in the colour in effect (that of the last line).
    void appendInCurrentColour(const QString& text) { append(text, colour_); }
    // Puts the queued lines into the box.
    void flush();
    // Puts the queued lines into the box, the caret at the end of the text and scrolls it into view.
    void followEnd();
    // Empties the list; the colour in effect is black again.
    void clear();

    QColor currentColour() const { return colour_; }
    QTextEdit* box() const { return box_; }

private:
    QTextEdit* box_;
    QTextCursor cursor_;
    QColor colour_;
    struct Line {
        QString text;
        QColor colour;
    };
    QVector<Line> queued_;
};
