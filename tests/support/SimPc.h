#pragma once
// The PC's end in the simulator tests: writes command frames to a SimWire and keeps what comes back,
// chunk by chunk as the notifications deliver it, and the reply frames cut out of it.

#include "link/Frame.h"
#include "link/ReplyAssembler.h"
#include "sim/SimWire.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QTest>
#include <functional>

class SimPc : public QObject {
public:
    explicit SimPc(SimWire& wire) : wire_(wire) {
        connect(&wire_, &SerialPort::OnRxChar, this, [this](int count) {
            counts.append(count);
            const QByteArray bytes = wire_.ReadBytes(count);
            chunks.append(bytes);
            assembler.rxBuffer.append(bytes);
            frames += AssembleAll(assembler);
            if (onChunk) onChunk(bytes);
        });
    }

    void send(quint8 code, const QByteArray& payload) { wire_.WriteBytes(BuildCommandFrame(code, payload)); }
    // Runs the event loop, sleeping between events, until `done` holds or the time is up.
    static bool waitUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        QElapsedTimer elapsed;
        elapsed.start();
        QTimer deadline;  // wakes the loop when nothing else does
        deadline.setSingleShot(true);
        deadline.start(timeoutMs);
        while (!done()) {
            if (elapsed.elapsed() >= timeoutMs) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        return true;
    }
    // Runs the event loop until the wire has nothing left to move.
    bool settle(int timeoutMs = 3000) {
        return waitUntil([this] { return wire_.idle(); }, timeoutMs);
    }
    bool waitFrames(int n, int timeoutMs = 3000) {
        return waitUntil([this, n] { return frames.size() >= n; }, timeoutMs);
    }
    // Sends a command and waits until the line is quiet again.
    void exchange(quint8 code, const QByteArray& payload) {
        send(code, payload);
        QVERIFY(settle());
    }
    QVector<quint8> codes() const {
        QVector<quint8> out;
        for (const ReplyFrame& f : frames) out.append(f.code);
        return out;
    }
    QByteArray allBytes() const {
        QByteArray out;
        for (const QByteArray& c : chunks) out += c;
        return out;
    }
    void clear() {
        chunks.clear();
        counts.clear();
        frames.clear();
        assembler = AssemblerState();
    }

    QVector<QByteArray> chunks;
    QVector<int> counts;  // the count each notification carried
    QVector<ReplyFrame> frames;
    AssemblerState assembler;
    std::function<void(const QByteArray&)> onChunk;

private:
    SimWire& wire_;
};
