#include "maintenance/FirmwareUpdate.h"

#include "config/WorkingBuffer.h"
#include "link/ErrorHook.h"
#include "link/Errors.h"
#include "link/Link.h"
#include "link/People.h"
#include "link/SerialPort.h"
#include "link/Shell.h"
#include "maintenance/FirmwareImage.h"

#include <QCoreApplication>
#include <QFile>

namespace {
constexpr quint8 kNoByte = '.';

struct RunningScope {
    FirmwareUpdate* update;
    bool& flag;
    RunningScope(FirmwareUpdate* u, bool& f) : update(u), flag(f) {
        flag = true;
        Q_EMIT update->runningChanged(true);
    }
    ~RunningScope() {
        flag = false;
        Q_EMIT update->runningChanged(false);
    }
};
}  // namespace

FirmwareUpdate::FirmwareUpdate(Link* link, Shell* shell, People* people, QObject* parent)
    : QObject(parent), link_(link), shell_(shell), people_(people) {}

bool FirmwareUpdate::chooseFile(const QString& path) {
    // Whatever this file turns out to be, the image chosen before is no longer the one on show.
    image_.clear();
    qint64 size = 0;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw FileError(QStringLiteral("Nie można otworzyć pliku %1: %2").arg(path, file.errorString()));
        size = file.size();
    }
    QString problem = FirmwareSizeProblem(size);
    if (!problem.isEmpty()) {
        image_.clear();
        people_->beep();
        people_->error(problem);
        return false;
    }
    QByteArray bytes;
    if (!ReadConfigFile(path, kFirmwareMagic, bytes, *people_)) {
        image_.clear();
        return false;
    }
    // The file may have changed between the two looks.
    problem = FirmwareSizeProblem(bytes.size());
    if (!problem.isEmpty()) {
        image_.clear();
        people_->beep();
        people_->error(problem);
        return false;
    }
    image_ = bytes;
    return true;
}

bool FirmwareUpdate::portOpen() const { return link_->port()->Connected(); }

FirmwareUpdate::Outcome FirmwareUpdate::run() {
    if (running_ || image_.isEmpty()) return Outcome::NotStarted;
    RunningScope scope(this, running_);
    // Logged out, the periodic status request stays quiet for the whole transfer.
    shell_->EnterLoggedOut();
    if (!portOpen()) {
        reportError(PortError(QStringLiteral("Port Not Open")));
        return Outcome::NotStarted;
    }
    people_->beep();
    people_->warning(QStringLiteral("NIE WYŁĄCZAJ MX-4 Z ZASILANIA"));
    if (shuttingDown) return Outcome::Aborted;

    Outcome outcome;
    try {
        outcome = transfer();
    } catch (const AppError& e) {
        // A driver failure while writing: say so once, then leave the window disconnected.
        reportError(e);
        shell_->EnterLoggedOut();
        if (!shuttingDown) shell_->DropConnection();
        outcome = Outcome::Failed;
    }
    if (outcome == Outcome::Aborted) return outcome;
    link_->sleepBlocking(kClosePauseMs);
    return outcome;
}

FirmwareUpdate::Outcome FirmwareUpdate::transfer() {
    const QVector<QByteArray> blocks = FirmwareBlockPayloads(image_);
    if (!portOpen()) {
        // Lost while the warning was up; the loss has been reported.
        shell_->EnterLoggedOut();
        return Outcome::Lost;
    }
    // A "!" left over from before must not acknowledge the first block.
    link_->st.lastSingleByte = kNoByte;
    Q_EMIT transferStarted();
    Q_EMIT progress(0);
    link_->SendFrame(kRestartCode, kRestartPayload);
    link_->sleepBlocking(kRestartPauseMs);

    int resendsLeft = kResends;
    for (int i = 0; i < blocks.size(); ++i) {
        switch (sendBlock(blocks.at(i), resendsLeft)) {
        case BlockResult::Acknowledged:
            break;
        case BlockResult::NoAnswer:
            return fail();
        case BlockResult::Lost:
            if (shuttingDown) return Outcome::Aborted;
            // Let the loss be reported while the dialog is still up.
            link_->processPendingEvents();
            shell_->EnterLoggedOut();
            return Outcome::Lost;
        }
        link_->st.lastSingleByte = kNoByte;
        Q_EMIT progress(FirmwareProgress(i, image_.size()));
        link_->processPendingEvents();
    }

    Q_EMIT progress(100);
    link_->sleepBlocking(kEndPauseMs);
    if (!portOpen()) {
        link_->processPendingEvents();
        shell_->EnterLoggedOut();
        return Outcome::Lost;
    }
    link_->SendFrame(kFirmwareEndCode, kFirmwareEndPayload);
    people_->information(QStringLiteral("Aktualizacja zakonczona"));
    shell_->EnterLoggedOut();
    shell_->DropConnection();
    return Outcome::Done;
}

FirmwareUpdate::BlockResult FirmwareUpdate::sendBlock(const QByteArray& payload, int& resendsLeft) {
    if (!portOpen()) return BlockResult::Lost;
    link_->SendFrame(kFirmwareBlockCode, payload);
    link_->st.timeoutTicks = kAckTimeoutTicks;
    bool first = true;
    for (;;) {
        QCoreApplication::processEvents(first ? QEventLoop::AllEvents : QEventLoop::WaitForMoreEvents);
        first = false;
        // Looked at before the time-out, so an acknowledgement in the expiring pass counts.
        if (link_->st.lastSingleByte == quint8(kFirmwareAck)) return BlockResult::Acknowledged;
        if (shuttingDown || !portOpen()) return BlockResult::Lost;
        if (link_->st.timeoutTicks != 0) continue;
        if (resendsLeft == 0) return BlockResult::NoAnswer;
        --resendsLeft;
        link_->SendFrame(kFirmwareBlockCode, payload);
        link_->processPendingEvents();
        link_->st.timeoutTicks = kAckTimeoutTicks;
    }
}

FirmwareUpdate::Outcome FirmwareUpdate::fail() {
    people_->beep();
    people_->error(QStringLiteral("Brak odpowiedzi z MX-4, aktualizacja nieudana"));
    link_->processPendingEvents();
    shell_->EnterLoggedOut();
    shell_->DropConnection();
    return Outcome::Failed;
}
