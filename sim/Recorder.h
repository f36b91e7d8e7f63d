#pragma once
// A simulated MX-4 recorder: takes the bytes of command frames as they arrive on its line and produces
// what the recorder sends back, one output at a time. It knows nothing of time except the timestamps
// the wire hands it; the wire (SimWire) decides when bytes move.
//
// The recorder answers the login, logout, password, status, configuration items, event register,
// erase, clock, counter reset and restart commands; after a restart its bootloader takes firmware
// blocks, acknowledging each with a bare "!", until the end command. Frames with a bad checksum and
// bytes outside frames are ignored, as are unknown codes.

#include "sim/RecorderData.h"
#include "sim/SimFaults.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QRandomGenerator>
#include <QTimer>
#include <QVector>

// One thing the recorder sends: a reply frame, a firmware acknowledgement or junk.
struct SimOutput {
    enum class Kind { None, Reply, Ack, Junk };
    Kind kind = Kind::None;
    QByteArray bytes;
    quint8 code = 0;        // the reply code (for Reply)
    qint64 readyAtNs = 0;   // not sent before this time on the wire's clock
    // An acknowledgement goes out as one piece: it is never split into smaller chunks.
    bool atomic() const { return kind == Kind::Ack; }
};

class Recorder : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRecords = 4095;
    static constexpr int kBlockPayload = 129;  // block number + 128 bytes

    struct ReceivedFrame {
        quint8 code = 0;
        QByteArray payload;
        qint64 atNs = 0;  // when its last byte reached the recorder, on the wire's clock
    };

    explicit Recorder(QObject* parent = nullptr);

    // ---- Knobs
    SimFaults& faults() { return faults_; }
    const SimFaults& faults() const { return faults_; }
    // Replaces all fault knobs and tells the wire to look again (a silence lifted, a pacing change).
    void setFaults(const SimFaults& faults);

    QByteArray password() const { return password_; }
    void setPassword(const QByteArray& password) { password_ = password; }
    // The character after the login verdict: '2' shows as "MX-4 v 1.2".
    char firmwareVersion() const { return version_; }
    void setFirmwareVersion(char version) { version_ = version; }
    // Off (default): every command is answered whether logged in or not. On: only 0 and 1 before login.
    bool requireLogin() const { return requireLogin_; }
    void setRequireLogin(bool on) { requireLogin_ = on; }
    // On (default): a command whose fixed payload ("G", "T", "h", "x", "W", "B", "K", six clock bytes)
    // differs is ignored like an unknown frame.
    bool strictPayloads() const { return strictPayloads_; }
    void setStrictPayloads(bool on) { strictPayloads_ = on; }
    // Records still sent after a stop request before reply 95 (default 0).
    int recordsAfterStop() const { return recordsAfterStop_; }
    void setRecordsAfterStop(int n) { recordsAfterStop_ = qMax(0, n); }
    // After a restart the bootloader waits this long for the first block, then starts the firmware
    // again (0: waits for ever). Once a block has come it stays until the end command. The default of
    // 2.6 s lets the update's first block in (sent after a 2 s pause, 0.28 s on the line) and still
    // answers the third try of a status request after a plain restart (2.7 s or more after it).
    // Checked when the next frame arrives.
    int bootloaderWindowMs() const { return bootloaderWindowMs_; }
    void setBootloaderWindowMs(int ms) { bootloaderWindowMs_ = qMax(0, ms); }
    // Lets the live state move once a second: temperature and voltages drift, the signal level wanders,
    // inputs change now and then (each change "sends an SMS"), a periodic temperature record is logged
    // every minute.
    bool liveDrift() const { return driftTimer_.isActive(); }
    void setLiveDrift(bool on, quint32 seed = 4800);
    // One second's worth of drift, as the live-drift timer runs it.
    void driftOneSecond();

    // ---- Device state
    bool loggedIn() const { return loggedIn_; }
    SimLiveState& live() { return live_; }
    const SimLiveState& live() const { return live_; }
    void setLive(const SimLiveState& state) { live_ = state; }

    // Configuration items by number (1..41), as raw bytes; an empty array for a number out of range.
    QByteArray item(int number) const;
    void setItem(int number, const QByteArray& bytes);
    // By read or write code (4..85).
    QByteArray itemForCode(int code) const { return item(SimItems::itemForCode(code)); }
    void setItemForCode(int code, const QByteArray& bytes) { setItem(SimItems::itemForCode(code), bytes); }

    // The event register, oldest first, 8 bytes a record; at most 4095 (the oldest go first).
    const QVector<QByteArray>& records() const { return register_; }
    int recordCount() const { return register_.size(); }
    void setRecords(const QVector<QByteArray>& records);
    void appendRecord(const QByteArray& record);
    void appendRecord(const SimEventRecord& record) { appendRecord(record.toBytes()); }
    // Replaces the register with `count` realistic records (see MakeRegister).
    void fillRegister(int count, quint32 seed = 1, const QDateTime& start = QDateTime(QDate(2024, 3, 1), QTime(8, 0)),
                      bool withUnlisted = false);
    void clearRegister() { register_.clear(); }
    bool streaming() const { return stream_.active; }

    // The last clock payload received (six bytes: yy, month, day, hour, minute, second); empty before.
    QByteArray clockPayload() const { return clockPayload_; }
    // The recorder's clock: the time last set, running on; the PC's clock before any setting.
    QDateTime clockNow() const;

    // Bootloader and firmware.
    bool inBootloader() const { return boot_.active; }
    // The bytes of the blocks received since the last restart, in order, each block once.
    QByteArray firmwareImage() const { return boot_.image; }
    int firmwareBlocks() const { return boot_.blocks; }
    int firmwareUpdates() const { return firmwareUpdates_; }  // end commands taken
    int blockSequenceErrors() const { return boot_.sequenceErrors; }
    // Starts the firmware afresh (as after pulling the power): bootloader left, logged out, nothing
    // pending.
    void powerCycle();

    // ---- Log
    const QVector<ReceivedFrame>& received() const { return log_; }
    QVector<quint8> receivedCodes() const;
    void clearLog() { log_.clear(); }
    int checksumErrors() const { return checksumErrors_; }

    // ---- The line (used by the wire)
    // Bytes that reached the recorder at `atNs`.
    void receive(const QByteArray& bytes, qint64 atNs);
    // Something waits to be sent (never while silent).
    bool hasOutput() const;
    // When the next output may start.
    qint64 nextOutputReadyAt() const;
    // The next output, taken when it starts on the line at `atNs`; Kind::None when there is none.
    SimOutput takeOutput(qint64 atNs);
    // The PC closed its port (its lines dropped): the login is forgotten, a half-received frame,
    // pending answers and a running register transfer are dropped.
    void lineDropped();
    // Junk without a valid frame, sent as soon as the line is free.
    void babble(int count);

