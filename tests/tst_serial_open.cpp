// Opening the real serial back end on a pseudo-terminal: a driver that refuses to lower the modem
// lines leaves the port closed, as every failed open does.

#include "link/Errors.h"
#include "link/QtSerialPort.h"
#include "support/PtyPair.h"

#include <QtTest>

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
