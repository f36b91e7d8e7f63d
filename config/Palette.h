#pragma once
// The colours that show state, and the one way the window paints a control's background.

#include <QColor>
#include <QWidget>

namespace Colour {
inline const QColor Green{0, 255, 0};
inline const QColor Red{255, 0, 0};
inline const QColor Grey{128, 128, 128};
inline const QColor SkyBlue{166, 202, 240};
inline const QColor LightYellow{255, 255, 153};
inline const QColor LightOrange{255, 204, 153};
inline const QColor LightGreen{204, 255, 153};
inline const QColor Black{0, 0, 0};
}  // namespace Colour

// The system's window colour (edit background) and face colour (panels, buttons).
QColor windowColour();
QColor faceColour();

// Paints the background of an edit, selector, check box or panel, and says in the accessible
// description what that colour means for the control (setColourWords, config/Spoken.h).
void paintBackground(QWidget* widget, const QColor& colour);
// What paintBackground last set (the style's default before that).
QColor backgroundOf(const QWidget* widget);
// Text colour of a label or edit.
void paintText(QWidget* widget, const QColor& colour);
QColor textColourOf(const QWidget* widget);
