#pragma once
// The real serial port, through QSerialPort.

#include "link/SerialPort.h"

#include <QSerialPort>

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
    void onError(QSerialPort::SerialPortError error);
    void setLine(bool dtrLine, bool on);

    QSerialPort port_;
    QString name_ = QStringLiteral("COM1");
    bool dtr_ = false;
    bool rts_ = false;
    bool lost_ = false;
    bool draining_ = false;
};
