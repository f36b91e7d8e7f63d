#include "maintenance/ServiceExchange.h"

#include "link/Link.h"
#include "link/People.h"
#include "link/Text.h"
#include "maintenance/FirmwareImage.h"
#include "maintenance/ServiceCommands.h"

PasswordChange ChangePassword(Link& link, People& people, const QString& newPassword) {
    if (!IsUsablePassword(newPassword)) {
        people.beep();
        people.error(QStringLiteral("Hasło musi składać się z dokładnie 4 cyfr"));
        return PasswordChange::Refused;
    }
    link.SendFrame(kPasswordCode, toCp1250(newPassword, QStringLiteral("Nowe hasło")));
    return link.WaitReply(kPasswordTimeout, kPasswordCode) ? PasswordChange::Accepted : PasswordChange::NoAnswer;
}

bool SetRecorderClock(Link& link, const QDateTime& now) {
    // One reading of the clock, so the date and the time belong to the same moment.
    link.SendFrame(kClockCode, ClockPayload(now));
    return link.WaitReply(kClockTimeout, kClockCode);
}

void SendRestart(Link& link) { link.SendFrame(kRestartCode, kRestartPayload); }

void SendCounterReset(Link& link) { link.SendFrame(kCounterResetCode, kCounterResetPayload); }
