#pragma once
// Logging in and out over an open port, as every program on this link does it: the lines raised, a
// second's pause, the preamble, another second, then the password and its verdict.

#include <QByteArray>

class Link;

enum class LoginVerdict {
    LoggedIn,       // the recorder accepted the password
    WrongPassword,  // it answered with another verdict
    NoAnswer,       // three tries went unanswered: the link has said so and dropped the connection
    LineLost,       // the port went on the way (whoever saw it has said so)
};

// The preamble code and its fifty "0" characters; the login and logout codes.
constexpr quint8 kPreambleCode = 0;
constexpr quint8 kLoginCode = 1;
constexpr quint8 kLogoutCode = 2;
constexpr int kLoginTimeout = 10;

// Raises DTR and RTS, pauses a second, sends the preamble, pauses a second, sends the password and waits
// for the verdict. The caller enters the logged-in state. Throws PortError when a line cannot be raised.
LoginVerdict LogIn(Link& link, const QByteArray& password);
// "W" and its confirmation; false when it went unanswered (the link has said so).
bool LogOut(Link& link);
