#pragma once
// Key filters and focus rules for the edit fields.
//
// A key filter looks at typed characters only: a character outside the field's set is discarded before
// the field sees it. Keys that type nothing (arrows, Delete) and Tab/Backtab pass. Every field also
// refuses a character that Windows-1250 cannot carry, since such a text could not reach the recorder.
// Focus rules ignore focus moves caused by another window (a message box closing, a popup), which are
// not the user entering or leaving the field.

#include <QString>
#include <functional>

class QWidget;

enum class CharSet {
    Digits,     // CR, backspace, 0-9
    Telephone,  // CR, backspace, +, 0-9
    NoSpace,    // everything but the space
    Free,       // everything
};

bool charAllowed(CharSet set, QChar c);

void installKeyFilter(QWidget* field, CharSet set);
void onFocusEnter(QWidget* widget, std::function<void()> rule);
void onFocusExit(QWidget* widget, std::function<void()> rule);
