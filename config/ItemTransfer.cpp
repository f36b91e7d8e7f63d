#include "config/ItemTransfer.h"

#include "link/Link.h"
#include "link/SerialPort.h"

QVector<ConfigItem> ItemTransfer::itemsNumbered(const QVector<int>& numbers) {
    QVector<ConfigItem> items;
    for (const ConfigItem& item : configItems())
        if (numbers.isEmpty() || numbers.contains(item.number)) items.append(item);
    return items;
}

bool ItemTransfer::usable() const { return link_->port()->Connected() && link_->st.loggedIn; }

ItemTransfer::Outcome ItemTransfer::read(ConfigValues& values, const QVector<int>& numbers, const ItemDone& done) {
    undecodable_.clear();
    unansweredCode_ = 0;
    link_->PausePumping(kStartPause);
    int count = 0;
    for (const ConfigItem& item : itemsNumbered(numbers)) {
        if (!usable()) return Outcome::LoggedOut;
        if (link_->interrupted()) return Outcome::Failed;
        link_->st.pollTicks = 0;
        link_->sleepBlocking(10);
        link_->SendFrame(item.readCode, QByteArrayLiteral("T"));
        if (!link_->WaitReply(kReadTimeout, item.readCode)) return failed(item.readCode);
        // The answer the wait saw, whatever came after it.
        if (!DecodeItem(item.readCode, link_->replyPayloadOf(item.readCode), values)) undecodable_.append(item.number);
        ++count;
        if (done) done(item, count);
        link_->processPendingEvents();
    }
    return Outcome::Done;
}

ItemTransfer::Outcome ItemTransfer::write(const std::function<ConfigValues()>& current, const QVector<int>& numbers,
                                          const ItemDone& done) {
    unansweredCode_ = 0;
    link_->PausePumping(kStartPause);
    int count = 0;
    for (const ConfigItem& item : itemsNumbered(numbers)) {
        if (!usable()) return Outcome::LoggedOut;
        if (link_->interrupted()) return Outcome::Failed;
        // Encoded just before it is sent: an edit made during the write still reaches the recorder.
        const QByteArray payload = EncodeItem(item, current());
        if (!link_->SendAndWait(item.writeCode, payload, item.writeTimeout)) return failed(item.writeCode);
        ++count;
        if (done) done(item, count);
    }
    return Outcome::Done;
}

ItemTransfer::Outcome ItemTransfer::failed(int code) {
    // A wait that ended because the command is being interrupted is no missing answer.
    if (!link_->interrupted()) unansweredCode_ = code;
    return Outcome::Failed;
}

void ItemTransfer::checkEncodable(const ConfigValues& values, const QVector<int>& numbers) {
    for (const ConfigItem& item : itemsNumbered(numbers)) EncodeItem(item, values);
}
