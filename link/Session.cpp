#include "link/Session.h"

#include "link/Link.h"
#include "link/SerialPort.h"

LoginVerdict LogIn(Link& link, const QByteArray& password) {
    SerialPort* port = link.port();
    port->SetDtrLine(true);
    port->SetRtsLine(true);
    link.PausePumping(10);
    if (!port->Connected()) return LoginVerdict::LineLost;
    link.SendFrame(kPreambleCode, QByteArray(50, '0'));
    link.PausePumping(10);
    if (!port->Connected()) return LoginVerdict::LineLost;
    link.SendFrame(kLoginCode, password);
    if (!link.WaitReply(kLoginTimeout, kLoginCode)) return port->Connected() ? LoginVerdict::NoAnswer : LoginVerdict::LineLost;
    // A reply that came just before the adapter was pulled logs nobody in: the line is gone.
    if (!port->Connected()) return LoginVerdict::LineLost;
    // The verdict of the reply the wait saw, even when another frame has come since.
    const QByteArray verdict = link.replyPayloadOf(kLoginCode);
    return !verdict.isEmpty() && verdict.at(0) == 'T' ? LoginVerdict::LoggedIn : LoginVerdict::WrongPassword;
}

bool LogOut(Link& link) {
    link.SendFrame(kLogoutCode, QByteArrayLiteral("W"));
    return link.WaitReply(kLoginTimeout, kLogoutCode);
}
