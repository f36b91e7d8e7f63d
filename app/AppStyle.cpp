#include "app/AppStyle.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>

void applyAppStyle(QApplication& app) {
    // No display name: Qt would append it to every title bar ("Porty COM — MX-4 Konfig"), and each
    // window's title is exactly its caption.
    QApplication::setApplicationName(QStringLiteral("mx4konfig"));
    // Fusion paints background colours the same on every platform.
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

bool installPolishTranslations(QCoreApplication& app, const QString& directory) {
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    const QString from = directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : directory;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_pl"), from)) {
        delete translator;
        qWarning("Qt's Polish translations (qtbase_pl) not found in %s: Qt's own texts stay English",
                 qPrintable(from));
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

void setUpApplication(QApplication& app) {
    applyAppStyle(app);
    installPolishTranslations(app);
}
