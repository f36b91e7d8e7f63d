#include "app/AppStyle.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

void applyAppStyle(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("mx4konfig"));
    QApplication::setApplicationDisplayName(QStringLiteral("MX-4 Konfig"));
    // Fusion paints background colours the same on every platform.
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}
