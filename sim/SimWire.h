#pragma once
// The PC's end of an in-process serial line to a simulated recorder.
//
// What the PC writes reaches the recorder, and what the recorder sends reaches the PC's receive queue in
// chunks, each announced by one OnRxChar from a queued event (never from inside WriteBytes). Unpaced
// (the default), bytes move on the next pass of the event loop: one output, or one piece of it, per
// pass, so a register transfer comes one record per notification. Paced (SimFaults::paced), each byte
// takes 10 bits at 4800 baud in both directions: bytes are stamped on a monotonic clock, the recorder
// starts an answer when the request's last byte has arrived (plus its reply delay) and the line back is
// free, and the PC gets whatever has arrived when the delivery timer fires at the next byte's arrival.
// All times come from the stamps, so a PC thread that blocks for a while finds the line caught up.
//
// The fault knobs for chunking (chunkSize, glueNextOutputs) and an acknowledgement's own chunk apply in
// both modes: a piece cut by chunkSize, two glued outputs and a firmware acknowledgement are each
// delivered as one chunk of their own once all their bytes have arrived.

#include "link/SerialPort.h"
#include "sim/Recorder.h"

#include <QElapsedTimer>
#include <QQueue>
#include <QTimer>
#include <QVector>
#include <limits>

class SimWire : public SerialPort {
    Q_OBJECT
public:
    static constexpr int kBaud = 4800;
    static constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
    static constexpr qint64 kNever = std::numeric_limits<qint64>::max();
    // How long `bytes` bytes take on the line.
    static constexpr qint64 wireTimeNs(qint64 bytes) { return bytes * kBitsPerByte * 1000000000LL / kBaud; }
    // The name the wire answers to unless told otherwise: "MX-4 (symulator)".
    static QString defaultPortName();

    explicit SimWire(Recorder* recorder, QObject* parent = nullptr);
    Recorder* recorder() const { return recorder_; }

    // ---- SerialPort
    QString portName() const override { return name_; }
    // Throws PortError "Unable to open com port" with code 2 when unplugged, 16 when busy.
    void OpenPort() override;
    bool Connected() const override { return open_; }
    void SetDtrLine(bool on) override { dtr_ = on; }
    void SetRtsLine(bool on) override { rts_ = on; }
    bool dtr() const override { return dtr_; }
    bool rts() const override { return rts_; }
    // Throws PortError "Port Not Open" when closed.
    qint64 WriteBytes(const QByteArray& bytes) override;
    QByteArray ReadBytes(int n) override;
    int bytesWaiting() const override { return int(received_.size()); }
    // Bytes already written still reach the recorder (a write returns once they are sent); whatever is
    // on its way to the PC or waiting in its queue is discarded. The recorder forgets its login.
    void ClosePort() override;

    // ---- The adapter
    // Pulls the adapter: an open port closes and portLost is emitted once, from a queued event; opens fail
    // with error 2 until plugIn().
    void unplug();
    void plugIn() { plugged_ = true; }
    bool pluggedIn() const { return plugged_; }
    // Another program holds the port: opens fail with error 16.
    void setBusy(bool busy) { busy_ = busy; }
    bool busy() const { return busy_; }

    // ---- Observation
    // The wire's monotonic clock; every timestamp of the wire and the recorder log is on it.
    qint64 nowNs() const { return clock_.nsecsElapsed(); }
    // Nothing on the line in either direction and nothing the recorder still has to send.
    bool idle() const;

    struct Chunk {
        QByteArray bytes;
        qint64 deliveredNs = 0;      // when the PC was told
        qint64 firstStartNs = 0;     // when the first byte started on the line (paced)
        qint64 lastArrivalNs = 0;    // when the last byte had fully arrived (paced)
    };
    // Keeps every delivered chunk in chunks() while on.
    void setRecordChunks(bool on) { recordChunks_ = on; }
    const QVector<Chunk>& chunks() const { return chunks_; }
    void clearChunks() { chunks_.clear(); }

Q_SIGNALS:
    // After each OnRxChar, with the chunk's bytes.
    void chunkDelivered(const QByteArray& bytes);

protected:
    void setPortName(const QString& name) override { name_ = name; }

private:
    // Bytes from the PC on their way to the recorder.
    struct TxBatch {
        QByteArray bytes;
        qint64 startNs = 0;
        bool paced = false;
        int fed = 0;  // bytes already handed to the recorder
    };
    // Bytes from the recorder on their way to the PC. An atomic segment is delivered whole and alone.
    struct Segment {
        QByteArray bytes;
        qint64 startNs = 0;
        bool paced = false;
        bool atomic = false;
        int delivered = 0;
    };

    static qint64 byteStart(qint64 startNs, bool paced, int index) {
        return paced ? startNs + wireTimeNs(index) : startNs;
    }
    static qint64 byteArrival(qint64 startNs, bool paced, int index) {
        return paced ? startNs + wireTimeNs(index + 1) : startNs;
    }
    static int arrivedCount(const Segment& s, qint64 now);

    void service();
    void runUntil(qint64 now);
    void feedOneByte();
    void feedAll();
    void putOnLine(SimOutput out, qint64 atNs);
    bool takeChunk(qint64 now, Chunk& chunk);
    qint64 nextWake(qint64 now) const;
    void schedule(qint64 now);
    void dropLine();
    bool paced() const { return recorder_->faults().paced; }

    Recorder* recorder_;
    QString name_ = defaultPortName();
    bool open_ = false;
    bool dtr_ = false;
    bool rts_ = false;
    bool plugged_ = true;
    bool busy_ = false;
    bool recordChunks_ = false;

    QElapsedTimer clock_;
    QTimer timer_;
    qint64 timerDueNs_ = kNever;

    QQueue<TxBatch> tx_;
    qint64 txFreeNs_ = 0;   // when the line to the recorder is free again
    QQueue<Segment> line_;
    qint64 rxFreeNs_ = 0;   // when the line to the PC is free again
    QByteArray received_;   // the PC's receive queue
    QVector<Chunk> chunks_;
};
