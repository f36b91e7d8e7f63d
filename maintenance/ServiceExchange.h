#pragma once
// The one-shot service commands on a logged-in link: what goes out and what comes back. The window's
// buttons and the command-line tool share them; what each then shows is its own business.

#include <QDateTime>
#include <QString>

class Link;
class People;

enum class PasswordChange {
    Refused,   // not four digits: said so, nothing sent
    NoAnswer,  // the recorder did not confirm (the link has said so)
    Accepted,  // the recorder holds the new password
};
PasswordChange ChangePassword(Link& link, People& people, const QString& newPassword);

// Sends one reading of the PC's clock and waits for the confirmation.
bool SetRecorderClock(Link& link, const QDateTime& now);
// One frame each, no wait.
void SendRestart(Link& link);
void SendCounterReset(Link& link);
