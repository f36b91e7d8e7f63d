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
    queued_.append({text, colour});
    colour_ = colour;
}

void EventList::flush() {
    if (queued_.isEmpty()) return;
    QTextDocument* doc = box_->document();
    if (cursor_.document() != doc) cursor_ = QTextCursor(doc);
    cursor_.movePosition(QTextCursor::End);
    // One edit: the document lays out the new lines once.
    cursor_.beginEditBlock();
    for (const Line& line : qAsConst(queued_)) {
        QTextCharFormat format;
        format.setForeground(line.colour);
        if (doc->isEmpty())
            cursor_.setBlockCharFormat(format);
        else
            cursor_.insertBlock(QTextBlockFormat(), format);
        cursor_.insertText(line.text, format);
    }
    cursor_.endEditBlock();
    queued_.clear();
}

void EventList::followEnd() {
    flush();
    QTextCursor end = box_->textCursor();
    end.movePosition(QTextCursor::End);
    box_->setTextCursor(end);
    box_->ensureCursorVisible();
}

void EventList::clear() {
    queued_.clear();
    box_->clear();
    colour_ = EventColour::Black;
}
