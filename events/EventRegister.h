#pragma once
// The event register group of the main window: downloading the register into the event list, stopping
// a download, and saving, printing, clearing and erasing. The window starts the handlers that talk to
// the recorder in their activity (DownloadStarting, Erasing); the download moves the activity on to
// Downloading and Stopping and leaves it when the register ends. The replies come through reply().

#include "events/EventDownload.h"
#include "events/EventChartData.h"
#include "events/EventList.h"
#include "events/EventRecords.h"

#include <QDateTime>
#include <QObject>
#include <functional>

class Link;
class People;
class Shell;
class QProgressBar;
class QTimer;
class QPushButton;
class QTextEdit;
class TFormWykres;
struct SaveDialogState;

// The controls of the "Rejestr zdarzeń" group.
struct EventPanel {
    QPushButton* ButtonPobierz = nullptr;
    QPushButton* ButtonSTOP = nullptr;
    QProgressBar* TempBar = nullptr;
    QPushButton* ButtonKasuj = nullptr;
    QPushButton* ButtonCLR = nullptr;
    QPushButton* Button1 = nullptr;  // "Drukuj"
    QPushButton* ButtonZapisz = nullptr;
    QTextEdit* trm = nullptr;
    QPushButton* ButtonWykres = nullptr;
};

class EventRegister : public QObject {
    Q_OBJECT
public:
    static constexpr quint8 kEndCode = EventDownload::kEndCode;
    static constexpr quint8 kRecordCode = EventDownload::kRecordCode;
    static constexpr quint8 kStartCode = EventDownload::kStartCode;
    static constexpr quint8 kStopCode = EventDownload::kStopCode;
    static constexpr quint8 kEraseCode = EventDownload::kEraseCode;
    static constexpr int kStartPause = EventDownload::kStartPause;
    static constexpr int kReplyTimeout = EventDownload::kReplyTimeout;
    using Phase = EventDownload::Phase;

    EventRegister(Link* link, Shell* shell, People* people, const EventPanel& panel, SaveDialogState* saveDialog,
                  QObject* parent = nullptr);

    // The PC's date and time for the header lines and the chart's file names and page; tests put a fixed
    // moment here.
    void setClockSource(std::function<QDateTime()> now) {
        now_ = now;
        download_.setClockSource(std::move(now));
    }
    // The recorder's version as the window shows it; taken when a register's header comes, for its page.
    void setVersionSource(std::function<QString()> version) { version_ = std::move(version); }

    // "POBIERZ": locks the window, pauses the live status, asks for the register and waits for its header.
    void ButtonPobierzClick();
    // "STOP", on the mouse press and again on the click: the next record that comes asks the recorder to
    // stop. Nothing is sent here.
    void ButtonSTOPMouseDown() { stopPressed(); }
    void ButtonSTOPClick() { stopPressed(); }
    // Replies 90, 91, 93 and 95.
    void reply(quint8 code, const QByteArray& payload) { download_.reply(code, payload); }
    // The window left the logged-in state (logout, missing answer, port lost): a download ends here.
    void loggedOut() { download_.loggedOut(); }

    // "Zapisz do pliku": the list as Windows-1250 text with CR LF line breaks.
    void ButtonZapiszClick();
    // "Drukuj": the printer set-up dialog, then the list on paper.
    void Button1Click();
    // "CLR": empties the list and the gauge.
    void ButtonCLRClick();
    // "KASUJ ": erases the register in the recorder after a confirmation.
    void ButtonKasujClick();
    // "Wykres": the window "Wykres temperatury" with the register held, against these thresholds.
    void ButtonWykresClick(const ChartThresholds& thresholds);

    Phase phase() const { return download_.phase(); }
    bool downloading() const { return download_.running(); }
    // STOP is offered while no download runs, except after a stop the recorder has confirmed.
    bool stopOffered() const { return !download_.stopConfirmed(); }
    // A new login offers STOP again.
    void offerStop();
    int gaugeMaximum() const { return download_.gaugeMaximum(); }
    int gaugePosition() const { return download_.gaugePosition(); }
    EventList& list() { return list_; }
    // Lines or the gauge have moved and wait for the next refresh of the view.
    bool viewPending() const;
    // The download itself: its lines and records.
    const EventDownload& download() const { return download_; }
    // The records of the register in the list, decoded, in the order they came; also those that make no
    // line. Emptied with the list.
    const QVector<EventRecord>& records() const;
    // The list holds a downloaded register (its header came), whole or stopped part of the way.
    bool registerHeld() const { return registerHeld_; }
    // The recorder's version taken when the register's header came (for its page and its archive entry).
    QString registerVersion() const { return registerVersion_; }
    // The chart window, once "Wykres" has opened it.
    TFormWykres* chartWindow() const { return chart_; }

private:
    using Ending = EventDownload::Ending;
    void stopPressed();
    void downloadEnded(Ending how);
    bool loggedIn() const;
    void showGauge();
    // The list and the gauge are brought on screen at most every few hundredths of a second: records
    // can come far faster than the screen could show each one.
    void viewChanged();
    void refreshView();
    // The list is emptied: the records go with it, and a chart of them closes.
    void forgetRegister();

    Link* link_;
    Shell* shell_;
    People* people_;
    EventPanel panel_;
    SaveDialogState* saveDialog_;
    EventList list_;
    EventDownload download_;
    bool registerHeld_ = false;
    QString registerVersion_;
    TFormWykres* chart_ = nullptr;
    std::function<QDateTime()> now_;
    std::function<QString()> version_;
    QTimer* refreshTimer_;
};
