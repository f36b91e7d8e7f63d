#include "cli/CtlPeople.h"

#include "cli/Terminal.h"

#include <cstdio>

void CtlPeople::error(const QString& text) {
    ++errors_;
    Terminal::err(QStringLiteral("mx4ctl: ") + text);
}

void CtlPeople::information(const QString& text) { Terminal::err(QStringLiteral("mx4ctl: ") + text); }

void CtlPeople::warning(const QString& text) { Terminal::err(QStringLiteral("mx4ctl: ") + text); }

void CtlPeople::plain(const QString& text) { Terminal::err(QStringLiteral("mx4ctl: ") + text); }

bool CtlPeople::askYesNo(const QString& text) {
    if (yes_) return true;
    if (!Terminal::stdinIsTerminal() || !Terminal::stderrIsTerminal()) {
        refusedUnasked_ = true;
        Terminal::err(QStringLiteral("mx4ctl: %1 (nobody to answer: give --yes)").arg(text));
        return false;
    }
    std::fputs(QStringLiteral("mx4ctl: %1 [t/N] ").arg(text).toUtf8().constData(), stderr);
    std::fflush(stderr);
    const QString answer = Terminal::readLine().toLower();
    return answer == QLatin1String("t") || answer == QLatin1String("tak") || answer == QLatin1String("y") ||
           answer == QLatin1String("yes");
}
