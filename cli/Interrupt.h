#pragma once
// Ctrl-C and SIGTERM for mx4ctl. The first one asks the running command to end at its next safe point
// (a download is stopped first; the logout and the closing of the port follow as at any end; no file is
// written); a second one ends the program at once. Through the C++ library's signals, so that the
// console's Ctrl-C on Windows arrives the same way.

namespace Interrupt {
// Installs the handlers for SIGINT and SIGTERM.
void install();
// The signal that asked the command to end, or 0.
int signalNumber();
inline bool requested() { return signalNumber() != 0; }
// The exit status for the signal: 128 plus its number (130 for SIGINT, 143 for SIGTERM).
int exitStatus();
}  // namespace Interrupt
