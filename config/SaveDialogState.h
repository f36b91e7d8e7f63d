#pragma once
// The one save dialog that configuration files and event texts share. Each save sets what it needs
// before showing it; what it leaves behind is what the next save finds (after an event text is saved
// the filter is back on configuration files).

#include "link/People.h"

#include <QDir>
#include <QString>

struct SaveDialogState {
    static QString configurationFilter() { return QStringLiteral("*.ncf"); }
    static QString eventTextFilter() { return QStringLiteral("*.txt"); }
    // Where both saves start: the user's own folder.
    static QString startDirectory() { return QDir::homePath(); }

    QString defaultSuffix = QStringLiteral("ncf");
    QString directory = startDirectory();
    QString filter = QStringLiteral("Plik konfiguracji MX-4 (*.ncf)");

    FileDialogRequest request() const { return FileDialogRequest{filter, defaultSuffix, directory}; }
};