Q_SIGNALS:
    // Every valid command frame, also those the recorder then ignores.
    void frameReceived(quint8 code, QByteArray payload);
    // New output is waiting (the wire listens).
    void outputReady();
    // The bootloader took the end command; `image` is what the blocks carried.
    void firmwareReceived(QByteArray image);

private:
    void receiveByte(char byte, qint64 atNs);
    void resync(qint64 atNs);
    void handleFrame(quint8 code, const QByteArray& payload, qint64 atNs);
    bool muted(quint8 code);
    bool payloadAccepted(quint8 code, const QByteArray& payload) const;
    void handleCommand(quint8 code, const QByteArray& payload, qint64 atNs);
    void handleBootloader(quint8 code, const QByteArray& payload, qint64 atNs);
    void handleBlock(const QByteArray& payload, qint64 atNs);
    void startFirmware();
    void answer(quint8 command, const QByteArray& payload, qint64 atNs);
    void queueJunk(int count, qint64 readyAtNs);
    static void breakChanceFrames(QByteArray& junk);
    SimOutput makeReply(quint8 code, const QByteArray& payload, qint64 readyAtNs);
    SimOutput nextStreamOutput(qint64 atNs);
    qint64 answerTime(qint64 atNs) const { return atNs + qint64(faults_.replyDelayMs) * 1000000; }

    SimFaults faults_;
    QByteArray password_ = "1234";
    char version_ = '2';
    bool requireLogin_ = false;
    bool strictPayloads_ = true;
    int recordsAfterStop_ = 0;
    int bootloaderWindowMs_ = 2600;

    bool loggedIn_ = false;
    SimLiveState live_;
    QVector<QByteArray> items_;
    QVector<QByteArray> register_;
    QByteArray clockPayload_;
    QDateTime clockBase_;
    QElapsedTimer clockRunning_;

    QByteArray rx_;  // the frame being received
    int checksumErrors_ = 0;
    QQueue<SimOutput> outbox_;
    QVector<ReceivedFrame> log_;

    struct Stream {
        bool active = false;
        QVector<QByteArray> records;  // the register as it was when the transfer began
        int next = 0;
        qint64 readyAtNs = 0;
        bool stopping = false;
        int recordsLeft = 0;  // records still sent after the stop request
    } stream_;

    struct Boot {
        bool active = false;
        qint64 enteredAtNs = 0;
        bool blockSeen = false;
        int blocks = 0;
        int lastNumber = -1;
        int sequenceErrors = 0;
        QByteArray image;
    } boot_;
    int firmwareUpdates_ = 0;

    QTimer driftTimer_;
    QRandomGenerator driftRng_;
    int driftTicks_ = 0;
    int temperatureTrend_ = 0;
    int modemRecoverTicks_ = 0;
};
