#pragma once
// The one serial port the program talks through. Back ends: QtSerialPort (a real port) and the
// simulator's in-process wire. All calls run on the user-interface thread.

#include <QByteArray>
#include <QObject>
#include <QString>

class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    // Sets the name of the port to open. A different name while the port is open closes it and
    // opens the new one at once.
    void Port(const QString& name) {
        if (name == portName()) return;
        if (Connected()) {
            ClosePort();
            setPortName(name);
            OpenPort();
        } else {
            setPortName(name);
        }
    }
    virtual QString portName() const = 0;

    // Opens the named port exclusively, 4800 8N1, no flow control, DTR and RTS low. Does nothing when
    // already open. Throws PortError ("Unable to open com port" + " (Error: %d)") and stays closed.
    virtual void OpenPort() = 0;
    virtual bool Connected() const = 0;
    // Raise (true) or lower (false) a modem line; a port without such lines ignores it.
    virtual void SetDtrLine(bool on) = 0;
    virtual void SetRtsLine(bool on) = 0;
    virtual bool dtr() const = 0;
    virtual bool rts() const = 0;
    // Writes all bytes and returns once they are on their way or the write time-out has run out.
    // Throws PortError "Port Not Open" on a closed port.
    virtual qint64 WriteBytes(const QByteArray& bytes) = 0;
    // Up to n bytes already received; never waits.
    virtual QByteArray ReadBytes(int n) = 0;
    virtual int bytesWaiting() const = 0;
    // Discards what is queued and closes; nothing happens when already closed.
    virtual void ClosePort() = 0;
    // A hint from the receiver, given while it takes a chunk: it wants this many further bytes before it
    // is told again (the rest of a frame; while records stream in, a tick's worth of the line). A port
    // may hold its notification back for their time on the line, so a frame arriving byte by byte does
    // not wake the program for every byte; it notifies with what has come by then. 1 means: notify at
    // every byte.
    virtual void expectBytes(int count) { Q_UNUSED(count); }

Q_SIGNALS:
    // Bytes have arrived; count is the number waiting (at least 1).
    void OnRxChar(int count);
    // The device failed while open (unplugged adapter, hung-up line). The port is already closed
    // when this is emitted, and it is emitted once per failure.
    void portLost(const QString& message);

protected:
    virtual void setPortName(const QString& name) = 0;
};
