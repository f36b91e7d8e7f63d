#include "events/EventRegister.h"

#include "config/SafeSave.h"
#include "config/SaveDialogState.h"
#include "events/EventChart.h"
#include "events/EventDecode.h"
#include "events/EventPrint.h"
#include "link/ErrorHook.h"
#include "link/Errors.h"
#include "link/Link.h"
#include "link/People.h"
#include "link/SerialPort.h"
#include "link/Shell.h"
#include "link/Text.h"

#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

namespace {
const QString kNoAnswer = QStringLiteral("Brak odpowiedzi z MX-4");
}  // namespace

EventRegister::EventRegister(Link* link, Shell* shell, People* people, const EventPanel& panel,
                             SaveDialogState* saveDialog, QObject* parent)
    : QObject(parent),
      link_(link),
      shell_(shell),
      people_(people),
      panel_(panel),
      saveDialog_(saveDialog),
      list_(panel.trm),
      now_([] { return QDateTime::currentDateTime(); }),
      refreshTimer_(new QTimer(this)) {
    connect(link_->timer(), &QTimer::timeout, this, [this] { onTick(); });
    // 40 ms with the product's tick.
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(qMax(1, link_->tickMs() * 2 / 5));
    connect(refreshTimer_, &QTimer::timeout, this, [this] { refreshView(); });
}

bool EventRegister::loggedIn() const { return link_->st.loggedIn && link_->port()->Connected(); }

// ---------------------------------------------------------------- download

void EventRegister::ButtonPobierzClick() {
    // A second transfer never starts while records of the first may still come.
    if (phase_ != Phase::Idle || !loggedIn()) return;
    phase_ = Phase::Starting;
    stopConfirmed_ = false;
    shell_->refreshControls();
    try {
        link_->st.stopRequested = false;
        list_.clear();
        forgetRegister();
        shell_->HideLiveStatus();
        gaugeMaximum_ = 0;
        gaugePosition_ = 0;
        refreshView();
        link_->PausePumping(kStartPause);
        // A logout or a lost port during the pause has ended the download already.
        if (phase_ != Phase::Starting) return;
        link_->SendFrame(kStartCode, QByteArrayLiteral("h"));
        if (!link_->WaitReply(kReplyTimeout, kStartCode)) {
            // The wait has told the user and logged out, which ended the download; unless the window is
            // closing.
            if (phase_ != Phase::Idle) endDownload(Ending::Abandoned);
            return;
        }
        link_->processPendingEvents();
        if (phase_ == Phase::Starting) {
            phase_ = Phase::Receiving;
            lastFrameTick_ = link_->tickCount();
            // STOP pressed while the download was starting takes effect with the first record.
            link_->activity().move(Activity::DownloadStarting,
                                   link_->st.stopRequested ? Activity::Stopping : Activity::Downloading);
        }
    } catch (...) {
        if (phase_ != Phase::Idle) endDownload(Ending::Abandoned);
        throw;
    }
}

void EventRegister::stopPressed() {
    link_->st.stopRequested = true;
    link_->activity().move(Activity::Downloading, Activity::Stopping);
}

void EventRegister::offerStop() {
    stopConfirmed_ = false;
    shell_->refreshControls();
}

