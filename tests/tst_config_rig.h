#pragma once
// A configuration area shown on its own, so focus moves and key presses reach it as they reach the
// person's window, and a few helpers that act as the person would.

#include "config/ConfigArea.h"
#include "config/ConfigWidgets.h"
#include "config/Palette.h"

#include <QApplication>
#include <QCheckBox>
#include <QtTest>

struct ShownArea {
    ConfigArea area;
    ShownArea() {
        area.setBoxesVisible(true);
        area.show();
        area.activateWindow();
        if (!QTest::qWaitForWindowActive(&area)) qWarning("configuration area not active");
    }
};

// Types each character as a key press carrying that text, as a keyboard would (also characters
// outside Latin-1, which QTest::keyClicks cannot type).
inline void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The person enters the field with the Tab key, and leaves it the same way.
inline void enter(QWidget* w) {
    w->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}
inline void leave(QWidget* w) {
    w->clearFocus();
    QCoreApplication::processEvents();
}
inline void tabOut(QWidget* w) {
    QTest::keyClick(w, Qt::Key_Tab);
    QCoreApplication::processEvents();
}

