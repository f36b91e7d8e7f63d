#pragma once
// A port whose far end is the test: it records what is written and delivers what the test says.

#include "link/Errors.h"
#include "link/SerialPort.h"

#include <QByteArrayList>
#include <QTimer>
#include <functional>

class FakePort : public SerialPort {
public:
    QByteArrayList written;
    // Called for every write; may deliver an answer (delivered on the next event-loop pass).
    std::function<void(const QByteArray&)> onWrite;
    // Called when the port closes.
    std::function<void()> onClose;
    bool openFails = false;
    int openError = 2;  // the system's code of a failed open
    // What the receiver said it still needs after each chunk.
    QVector<int> hints;

    QString portName() const override { return name_; }
    void OpenPort() override {
        if (openFails) throw PortError(QStringLiteral("Unable to open com port"), openError);
        open_ = true;
        dtr_ = rts_ = false;
    }
    bool Connected() const override { return open_; }
    void SetDtrLine(bool on) override { dtr_ = on; }
    void SetRtsLine(bool on) override { rts_ = on; }
    bool dtr() const override { return dtr_; }
    bool rts() const override { return rts_; }
    qint64 WriteBytes(const QByteArray& bytes) override {
        if (!open_) throw PortError(QStringLiteral("Port Not Open"));
        written.append(bytes);
        if (onWrite) onWrite(bytes);
        return bytes.size();
    }
    QByteArray ReadBytes(int n) override {
        const QByteArray out = rx_.left(n);
        rx_.remove(0, out.size());
        return out;
    }
    int bytesWaiting() const override { return rx_.size(); }
    void expectBytes(int count) override { hints.append(count); }
    void ClosePort() override {
        if (open_ && onClose) onClose();
        open_ = false;
        rx_.clear();
    }

    // One chunk, announced now.
    void deliver(const QByteArray& chunk) {
        if (!open_) return;
        rx_.append(chunk);
        Q_EMIT OnRxChar(rx_.size());
    }
    // One chunk, announced on the next event-loop pass.
    void deliverLater(const QByteArray& chunk) {
        QTimer::singleShot(0, this, [this, chunk] { deliver(chunk); });
    }

protected:
    void setPortName(const QString& name) override { name_ = name; }

private:
    QString name_ = QStringLiteral("COM1");
    QByteArray rx_;
    bool open_ = false;
    bool dtr_ = false;
    bool rts_ = false;
};
