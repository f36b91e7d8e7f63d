// The real serial back end gathering the rest of a frame over a pseudo-terminal: when the receiver says
// it needs more bytes, the port stops watching the line for their time on it and then hands on what
// came. Nothing may be stuck, lost or reordered by that, whatever comes.

#include "link/QtSerialPort.h"
#include "support/PtyPair.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
// Takes every notification's bytes as the link does and answers with how many it still needs.
struct Receiver {
    QtSerialPort& port;
    QByteArray got;
    int notifications = 0;
    std::function<int(const QByteArray&)> stillNeeded = [](const QByteArray&) { return 1; };
    explicit Receiver(QtSerialPort& p) : port(p) {
        QObject::connect(&port, &SerialPort::OnRxChar, [this](int count) {
            ++notifications;
            got += port.ReadBytes(count);
            port.expectBytes(stillNeeded(got));
        });
    }
};
}  // namespace

class SerialGatherTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void shortFrameIsHandedOnAfterItsTime_data() {
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("nothing more") << QByteArray();
        QTest::newRow("one byte of the rest") << QByteArray("1");
        QTest::newRow("a few bytes of the rest") << QByteArray("123");
    }
    void shortFrameIsHandedOnAfterItsTime() {
        QFETCH(QByteArray, rest);
        PtyPair pty;
        QVERIFY(!pty.path.isEmpty());
        QtSerialPort port;
        port.Port(pty.path);
        port.OpenPort();
        Receiver rx(port);
        rx.stillNeeded = [](const QByteArray& got) { return got == "S" ? 40 : 1; };
        pty.send("S");
        QTRY_COMPARE(rx.got, QByteArray("S"));
        for (char c : rest) pty.send(QByteArray(1, c));
        QTRY_COMPARE_WITH_TIMEOUT(rx.got, "S" + rest, 5000);
        // The port listens at every byte again afterwards.
        pty.send("x");
        QTRY_COMPARE(rx.got, "S" + rest + "x");
        port.ClosePort();
    }

    void everyByteArrivesOnceAndInOrder() {
        // Bytes written one at a time with pauses around a byte's line time, the receiver asking for
        // anything from 1 to 30 more after every notification; some holds end early, some late.
        PtyPair pty;
        QtSerialPort port;
        port.Port(pty.path);
        port.OpenPort();
        Receiver rx(port);
        QRandomGenerator random(16);
        rx.stillNeeded = [&random](const QByteArray&) { return random.bounded(1, 31); };
        QByteArray sent;
        for (int i = 0; i < 400; ++i) sent += char(i * 7 + i / 256);
        int next = 0;
        QTimer writer;
        writer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&writer, &QTimer::timeout, [&] {
            const int n = qMin(int(random.bounded(1, 4)), int(sent.size()) - next);
            pty.send(sent.mid(next, n));
            next += n;
            if (next == sent.size()) writer.stop();
            else writer.start(random.bounded(0, 6));
        });
        writer.start(0);
        QTRY_COMPARE_WITH_TIMEOUT(rx.got.size(), sent.size(), 20000);
        QCOMPARE(rx.got, sent);
        // Gathering must have happened: fewer notifications than bytes that came in writes of their own.
        QVERIFY2(rx.notifications < sent.size() / 4, qPrintable(QString::number(rx.notifications)));
        port.ClosePort();
    }

    void hangUpWhileGatheringIsReported() {
        PtyPair pty;
        QtSerialPort port;
        port.Port(pty.path);
        port.OpenPort();
        Receiver rx(port);
        rx.stillNeeded = [](const QByteArray&) { return 200; };
        QStringList lost;
        connect(&port, &SerialPort::portLost, this, [&lost](const QString& m) { lost << m; });
        pty.send("S");
        QTRY_COMPARE(rx.got, QByteArray("S"));
        pty.closeSlave();  // the line is left alone for some 0.4 s
        pty.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!lost.isEmpty(), 5000);
        QVERIFY(!port.Connected());
        QTest::qWait(50);
        QCOMPARE(lost.size(), 1);
    }

    void closingWhileGatheringStartsAfresh() {
        PtyPair pty;
        QtSerialPort port;
        port.Port(pty.path);
        port.OpenPort();
        Receiver rx(port);
        rx.stillNeeded = [](const QByteArray& got) { return got.endsWith("S") ? 2000 : 1; };
        pty.send("S");
        QTRY_COMPARE(rx.got, QByteArray("S"));
        pty.send("1");  // the line is left alone for some four seconds
        port.ClosePort();
        rx.got.clear();
        port.OpenPort();
        // A new line: each byte is handed on when it comes, nothing from before the close among them.
        pty.send("A");
        QTRY_COMPARE(rx.got, QByteArray("A"));
        pty.send("B");
        QTRY_COMPARE(rx.got, QByteArray("AB"));
        port.ClosePort();
    }
};

QTEST_GUILESS_MAIN(SerialGatherTest)
#include "tst_serial_gather.moc"
