#include "events/EventList.h"

#include "events/EventDecode.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

EventList::EventList(QTextEdit* box) : box_(box), cursor_(box->document()), colour_(EventColour::Black) {
    // A register is thousands of lines and nobody undoes a download.
    box_->document()->setUndoRedoEnabled(false);
}

void EventList::append(const QString& text, const QColor& colour) {
    QTextDocument* doc = box_->document();
    if (cursor_.document() != doc) cursor_ = QTextCursor(doc);
    QTextCharFormat format;
    format.setForeground(colour);
    cursor_.movePosition(QTextCursor::End);
    if (doc->isEmpty())
        cursor_.setBlockCharFormat(format);
    else
        cursor_.insertBlock(QTextBlockFormat(), format);
    cursor_.insertText(text, format);
    colour_ = colour;
}

void EventList::followEnd() {
    QTextCursor end = box_->textCursor();
    end.movePosition(QTextCursor::End);
    box_->setTextCursor(end);
    box_->ensureCursorVisible();
}

void EventList::clear() {
    box_->clear();
    colour_ = EventColour::Black;
}