void EventRegister::reply(quint8 code, const QByteArray& payload) {
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

void EventRegister::header(const QByteArray& payload) {
    if (phase_ == Phase::Idle) return;
    const std::optional<RegisterHeader> h = DecodeRegisterHeader(payload, now_());
    if (!h) return;
    for (const QString& line : h->lines) list_.append(line, EventColour::Black);
    registerHeld_ = true;
    registerVersion_ = version_ ? version_() : QString();
    gaugeMaximum_ = h->gaugeMaximum;
    gaugePosition_ = qMin(gaugePosition_, gaugeMaximum_);
    viewChanged();
}

void EventRegister::record(const QByteArray& payload) {
    // Records outside a download belong to no list; they still ask the recorder to stop.
    if (phase_ != Phase::Idle && payload.size() >= kEventRecordSize) {
        if (const std::optional<EventLine> line = DecodeEventRecord(payload)) list_.append(line->text, line->colour);
        if (std::optional<EventRecord> r = DecodeEventData(payload)) records_.append(std::move(*r));
        gaugePosition_ = qMin(gaugePosition_ + kGaugeStep, gaugeMaximum_);
        viewChanged();
    }
    if (link_->st.stopRequested && link_->port()->Connected()) link_->SendFrame(kStopCode, QByteArrayLiteral("x"));
}

void EventRegister::loggedOut() {
    if (phase_ != Phase::Idle) endDownload(Ending::LoggedOut);
}

void EventRegister::endDownload(Ending how) {
    phase_ = Phase::Idle;
    link_->st.stopRequested = true;
    // The recorder confirmed the stop: STOP is not offered again until the next download or login.
    stopConfirmed_ = how == Ending::Stopped;
    switch (how) {
    case Ending::Complete:
        list_.appendInCurrentColour(EndOfRegisterText());
        if (loggedIn()) shell_->ShowLiveStatus();
        gaugePosition_ = gaugeMaximum_;
        refreshView();
        break;
    case Ending::Stopped:
        refreshView();
        if (loggedIn()) shell_->ShowLiveStatus();
        break;
    case Ending::Silent:
        refreshView();
        people_->beep();
        people_->error(kNoAnswer);
        if (loggedIn()) shell_->ShowLiveStatus();
        break;
    case Ending::LoggedOut:
        refreshView();
        break;
    case Ending::Abandoned:
        refreshView();
        if (loggedIn()) shell_->ShowLiveStatus();
        break;
    }
    if (loggedIn()) shell_->armTransferButtons();
    // Whatever of the download still holds the window lets it go; a logout that ended the download
    // keeps its own activity.
    for (Activity a : {Activity::DownloadStarting, Activity::Downloading, Activity::Stopping})
        link_->activity().leave(a);
    shell_->refreshControls();
}

void EventRegister::viewChanged() {
    if (refreshTimer_->isActive()) return;
    panel_.trm->setUpdatesEnabled(false);
    refreshTimer_->start();
}

void EventRegister::refreshView() {
    refreshTimer_->stop();
    panel_.trm->setUpdatesEnabled(true);
    list_.followEnd();
    showGauge();
}

void EventRegister::showGauge() {
    // A range of 0..0 would show a busy animation: an empty register shows an empty gauge instead.
    QProgressBar* bar = panel_.TempBar;
    const int maximum = qMax(gaugeMaximum_, 1);
    if (bar->minimum() != 0 || bar->maximum() != maximum) bar->setRange(0, maximum);
    bar->setValue(qBound(0, gaugePosition_, gaugeMaximum_));
}

// A download whose last frames were lost must not leave the window locked: after kReplyTimeout ticks
// without a register frame it ends as if the recorder had finished, without " Koniec historii".
void EventRegister::onTick() {
    if (phase_ != Phase::Receiving || silenceCheckQueued_) return;
    if (link_->tickCount() - lastFrameTick_ < quint64(kReplyTimeout)) return;
    // Not inside the tick: a box shown here would hold the tick back.
    silenceCheckQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { guarded([this] { checkSilence(); }); }, Qt::QueuedConnection);
}

void EventRegister::checkSilence() {
    silenceCheckQueued_ = false;
    if (shuttingDown || phase_ != Phase::Receiving) return;
    if (link_->tickCount() - lastFrameTick_ < quint64(kReplyTimeout)) return;
    endDownload(Ending::Silent);
}

// ---------------------------------------------------------------- output

void EventRegister::ButtonZapiszClick() {
    if (phase_ != Phase::Idle) return;
    saveDialog_->defaultSuffix = QStringLiteral("txt");
    saveDialog_->directory = SaveDialogState::startDirectory();
    saveDialog_->filter = SaveDialogState::eventTextFilter();
    // However the save ends, the shared dialog is back on configuration files.
    struct FilterBack {
        SaveDialogState* d;
        ~FilterBack() { d->filter = SaveDialogState::configurationFilter(); }
    } filterBack{saveDialog_};

    const QString path = people_->saveFileName(saveDialog_->request());
    if (path.isEmpty()) {
        people_->error(QStringLiteral("Nie zapisano"));
        return;
    }
    QString text = panel_.trm->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    bool saved = false;
    try {
        QString why;
        saved = saveFileSafely(path, toCp1250(text, QStringLiteral("Rejestr zdarzeń")), &why);
    } catch (const AppError&) {
        saved = false;
    }
    if (saved)
        people_->information(QStringLiteral("Zapisano plik historii"));
    else
        people_->error(QStringLiteral("Błąd zapisu"));
}

void EventRegister::Button1Click() {
    QPrinter printer(QPrinter::HighResolution);
    if (!people_->printerSetup(printer)) return;
    if (PrintEventList(*panel_.trm->document(), printer) == 0) {
        people_->beep();
        people_->error(QStringLiteral("Błąd drukowania"));
    }
}

void EventRegister::ButtonCLRClick() {
    if (phase_ != Phase::Idle) return;
    list_.clear();
    forgetRegister();
    gaugePosition_ = 0;
    refreshView();
    shell_->refreshControls();
}

void EventRegister::forgetRegister() {
    records_.clear();
    registerHeld_ = false;
    registerVersion_.clear();
    if (chart_) chart_->close();
}

void EventRegister::ButtonWykresClick(const ChartThresholds& thresholds) {
    if (phase_ != Phase::Idle || !registerHeld_) return;
    if (!chart_) chart_ = new TFormWykres(people_, shell_->dialogParent());
    chart_->showRegister(records_, thresholds, registerVersion_);
    chart_->show();
    chart_->raise();
    chart_->activateWindow();
}

void EventRegister::ButtonKasujClick() {
    if (phase_ != Phase::Idle || !loggedIn()) return;
    people_->beep();
    if (!people_->askYesNo(QStringLiteral("Czy skasować rejestr zdarzeń ?"))) return;
    // The question let events run: the login may be gone, or a download may have begun.
    if (phase_ != Phase::Idle || !loggedIn()) return;
    link_->SendFrame(kEraseCode, QByteArrayLiteral("x"));
    if (link_->WaitReply(kReplyTimeout, kEraseCode))
        people_->information(QStringLiteral("Rejestr zdarzeń skasowany"));
}
