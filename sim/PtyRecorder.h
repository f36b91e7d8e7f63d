#pragma once
// The simulated recorder behind a real pseudo-terminal: a program opens the slave side as its serial
// port (the configurator with its QSerialPort back end, any serial terminal), the recorder reads and
// writes the master side.
//
// Paced (SimFaults::paced), the line runs at 4800 baud, 10 bits a byte, in both directions: what the
// program writes reaches the recorder byte by byte at the line's pace, and what the recorder sends goes
// out one byte per write, each when its last bit would have arrived, as a UART hands bytes over. All
// times are stamps on one monotonic clock, so a late wake-up catches up without stretching the line.
// Unpaced, bytes reach the recorder as soon as they are read and each output goes out in one write.
//
// The program may open and close the device any number of times. While nobody holds the slave the line
// is down (the master reads EIO): the recorder forgets its login and drops what it was sending, as when
// the PC closes its port, and the line comes up again at the next open. Unix only.

#include "sim/Recorder.h"

#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QTimer>
#include <limits>
#include <memory>

class QSocketNotifier;

class PtyRecorder : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kNever = std::numeric_limits<qint64>::max();

    explicit PtyRecorder(QObject* parent = nullptr);
    ~PtyRecorder() override;

    Recorder& recorder() { return recorder_; }
    // The pair is open; otherwise error() says why.
    bool ok() const { return master_ >= 0; }
    QString error() const { return error_; }
    // The slave device a program opens, e.g. "/dev/pts/7".
    QString path() const { return path_; }

    // The pair starts with a slave descriptor of its own, so the line counts as up until the program
    // has opened the device. Closing it leaves the line to whoever opens the device.
    void closeSlave();
    // The far end goes away for good, as when the cable or adapter is pulled: the master closes.
    void hangUp();
    // Some program (or the pair's own slave descriptor) holds the slave.
    bool lineUp() const { return up_; }

    qint64 bytesFromProgram() const { return bytesIn_; }
    qint64 bytesToProgram() const { return bytesOut_; }

Q_SIGNALS:
    // The slave was opened (true) or its last holder closed it (false).
    void lineUpChanged(bool up);

private:
    struct InByte {
        char byte;
        qint64 arrivalNs;
    };
    struct OutPiece {
        QByteArray bytes;
        qint64 startNs = 0;
        bool paced = false;
        int written = 0;
        // When byte `index` may be written: paced, once all its bits have arrived.
        qint64 dueNs(int index) const;
    };

    qint64 now() const { return clock_.nsecsElapsed(); }
    bool paced() const { return recorder_.faults().paced; }
    void readMaster();
    void service();
    void writeDue(qint64 now);
    void schedule(qint64 wakeNs);
    void lineDown();
    void checkLineUp();
    void watchForOpen();
    void makeRaw(int fd);

    Recorder recorder_;
    int master_ = -1;
    int slave_ = -1;
    int openWatch_ = -1;  // inotify descriptor watching the slave device for opens (Linux)
    bool up_ = false;
    QString path_;
    QString error_;
    QElapsedTimer clock_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> openNotifier_;
    QTimer timer_;
    qint64 timerDueNs_ = kNever;
    QTimer openPoll_;  // where there is no inotify: looks for an open every few milliseconds

    QQueue<InByte> inbound_;   // read from the program, not yet at the recorder
    qint64 inFreeNs_ = 0;      // when the line to the recorder is free again
    QQueue<OutPiece> outbound_;
    qint64 outFreeNs_ = 0;     // when the line to the program is free again
    qint64 bytesIn_ = 0;
    qint64 bytesOut_ = 0;
};
