// Opening the real serial back end on a pseudo-terminal: a driver that refuses to lower the modem
// lines leaves the port closed, as every failed open does.

#include "link/Errors.h"
#include "link/QtSerialPort.h"
#include "support/PtyPair.h"

#include <QtTest>
#include <cerrno>

namespace {
// The real back end whose driver refuses one of the lines.
class RefusingLines : public QtSerialPort {
public:
    bool refuseDtr = true;
    int calls = 0;

protected:
    LineResult driverSetLine(bool dtrLine, bool on) override {
        ++calls;
        if (dtrLine == refuseDtr) return {false, false, 5};
        return QtSerialPort::driverSetLine(dtrLine, on);
    }
};

}  // namespace

class SerialOpenTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
#ifdef Q_OS_LINUX
    // The code a failed open reports, from Qt's error kind and the system's words: a port in use and a
    // port without access are both a PermissionError, and the search tells them apart by the code.
    void openFailureCodes_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("words");
        QTest::addColumn<int>("code");
        QTest::newRow("no access") << int(QSerialPort::PermissionError) << qt_error_string(EACCES) << EACCES;
        QTest::newRow("in use") << int(QSerialPort::PermissionError) << qt_error_string(EBUSY) << EBUSY;
        QTest::newRow("locked by another program")
            << int(QSerialPort::PermissionError) << QString("Permission error while locking the device") << EBUSY;
        QTest::newRow("absent") << int(QSerialPort::DeviceNotFoundError) << qt_error_string(ENOENT) << ENOENT;
    }
    void openFailureCodes() {
        QFETCH(int, error);
        QFETCH(QString, words);
        QFETCH(int, code);
        QCOMPARE(QtSerialPort::systemErrorCode(QSerialPort::SerialPortError(error), words), code);
    }
#endif

    void refusedLineLeavesThePortClosed_data() {
        QTest::addColumn<bool>("dtr");
        QTest::newRow("DTR") << true;
        QTest::newRow("RTS") << false;
    }
    void refusedLineLeavesThePortClosed() {
        QFETCH(bool, dtr);
        PtyPair pty;
        QVERIFY(!pty.path.isEmpty());
        RefusingLines port;
        port.refuseDtr = dtr;
        port.Port(pty.path);
        try {
            port.OpenPort();
            QFAIL("the open went through");
        } catch (const PortError& e) {
            QCOMPARE(e.message(), dtr ? QString("Unable to set DTR line (Error: 5)") : QString("Unable to set RTS line (Error: 5)"));
        }
        QVERIFY(!port.Connected());
        // The port can be opened again once the driver behaves.
        port.refuseDtr = !dtr;
        QVERIFY_THROWS_EXCEPTION(PortError, port.OpenPort());
        QVERIFY(!port.Connected());
    }

    void pseudoTerminalWithoutLinesOpens() {
        PtyPair pty;
        QtSerialPort port;
        port.Port(pty.path);
        port.OpenPort();
        QVERIFY(port.Connected());
        port.ClosePort();
    }
};

QTEST_GUILESS_MAIN(SerialOpenTest)
#include "tst_serial_open.moc"
