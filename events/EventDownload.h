#pragma once
// Downloading the event register: the pause, the request and its header, the records the recorder
// streams unasked, the stop request, the end, and the silence that ends a download whose last frames
// were lost. No widgets: the window's register group and the command-line tool each show the lines
// their own way through the hooks; the records are kept beside the lines.

#include "events/EventDecode.h"
#include "events/EventRecords.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

class Link;

class EventDownload : public QObject {
    Q_OBJECT
public:
    static constexpr quint8 kEndCode = 90;
    static constexpr quint8 kRecordCode = 91;
    static constexpr quint8 kStartCode = 93;
    static constexpr quint8 kStopCode = 95;
    static constexpr quint8 kEraseCode = 96;
    static constexpr int kStartPause = 11;      // ticks before the request
    static constexpr int kReplyTimeout = 110;   // ticks: the header, the erase, and the silence of a stream

    enum class Phase {
        Idle,
        Starting,   // the pause before the request and the wait for the header
        Receiving,  // records come in (and, when a stop was asked for, until the recorder confirms it)
    };
    enum class Ending {
        Complete,    // reply 90: " Koniec historii"
        Stopped,     // reply 95
        Silent,      // no register frame for kReplyTimeout ticks
        LoggedOut,   // the login is gone
        Abandoned,   // the start failed on the way
    };

    // How whole the register that came is: the records received against the header's count, and how
    // the download ended. Only a complete register may be erased in the recorder afterwards.
    struct Completeness {
        int announced = -1;  // the header's count (size / 8, capped at 4,095); -1 while no header came
        int received = 0;    // record frames taken (every code, with or without a line)
        std::optional<Ending> ending;  // empty while the download runs or before the first one
        bool complete() const { return ending == Ending::Complete && received == announced; }
        // Ended by the recorder's own stop (reply 95) although nobody asked for it.
        bool stoppedUnasked = false;
    };

    // What the one showing the download does at each step; every hook may be left empty.
    struct Hooks {
        std::function<void()> begun;                     // the download holds the commands now
        std::function<void()> cleared;                   // the lines and the gauge are empty again
        std::function<void(const EventLine&)> line;      // a line to append
        std::function<void()> progressed;                // the gauge or the lines have moved
        // The download is over; on Complete the last line has been appended with line() already.
        std::function<void(Ending)> ended;
        // After ended(): the download has let its activity go.
        std::function<void()> settled;
        // The register's header has come: its lines follow.
        std::function<void()> headerCame;
    };

    explicit EventDownload(Link* link, QObject* parent = nullptr);
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    // The PC's date and time for the header lines; tests put a fixed moment here.
    void setClockSource(std::function<QDateTime()> now) { now_ = std::move(now); }

    // Asks for the register and waits for its header; the records then come through reply(). Returns
    // at once, doing nothing, when a download runs or nobody is logged in.
    void start();
    // The next record that comes asks the recorder to stop.
    void requestStop();
    // Replies 90, 91, 93 and 95.
    void reply(quint8 code, const QByteArray& payload);
    // The login has gone (logout, missing answer, port lost): a download ends here.
    void loggedOut();

    Phase phase() const { return phase_; }
    bool running() const { return phase_ != Phase::Idle; }
    bool stopConfirmed() const { return stopConfirmed_; }
    void clearStopConfirmed() { stopConfirmed_ = false; }
    int gaugeMaximum() const { return gaugeMaximum_; }
    int gaugePosition() const { return gaugePosition_; }
    // Empties the gauge (the window's "CLR").
    void clearGauge() { gaugePosition_ = 0; }
    // What this download has shown so far, line by line, and the records of its reply 91 frames.
    const QStringList& lines() const { return lines_; }
    const QVector<EventRecord>& records() const { return records_; }
    // The register of the last download as it stands now.
    const Completeness& completeness() const { return completeness_; }
    // The colour of the last line: the end line takes it.
    QColor currentColour() const { return colour_; }

private:
    bool loggedIn() const;
    void header(const QByteArray& payload);
    void record(const QByteArray& payload);
    void append(const EventLine& line);
    void endDownload(Ending how);
    void onTick();
    void checkSilence();

    Link* link_;
    Hooks hooks_;
    std::function<QDateTime()> now_;
    Phase phase_ = Phase::Idle;
    int gaugeMaximum_ = 0;
    int gaugePosition_ = 0;
    quint64 lastFrameTick_ = 0;
    bool silenceCheckQueued_ = false;
    bool stopConfirmed_ = false;
    QStringList lines_;
    QVector<EventRecord> records_;
    QColor colour_ = EventColour::Black;
    Completeness completeness_;
    bool stopAsked_ = false;
};

// Erases the register in the recorder and waits for the confirmation; false when it went unanswered
// (the link has said so).
bool EraseRegister(Link& link);

// The event list as the window saves it: the lines joined by CR LF, in Windows-1250. Throws FrameError
// for a character the code page cannot carry.
QByteArray EventTextFile(const QString& plainText);
