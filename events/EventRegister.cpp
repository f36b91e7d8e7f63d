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
      download_(link, this),
      refreshTimer_(new QTimer(this)) {
    EventDownload::Hooks hooks;
    hooks.begun = [this] { shell_->refreshControls(); };
    hooks.cleared = [this] {
        list_.clear();
        forgetRegister();
        shell_->HideLiveStatus();
        refreshView();
    };
    hooks.headerCame = [this] {
        registerHeld_ = true;
        registerVersion_ = version_ ? version_() : QString();
    };
    hooks.line = [this](const EventLine& line) { list_.append(line.text, line.colour); };
    hooks.progressed = [this] { viewChanged(); };
    hooks.ended = [this](Ending how) { downloadEnded(how); };
    hooks.settled = [this] { shell_->refreshControls(); };
    download_.setHooks(std::move(hooks));
    // A quarter of a second with the product's tick: at 4800 baud some ten lines go into the list at once,
    // laid out and painted once, and the list still moves as the records arrive.
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(qMax(1, link_->tickMs() * 5 / 2));
    connect(refreshTimer_, &QTimer::timeout, this, [this] { refreshView(); });
}

bool EventRegister::loggedIn() const { return link_->st.loggedIn && link_->port()->Connected(); }

// ---------------------------------------------------------------- download

void EventRegister::ButtonPobierzClick() { download_.start(); }

void EventRegister::stopPressed() { download_.requestStop(); }

void EventRegister::offerStop() {
    download_.clearStopConfirmed();
    shell_->refreshControls();
}

void EventRegister::downloadEnded(Ending how) {
    switch (how) {
    case Ending::Complete:
        // The end line is in the list already, the gauge full.
        if (loggedIn()) shell_->ShowLiveStatus();
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
}

void EventRegister::viewChanged() {
    if (refreshTimer_->isActive()) return;
    refreshTimer_->start();
}

bool EventRegister::viewPending() const { return refreshTimer_->isActive(); }

void EventRegister::refreshView() {
    refreshTimer_->stop();
    list_.followEnd();
    showGauge();
}

void EventRegister::showGauge() {
    // A range of 0..0 would show a busy animation: an empty register shows an empty gauge instead.
    QProgressBar* bar = panel_.TempBar;
    const int maximum = qMax(gaugeMaximum(), 1);
    if (bar->minimum() != 0 || bar->maximum() != maximum) bar->setRange(0, maximum);
    bar->setValue(qBound(0, gaugePosition(), gaugeMaximum()));
}

// ---------------------------------------------------------------- output

void EventRegister::ButtonZapiszClick() {
    if (downloading()) return;
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
    list_.flush();
    bool saved = false;
    try {
        QString why;
        saved = saveFileSafely(path, EventTextFile(panel_.trm->toPlainText()), &why);
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
    list_.flush();
    if (PrintEventList(*panel_.trm->document(), printer) == 0) {
        people_->beep();
        people_->error(QStringLiteral("Błąd drukowania"));
    }
}

void EventRegister::ButtonCLRClick() {
    if (downloading()) return;
    list_.clear();
    download_.clearGauge();
    forgetRegister();
    refreshView();
    shell_->refreshControls();
}

const QVector<EventRecord>& EventRegister::records() const {
    static const QVector<EventRecord> none;
    return registerHeld_ ? download_.records() : none;
}

void EventRegister::forgetRegister() {
    registerHeld_ = false;
    registerVersion_.clear();
    if (chart_) chart_->close();
}

void EventRegister::ButtonWykresClick(const ChartThresholds& thresholds) {
    if (downloading() || !registerHeld_) return;
    if (!chart_) {
        chart_ = new TFormWykres(people_, shell_->dialogParent());
        if (now_) chart_->setClockSource(now_);
    }
    chart_->showRegister(records(), thresholds, registerVersion_);
    chart_->show();
    chart_->raise();
    chart_->activateWindow();
}

void EventRegister::ButtonKasujClick() {
    if (downloading() || !loggedIn()) return;
    people_->beep();
    QString question = QStringLiteral("Czy skasować rejestr zdarzeń ?");
    // Nobody erases the only copy of records that did not come without knowing it.
    const EventDownload::Completeness& done = download_.completeness();
    if (registerHeld_ && !done.complete())
        question += QStringLiteral("\nUwaga: pobrany rejestr jest niepełny (%1 z %2 zdarzeń).")
                        .arg(done.received)
                        .arg(qMax(done.announced, 0));
    if (!people_->askYesNo(question, Preselected::No)) return;
    // The question let events run: the login may be gone, or a download may have begun.
    if (downloading() || !loggedIn()) return;
    if (EraseRegister(*link_))
        people_->information(QStringLiteral("Rejestr zdarzeń skasowany"));
}
