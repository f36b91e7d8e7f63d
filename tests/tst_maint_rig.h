#pragma once
// What the maintenance tests share: a recorder behind the fake port (login, status, bootloader), image
// files, and a driver for the modal dialogs.

#include "config/WorkingBuffer.h"
#include "link/Frame.h"
#include "maintenance/FirmwareImage.h"
#include "support/FakePort.h"
#include "support/WindowRig.h"

#include <QApplication>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace maint {

inline QByteArray imageFile(const QByteArray& firmware, const QByteArray& magic = kFirmwareMagic) {
    QByteArray file = magic + firmware;
    file.append(char(XorOf(file)));
    return file;
}

inline QByteArray firmwareOf(int n) {
    QByteArray bytes(n, '\0');
    for (int i = 0; i < n; ++i) bytes[i] = char((i * 13 + 5) & 0xFF);
    return bytes;
}

// The recorder at the far end of a FakePort: answers login, status and the listed codes, and takes
// firmware blocks like a bootloader. Every answer arrives as its own receive event on the next pass.
struct FakeRecorder {
    FakePort& port;
    QByteArray password = "1234";
    // Codes answered with an empty reply frame (password change, clock...).
    QList<quint8> confirms;
    // What the bootloader answers to the n-th frame of block k (0-based send count of that block);
    // default "!".
    std::function<QByteArray(int block, int send)> ack = [](int, int) { return QByteArray("!"); };
    // Runs for every block frame before it is answered.
    std::function<void(int block, int send)> onBlock;

    bool restarted = false;
    bool ended = false;
    QList<quint8> codes;            // every frame's code, in order
    QMap<int, QByteArray> blocks;   // block index -> its 128 data bytes, as last received
    QMap<int, int> sends;           // block index -> how often it came
    int blockIndex = -1;            // the block the bootloader expects next minus one

    explicit FakeRecorder(FakePort& p) : port(p) {
        port.onWrite = [this](const QByteArray& frame) { take(frame); };
    }

    void take(const QByteArray& frame) {
        const quint8 code = quint8(frame.at(1));
        const QByteArray payload = frame.mid(3, quint8(frame.at(2)));
        codes.append(code);
        if (code == 1) {
            port.deliverLater(BuildReplyFrame(1, payload == password ? QByteArray("T0") : QByteArray("N0")));
        } else if (code == 253) {
            port.deliverLater(BuildReplyFrame(253, QByteArray(13, '\0')));
        } else if (code == kRestartCode) {
            restarted = true;
            blockIndex = -1;
        } else if (code == kFirmwareBlockCode) {
            // Block numbers wrap; the bootloader counts blocks itself and files a resend in place.
            const quint8 number = quint8(payload.at(0));
            if (blockIndex < 0 || number != quint8(blockIndex & 0xFF)) ++blockIndex;
            const int block = blockIndex;
            const int send = sends.value(block);
            sends[block] = send + 1;
            blocks[block] = payload.mid(1);
            if (onBlock) onBlock(block, send);
            const QByteArray answer = ack(block, send);
            if (!answer.isEmpty()) port.deliverLater(answer);
        } else if (code == kFirmwareEndCode) {
            ended = true;
        } else if (confirms.contains(code)) {
            port.deliverLater(BuildReplyFrame(code, {}));
        }
    }

    QByteArray received() const {
        QByteArray all;
        for (const QByteArray& b : blocks) all += b;
        return all;
    }
    int count(quint8 code) const { return int(codes.count(code)); }
};

// Runs `drive` once a modal dialog of type D is up; returns the poller so a test can stop it.
template <class D>
QTimer* whenModal(std::function<void(D*)> drive) {
    auto* poll = new QTimer;
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, [poll, drive] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            drive(d);
        }
    });
    poll->start();
    return poll;
}

struct Files {
    QTemporaryDir dir;
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write test file");
        f.write(bytes);
        return path;
    }
};

}  // namespace maint
