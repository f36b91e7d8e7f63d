#pragma once
// Key filters and focus rules for the edit fields.
//
// A key filter looks at typed characters only: a character outside the field's set is discarded before
// the field sees it. Keys that type nothing (arrows, Home/End, Delete, Ctrl+C/V/X/A/Z) and Tab/Backtab
// pass. Every field also
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

// What the exit rules leave in a field when the focus goes. A text they do not understand stays as it
// is, for the write or save to report.
// The SIM PIN: shorter than four characters -> the default PIN.
QString pinAfterExit(const QString& text);
// The daily limits: empty -> "0".
QString limitAfterExit(const QString& text);
// The output times and the automatic SMS period: empty -> "1", then a value of 0 ("0", "00") -> "1".
QString periodAfterExit(const QString& text);
void onFocusEnter(QWidget* widget, std::function<void()> rule);
void onFocusExit(QWidget* widget, std::function<void()> rule);
