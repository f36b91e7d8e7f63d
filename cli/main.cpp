// mx4ctl: the MX-4 recorder from the command line, on the configurator's own core.

#include "cli/CtlArchive.h"
#include "cli/CtlCommands.h"
#include "cli/CtlSession.h"
#include "cli/Interrupt.h"
#include "link/ErrorHook.h"
#include "link/PortHints.h"
#include "cli/Terminal.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

int main(int argc, char** argv) {
    // Only a report paints, and painting needs QtGui's fonts: that command runs under a QGuiApplication,
    // without a display unless one was asked for; every other under a QCoreApplication.
    QStringList words;
    for (int i = 1; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
    std::unique_ptr<QCoreApplication> application;
    if (ArchiveReportRequested(words)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("mx4ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MX4_VERSION));
    // What no command handles itself ends up here, from inside the event loop.
    setErrorHook([](const AppError& e) {
        const auto* portError = dynamic_cast<const PortError*>(&e);
        Terminal::err(QStringLiteral("mx4ctl: ") + (portError ? portErrorLine(*portError) : e.message()));
    });
    CtlOptions options;
    const int parsed = ParseCommandLine(app.arguments().mid(1), options);
    if (parsed == -1) return kExitDone;
    if (parsed != kExitDone) return parsed;
    Interrupt::install();
    // After Ctrl-C (or SIGTERM) the command has ended at its next safe point; the status says why.
    const auto interrupted = [](int status) {
        if (!Interrupt::requested()) return status;
        Terminal::err(QStringLiteral("mx4ctl: przerwano"));
        return Interrupt::exitStatus();
    };
    try {
        return interrupted(RunCommand(options));
    } catch (const FileError& e) {
        Terminal::err(QStringLiteral("mx4ctl: ") + e.message());
        return interrupted(kExitFile);
    } catch (const PortError& e) {
        Terminal::err(QStringLiteral("mx4ctl: ") + portErrorLine(e, options.port));
        if (const QString hint = permissionHint(e.systemCode()); !hint.isEmpty())
            Terminal::err(QStringLiteral("mx4ctl: ") + hint);
        return interrupted(kExitPort);
    } catch (const AppError& e) {
        Terminal::err(QStringLiteral("mx4ctl: ") + e.message());
        return interrupted(kExitRecorder);
    }
}
