#pragma once
// What assistive technology hears. A control's accessible name begins with the text it shows; a display
// of a value says the value it shows, kept current; and what a colour tells is also said in words in the
// accessible description, updated whenever paintBackground paints it.

#include <QColor>
#include <QString>
#include <initializer_list>
#include <utility>

class QLabel;
class QLineEdit;
class QProgressBar;
class QWidget;

// The fuller description of a control (its hint); the words of its colour, if any, follow it.
void describe(QWidget* widget, const QString& hint);

// What each colour of the control means, in words ("In1: aktywne"); `otherwise` for any other colour.
using ColourWord = std::pair<QColor, QString>;
void setColourWords(QWidget* widget, std::initializer_list<ColourWord> words, const QString& otherwise = {});
// Puts the words of `colour` into the control's accessible description (paintBackground calls it).
void sayColour(QWidget* widget, const QColor& colour);

// A field that shows a value is named "caption: value", and renamed whenever its text changes.
void nameAfterValue(QLineEdit* field, const QString& caption);
// A gauge is named "caption: value": its percentage, or "n z max" when it shows no text.
void nameAfterValue(QProgressBar* gauge, const QString& caption);

// A label that shows a value is named after its text (followed by `context`), and `whenEmpty` while it
// shows nothing. Set its text with showValue so the name follows.
void nameAfterValue(QLabel* label, const QString& whenEmpty, const QString& context = {});
void showValue(QLabel* label, const QString& text);
