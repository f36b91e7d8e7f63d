#pragma once
// The commands of mx4ctl: what each asks of the core and what it prints. Each returns the exit status.

#include <QString>
#include <QStringList>

struct CtlOptions {
    QString port;             // empty: the first port
    QStringList ports;        // every --port given (ports lists and probes them all)
    QString password;         // the login password
    bool yes = false;         // no questions
    QString output;           // -o
    QString csv;              // --csv
    QString archive;          // events --archive
    bool erase = false;       // events --erase
    bool changed = false;     // write --changed
    bool verify = false;      // write --verify
    bool json = false;        // show --json, ports --json
    bool probe = false;       // ports --probe
    bool watch = false;       // status --watch
    QString site;             // archive create --site
    QString from, to;         // archive csv and report --from, --to (YYYY-MM-DD)
    QString max, min;         // archive report --max, --min: whole degrees ("+8", "-1", "8")
    bool force = false;       // add a register that shares no record with the archive
    QString command;
    QStringList arguments;    // after the command
};

// Parses the command line (argv without the program name): kExitDone with `options` filled, kExitUsage
// with the problem told on standard error, or -1 when help or the version was printed (exit 0).
int ParseCommandLine(const QStringList& arguments, CtlOptions& options);

// Runs the parsed command.
int RunCommand(const CtlOptions& options);
