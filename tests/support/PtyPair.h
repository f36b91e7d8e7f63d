#pragma once
// A pseudo-terminal pair for the real serial back end: the port opens `path`, the test is the far end.

#include <QByteArray>
#include <QString>
#include <QtTest>
#include <pty.h>
#include <unistd.h>

struct PtyPair {
    int master = -1, slave = -1;
    QString path;
    PtyPair() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) path = QString::fromLocal8Bit(name);
    }
    ~PtyPair() {
        closeSlave();
        hangUp();
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    // Keeping the slave open here as well would hide the hang-up from the port.
    void closeSlave() {
        if (slave >= 0) ::close(slave);
        slave = -1;
    }
    void hangUp() {
        if (master >= 0) ::close(master);
        master = -1;
    }
    void send(const QByteArray& bytes) const {
        QCOMPARE(::write(master, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }
};
