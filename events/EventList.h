#pragma once
// The event list `trm`: lines appended one at a time, each in its own colour, with the caret following
// the newest line. The text box is the only copy of a downloaded register.

#include <QColor>
#include <QString>
#include <QTextCursor>

class QTextEdit;

class EventList {
public:
    explicit EventList(QTextEdit* box);

    // Appends one line in `colour` and remembers the colour as the one in effect.
    void append(const QString& text, const QColor& colour);
    // Appends one line in the colour in effect (that of the last line).
    void appendInCurrentColour(const QString& text) { append(text, colour_); }
    // Puts the caret at the end of the text and scrolls it into view.
    void followEnd();
    // Empties the list; the colour in effect is black again.
    void clear();

    QColor currentColour() const { return colour_; }
    QTextEdit* box() const { return box_; }

private:
    QTextEdit* box_;
    QTextCursor cursor_;
    QColor colour_;
};
