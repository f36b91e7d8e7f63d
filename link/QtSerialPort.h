#pragma once
// The real serial port, through QSerialPort.

#include "link/SerialPort.h"

#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    QString portName() const override { return name_; }
    void OpenPort() override;
    bool Connected() const override { return port_.isOpen(); }
    void SetDtrLine(bool on) override;
    void SetRtsLine(bool on) override;
    bool dtr() const override { return dtr_; }
    bool rts() const override { return rts_; }
    qint64 WriteBytes(const QByteArray& bytes) override;
    QByteArray ReadBytes(int n) override;
    int bytesWaiting() const override;
    void ClosePort() override;
    // When the receiver needs more bytes of a frame that is coming in, the port stops watching the line
    // for their time on it and then takes what came in one read, so the program is woken once for them
    // instead of once a byte (the kernel wakes a waiting poll() at every byte, whatever the terminal's
    // minimum read count). What came by then is handed on, all of it, even when the frame is still
    // short; a hung-up line is noticed then.
    void expectBytes(int count) override;

    // The system error number for a failed open (EACCES, EBUSY, ENOENT on Linux).
    static int systemErrorCode(QSerialPort::SerialPortError error, const QString& errorString);

protected:
    void setPortName(const QString& name) override { name_ = name; }

    // What the driver said to a change of a modem line.
    struct LineResult {
        bool ok = true;
        bool unsupported = false;  // the device has no such line (a pseudo-terminal, a bare adapter)
        int systemCode = 0;
    };
    virtual LineResult driverSetLine(bool dtrLine, bool on);

private:
    void onReadyRead();
    void handOn();
    void release();
    void takeHeld();
    QSocketNotifier* lineWatch();
    void onError(QSerialPort::SerialPortError error);
    void setLine(bool dtrLine, bool on);

    QSerialPort port_;
    QString name_ = QStringLiteral("COM1");
    bool dtr_ = false;
    bool rts_ = false;
    bool lost_ = false;
    bool draining_ = false;
    int expected_ = 1;
    bool holding_ = false;  // the line is not watched until gatherTimer_ takes what came
    QPointer<QSocketNotifier> lineWatch_;
    QTimer gatherTimer_;
};
