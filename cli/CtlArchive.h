#pragma once
// `mx4ctl archive FILE.mx4a SUBCOMMAND ...`: the register archive from the command line. No port, no
// recorder: create, info, import of event text files, CSV of a period, the import log, verify, the figures
// and the report of a period.

#include "cli/CtlCommands.h"

class CtlPeople;

// Checks `archive FILE SUBCOMMAND ARGS` against the options that were given (their long names):
// kExitDone, or kExitUsage with the problem told.
int CheckArchiveCommand(const CtlOptions& options, const QStringList& optionsGiven);
int RunArchiveCommand(const CtlOptions& options, CtlPeople& people);
// Whether these arguments (argv without the program name) ask for `archive FILE report`, which paints a
// report and so needs fonts: a QGuiApplication instead of the QCoreApplication of every other command.
// Told before any application exists, from the words alone.
bool ArchiveReportRequested(const QStringList& arguments);
