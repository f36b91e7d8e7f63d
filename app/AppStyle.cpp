#include "app/AppStyle.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

void applyAppStyle(QApplication& app) {
    // No display name: Qt would append it to every title bar ("Porty COM — MX-4 Konfig"), and each
    // window's title is exactly its caption.
    QApplication::setApplicationName(QStringLiteral("mx4konfig"));
    // Fusion paints background colours the same on every platform.
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}
