#include "link/PortHints.h"

#include "link/Errors.h"

QString loginName() {
#ifdef Q_OS_WIN
    const QString name = qEnvironmentVariable("USERNAME");
#else
    const QString name = qEnvironmentVariable("USER");
#endif
    return name.isEmpty() ? QStringLiteral("$USER") : name;
}

QString permissionHint(int systemCode) {
#ifdef Q_OS_LINUX
    constexpr int kPermissionDenied = 13;  // EACCES
    if (systemCode == kPermissionDenied)
        return QStringLiteral("Brak uprawnień do portu. Dodaj użytkownika do grupy dialout: sudo usermod -aG "
                              "dialout %1 i zaloguj się ponownie.")
            .arg(loginName());
#else
    Q_UNUSED(systemCode);
#endif
    return QString();
}

QString portErrorLine(const PortError& error, const QString& port) {
    const QString where = error.port().isEmpty() ? port : error.port();
    QString line = error.message();
    if (!where.isEmpty()) line = where + QStringLiteral(": ") + line;
    if (!error.reason().isEmpty()) line += QStringLiteral(": ") + error.reason();
    return line;
}
