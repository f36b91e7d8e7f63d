#include "config/Palette.h"

#include "config/Spoken.h"

#include <QApplication>
#include <QPalette>

QColor windowColour() { return QApplication::palette().color(QPalette::Base); }
QColor faceColour() { return QApplication::palette().color(QPalette::Window); }

void paintBackground(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
    widget->setProperty("mx4Background", colour);
    sayColour(widget, colour);
}

QColor backgroundOf(const QWidget* widget) {
    const QVariant v = widget->property("mx4Background");
    return v.isValid() ? v.value<QColor>() : widget->palette().color(QPalette::Base);
}

void paintText(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    widget->setPalette(p);
}

QColor textColourOf(const QWidget* widget) { return widget->palette().color(QPalette::WindowText); }
