#pragma once
// The save dialog the configuration save and the event text save share: its filter stays as the last
// save left it, the default extension and folder are set by each save.

#include <QDir>
#include <QString>

struct SaveDialogState {
    QString filter = QStringLiteral("Plik konfiguracji MX-4 (*.ncf)");
    QString defaultSuffix;
    // Where the dialog opens: the user's home folder.
    static QString startFolder() { return QDir::homePath(); }
};
