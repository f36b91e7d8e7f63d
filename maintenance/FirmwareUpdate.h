#pragma once
// One firmware update through the recorder's bootloader: the file check and the transfer.
//
// The transfer restarts the recorder, pauses two seconds and streams the image in 133-byte block frames.
// The bootloader acknowledges a block with a lone "!" (a receive event of exactly one byte); anything
// else is no acknowledgement. A block unacknowledged after ten ticks is sent again; the whole transfer
// has two such resends to spend, and the third time-out ends it. The wait between blocks sleeps in the
// event loop until the next event (the tick wakes it at the latest).

#include <QByteArray>
#include <QObject>
#include <QString>

class Link;
class People;
class Shell;

class FirmwareUpdate : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        NotStarted,  // nothing was sent (no image, already running, or no open port)
        Done,        // every block acknowledged and the end command sent
        Failed,      // resends exhausted or the port failed while writing
        Lost,        // the port went away under the transfer (its loss has been reported already)
        Aborted,     // the program is shutting down
    };
    static constexpr int kAckTimeoutTicks = 10;
    static constexpr int kResends = 2;
    static constexpr int kRestartPauseMs = 2000;
    static constexpr int kEndPauseMs = 2000;
    static constexpr int kClosePauseMs = 1000;

    FirmwareUpdate(Link* link, Shell* shell, People* people, QObject* parent = nullptr);

    // Reads and checks an image file. Refuses files that cannot be sent with a message; throws FileError
    // when the file cannot be opened or read. Any failure leaves no image chosen. True when the file
    // can be sent.
    bool chooseFile(const QString& path);
    bool ready() const { return !image_.isEmpty(); }
    const QByteArray& image() const { return image_; }
    bool running() const { return running_; }

    // The whole transfer, including the closing pause; the caller closes its dialog when the outcome is
    // not NotStarted. Problems are reported to the person here; nothing is thrown.
    Outcome run();

Q_SIGNALS:
    void runningChanged(bool running);
    // The restart is about to go out: the progress gauge appears.
    void transferStarted();
    void progress(int percent);

private:
    enum class BlockResult { Acknowledged, NoAnswer, Lost };
    Outcome transfer();
    BlockResult sendBlock(const QByteArray& payload, int& resendsLeft);
    bool portOpen() const;
    Outcome fail();

    Link* link_;
    Shell* shell_;
    People* people_;
    QByteArray image_;
    bool running_ = false;
};
