#pragma once
// What the person can do about a port that fails, and how a console names the failure.

#include <QString>

class PortError;

// The user's login name (USER; USERNAME on Windows); "$USER" when neither is set, which a shell fills in.
QString loginName();

// How to get access to a port that could not be opened for lack of permission (error 13 on Linux, where
// serial devices belong to the "dialout" group); empty for any other failure and on other systems.
QString permissionHint(int systemCode);

// The failure on one line for a console: the port, the program's own text, the system's words:
// "/dev/ttyUSB0: Unable to open com port (Error: 2): No such file or directory". `port` stands in when
// the error names none.
QString portErrorLine(const PortError& error, const QString& port = {});
