#include "events/EventDownload.h"

#include "link/ErrorHook.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "link/Text.h"

#include <QTimer>

EventDownload::EventDownload(Link* link, QObject* parent)
    : QObject(parent), link_(link), now_([] { return QDateTime::currentDateTime(); }) {
    connect(link_->timer(), &QTimer::timeout, this, [this] { onTick(); });
}

bool EventDownload::loggedIn() const { return link_->st.loggedIn && link_->port()->Connected(); }

void EventDownload::start() {
    // A second transfer never starts while records of the first may still come.
    if (phase_ != Phase::Idle || !loggedIn()) return;
    phase_ = Phase::Starting;
    stopConfirmed_ = false;
    if (hooks_.begun) hooks_.begun();
    try {
        link_->st.stopRequested = false;
        lines_.clear();
        records_.clear();
        completeness_ = Completeness();
        stopAsked_ = false;
        colour_ = EventColour::Black;
        gaugeMaximum_ = 0;
        gaugePosition_ = 0;
        if (hooks_.cleared) hooks_.cleared();
        link_->PausePumping(kStartPause);
        // A logout or a lost port during the pause has ended the download already.
        if (phase_ != Phase::Starting) return;
        if (link_->interrupted()) {
            endDownload(Ending::Abandoned);
            return;
        }
        link_->SendFrame(kStartCode, QByteArrayLiteral("h"));
        if (!link_->WaitReply(kReplyTimeout, kStartCode)) {
            // Interrupted while the request was out: the recorder may be sending the register already. It is
            // asked to stop, and the download waits for it to say so, as any stopped download does.
            if (link_->interrupted() && link_->port()->Connected() && phase_ == Phase::Starting) {
                stopAsked_ = true;
                link_->st.stopRequested = true;
                link_->SendFrame(kStopCode, QByteArrayLiteral("x"));
                phase_ = Phase::Receiving;
                lastFrameTick_ = link_->tickCount();
                link_->activity().move(Activity::DownloadStarting, Activity::Stopping);
                return;
            }
            // The wait has told the user and logged out, which ended the download; unless the program is
            // closing.
            if (phase_ != Phase::Idle) endDownload(Ending::Abandoned);
            return;
        }
        link_->processPendingEvents();
        if (phase_ == Phase::Starting) {
            phase_ = Phase::Receiving;
            lastFrameTick_ = link_->tickCount();
            // A stop asked for while the download was starting takes effect with the first record.
            link_->activity().move(Activity::DownloadStarting,
                                   link_->st.stopRequested ? Activity::Stopping : Activity::Downloading);
        }
    } catch (...) {
        if (phase_ != Phase::Idle) endDownload(Ending::Abandoned);
        throw;
    }
}

void EventDownload::requestStop() {
    if (phase_ != Phase::Idle) stopAsked_ = true;
    link_->st.stopRequested = true;
    link_->activity().move(Activity::Downloading, Activity::Stopping);
}

void EventDownload::reply(quint8 code, const QByteArray& payload) {
    lastFrameTick_ = link_->tickCount();
    switch (code) {
    case kStartCode:
        header(payload);
        break;
    case kRecordCode:
        record(payload);
        break;
    case kEndCode:
        if (phase_ != Phase::Idle) endDownload(Ending::Complete);
        break;
    case kStopCode:
        if (phase_ != Phase::Idle) endDownload(Ending::Stopped);
        break;
    default:
        break;
    }
}

void EventDownload::append(const EventLine& line) {
    lines_.append(line.text);
    colour_ = line.colour;
    if (hooks_.line) hooks_.line(line);
}

void EventDownload::header(const QByteArray& payload) {
    if (phase_ == Phase::Idle) return;
    const std::optional<RegisterHeader> h = DecodeRegisterHeader(payload, now_());
    if (!h) return;
    if (hooks_.headerCame) hooks_.headerCame();
    completeness_.announced = h->eventCount;
    for (const QString& line : h->lines) append({line, EventColour::Black});
    gaugeMaximum_ = h->gaugeMaximum;
    gaugePosition_ = qMin(gaugePosition_, gaugeMaximum_);
    if (hooks_.progressed) hooks_.progressed();
}

void EventDownload::record(const QByteArray& payload) {
    // Records outside a download belong to no list; they still ask the recorder to stop.
    if (phase_ != Phase::Idle && payload.size() >= kEventRecordSize) {
        ++completeness_.received;
        if (const std::optional<EventRecord> r = DecodeEventData(payload)) records_.append(*r);
        if (const std::optional<EventLine> line = DecodeEventRecord(payload)) append(*line);
        gaugePosition_ = qMin(gaugePosition_ + kGaugeStep, gaugeMaximum_);
        if (hooks_.progressed) hooks_.progressed();
    }
    if (link_->st.stopRequested && link_->port()->Connected()) link_->SendFrame(kStopCode, QByteArrayLiteral("x"));
}

void EventDownload::loggedOut() {
    if (phase_ != Phase::Idle) endDownload(Ending::LoggedOut);
}

void EventDownload::endDownload(Ending how) {
    phase_ = Phase::Idle;
    link_->st.stopRequested = true;
    // The recorder confirmed the stop: no stop is offered again until the next download or login.
    stopConfirmed_ = how == Ending::Stopped;
    completeness_.ending = how;
    completeness_.stoppedUnasked = how == Ending::Stopped && !stopAsked_;
    if (how == Ending::Complete) {
        append({EndOfRegisterText(), colour_});
        gaugePosition_ = gaugeMaximum_;
    }
    if (hooks_.ended) hooks_.ended(how);
    // Whatever of the download still holds the program lets it go; a logout that ended the download
    // keeps its own activity.
    for (Activity a : {Activity::DownloadStarting, Activity::Downloading, Activity::Stopping})
        link_->activity().leave(a);
    if (hooks_.settled) hooks_.settled();
}

// A download whose last frames were lost must not hang: after kReplyTimeout ticks without a register
// frame it ends as if the recorder had finished, without " Koniec historii".
void EventDownload::onTick() {
    if (phase_ != Phase::Receiving || silenceCheckQueued_) return;
    if (link_->tickCount() - lastFrameTick_ < quint64(kReplyTimeout)) return;
    // Not inside the tick: a box shown here would hold the tick back.
    silenceCheckQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { guarded([this] { checkSilence(); }); }, Qt::QueuedConnection);
}

void EventDownload::checkSilence() {
    silenceCheckQueued_ = false;
    if (shuttingDown || phase_ != Phase::Receiving) return;
    if (link_->tickCount() - lastFrameTick_ < quint64(kReplyTimeout)) return;
    endDownload(Ending::Silent);
}

bool EraseRegister(Link& link) {
    link.SendFrame(EventDownload::kEraseCode, QByteArrayLiteral("x"));
    return link.WaitReply(EventDownload::kReplyTimeout, EventDownload::kEraseCode);
}

QByteArray EventTextFile(const QString& plainText) {
    QString text = plainText;
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return toCp1250(text, QStringLiteral("Rejestr zdarzeń"));
}
