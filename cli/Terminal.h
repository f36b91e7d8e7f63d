#pragma once
// Standard output and standard error of mx4ctl: results on one, messages and the progress bar on the
// other, both UTF-8.

#include <QString>

namespace Terminal {
// Whether standard error / standard input is a terminal (a person is watching, a person can answer).
bool stderrIsTerminal();
bool stdinIsTerminal();
// A line of result on standard output.
void out(const QString& line);
// Bytes on standard output as they are.
void outRaw(const QByteArray& bytes);
// A message line on standard error.
void err(const QString& line);
// One line typed on standard input; empty at its end.
QString readLine();
}  // namespace Terminal

// A progress bar on standard error while it is a terminal; nothing otherwise.
class Progress {
public:
    explicit Progress(const QString& label);
    ~Progress() { finish(); }
    void set(int value, int maximum);
    // Ends the bar's line (also when the command failed half way).
    void finish();

private:
    QString label_;
    bool shown_ = false;
    bool enabled_;
    int lastPercent_ = -1;
};
