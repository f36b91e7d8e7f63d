// The real QSerialPort back end over a pseudo-terminal pair, with the simulated recorder at the far end:
// connect, log in, live status, log out; and the far end hanging up while logged in.

#include "events/EventDecode.h"
#include "events/EventRegister.h"
#include "link/QtSerialPort.h"
#include "sim/PtyRecorder.h"
#include "support/WindowRig.h"

#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cstdarg>
#include <dlfcn.h>
#include <map>
#include <sys/ioctl.h>

// The modem-line requests the port makes, as the kernel receives them. A pseudo-terminal refuses them,
// so what the lines would be is worked out from the requests: Linux raises DTR and RTS on open.
namespace modemLines {
bool recording = false;
std::map<int, int> state;  // descriptor -> TIOCM_DTR | TIOCM_RTS bits
QStringList calls;

int of(int fd) {
    const auto it = state.find(fd);
    return it == state.end() ? (TIOCM_DTR | TIOCM_RTS) : it->second;
}
void record(int fd, unsigned long request, int bits) {
    bits &= TIOCM_DTR | TIOCM_RTS;
    const int before = of(fd);
    const char* what = request == TIOCMBIS ? "raise" : request == TIOCMBIC ? "lower" : "set";
    state[fd] = request == TIOCMBIS ? (before | bits) : request == TIOCMBIC ? (before & ~bits) : bits;
    calls << QStringLiteral("%1%2%3").arg(what, bits & TIOCM_DTR ? " DTR" : "", bits & TIOCM_RTS ? " RTS" : "");
}
}  // namespace modemLines

extern "C" int ioctl(int fd, unsigned long request, ...) __THROW {
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    using Real = int (*)(int, unsigned long, ...);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "ioctl"));
    if (modemLines::recording && argument && (request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET))
        modemLines::record(fd, request, *static_cast<const int*>(argument));
    return real(fd, request, argument);
}

struct PtyRig : RigBase {
    PtyRecorder far;
    QtSerialPort port;
    PtyRig() { makeWindow(&port, {{far.path(), far.path()}}); }
    ~PtyRig() { dropWindow(); }
};

class PtyEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loginStatusLogout() {
        PtyRig rig;
        if (!rig.far.ok()) QSKIP("no pseudo-terminal available");
        rig.far.closeSlave();
        TMain& w = rig.w();
        QVERIFY(rig.port.portName() == rig.far.path());
        w.Button_polacz->click();
        QVERIFY2(rig.loggedIn(), qPrintable(rig.people.shown.join(" | ")));
        QVERIFY(rig.people.shown.isEmpty());
        QCOMPARE(rig.far.recorder().receivedCodes(), (QVector<quint8>{0, 1}));
        QCOMPARE(w.TextWersja->text(), QString("MX-4 v 1.2"));
        // A status reply comes back through the real port.
        QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 60));
        QCOMPARE(w.Temp1->text(), QString("+23,2"));
        QCOMPARE(w.BarRSSI->value(), 18);

        w.Button_rozlacz->click();
        QCOMPARE(rig.people.shown, (QStringList{"beep", "information: Wylogowano ze MX-4"}));
        QVERIFY(!rig.port.Connected());
        QVERIFY(rig.far.recorder().receivedCodes().contains(2));
    }

    void farEndHangsUp() {
        PtyRig rig;
        if (!rig.far.ok()) QSKIP("no pseudo-terminal available");
        rig.far.closeSlave();
        rig.w().Button_polacz->click();
        QVERIFY(rig.loggedIn());
        rig.far.hangUp();
        // The port closes at the first error and the user hears of it once, however long we wait.
        QVERIFY(rig.waitFor([&] { return !rig.port.Connected(); }, 100));
        rig.runTicks(60);
        QCOMPARE(rig.people.messages().size(), 1);
        QVERIFY(rig.people.messages()[0].startsWith("error: "));
        QCOMPARE(rig.w().Edit_status->text(), QStringLiteral("ROZŁĄCZONY"));
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
    }

    void farEndHangsUpInTheMiddleOfAnOperation_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("at");  // the frame the recorder receives, or for a download the record listed
        QTest::newRow("login") << 0 << 2;
        QTest::newRow("configuration read") << 1 << 6;
        QTest::newRow("configuration write") << 2 << 6;
        QTest::newRow("register download") << 3 << 20;
    }
    void farEndHangsUpInTheMiddleOfAnOperation() {
        QFETCH(int, operation);
        QFETCH(int, at);
        PtyRig rig;
        if (!rig.far.ok()) QSKIP("no pseudo-terminal available");
        rig.far.closeSlave();
        TMain& w = rig.w();
        if (operation != 0) {
            w.Button_polacz->click();
            QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 60));
            rig.waitFor([&] { return !rig.link().exchangeActive(); }, 20);
        }
        rig.far.recorder().fillRegister(2000, 3);
        bool struck = false, midway = false;
        auto hangUp = [&] {
            if (struck) return;
            struck = true;
            // Still in the middle: the operation has not ended.
            midway = operation == 3 ? w.eventRegister->downloading() : rig.link().exchangeActive();
            rig.far.recorder().faults().silent = true;
            QTimer::singleShot(0, &rig.port, [&] { rig.far.hangUp(); });
        };
        int frames = 0;
        if (operation == 3) {
            // The header's five lines, then a line a record: records are still arriving.
            QTextDocument* doc = w.trm->document();
            QObject::connect(doc, &QTextDocument::blockCountChanged, &rig.port, [&, doc](int) {
                if (doc->blockCount() >= 5 + at) hangUp();
            });
        } else {
            QObject::connect(&rig.far.recorder(), &Recorder::frameReceived, &rig.port, [&](quint8, const QByteArray&) {
                if (++frames == at) hangUp();
            });
        }
        rig.people.clear();
        switch (operation) {
        case 0: w.Button_polacz->click(); break;
        case 1: w.Icon_get->click(); break;
        case 2: w.Icon_put->click(); break;
        case 3: w.ButtonPobierz->click(); break;
        }
        QVERIFY(rig.waitFor([&] { return !rig.port.Connected(); }, 400));
        rig.runTicks(40);
        QVERIFY(struck);
        QVERIFY(midway);
        // Told at once that the port failed, not after three unanswered tries.
        const QStringList errors = rig.people.messages().filter(QRegularExpression("^error:"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith("error: Port "), qPrintable(errors[0]));
        QCOMPARE(w.Edit_status->text(), QStringLiteral("ROZŁĄCZONY"));
        QCOMPARE(w.Edit_logon->text(), QString("WYLOGOWANY"));
        if (operation == 3) {
            QVERIFY(!w.eventRegister->downloading());
            QVERIFY(!w.trm->toPlainText().contains(EndOfRegisterText()));
        }
    }

    void busyPortReportsItsErrorNumber() {
        PtyRig rig;
        if (!rig.far.ok()) QSKIP("no pseudo-terminal available");
        rig.far.closeSlave();
        QtSerialPort other;
        other.Port(rig.far.path());
        other.OpenPort();
        rig.w().Button_polacz->click();
        QCOMPARE(rig.people.shown, QStringList{"error: Unable to open com port (Error: 16)"});
        QVERIFY(rig.w().Button_polacz->isEnabled());
        other.ClosePort();
    }

    // The open lowers both lines the system raised, and each line call reaches the device. A pty has no
    // modem lines: its refusal is not an error.
    void linesAreLowAfterOpen() {
        PtyRig rig;
        if (!rig.far.ok()) QSKIP("no pseudo-terminal available");
        modemLines::state.clear();
        modemLines::calls.clear();
        modemLines::recording = true;
        rig.port.OpenPort();
        const std::map<int, int> afterOpen = modemLines::state;
        const QStringList openCalls = modemLines::calls;
        rig.port.SetDtrLine(true);
        const std::map<int, int> afterDtr = modemLines::state;
        rig.port.SetRtsLine(true);
        modemLines::recording = false;

        QCOMPARE(openCalls, (QStringList{"lower DTR", "lower RTS"}));
        QCOMPARE(afterOpen.size(), size_t(1));
        const int fd = afterOpen.begin()->first;
        QCOMPARE(afterOpen.at(fd), 0);
        QCOMPARE(afterDtr.at(fd), int(TIOCM_DTR));
        QCOMPARE(modemLines::state.at(fd), int(TIOCM_DTR | TIOCM_RTS));
        QCOMPARE(modemLines::calls.mid(2), (QStringList{"raise DTR", "raise RTS"}));
        QVERIFY(rig.port.dtr() && rig.port.rts());
        QVERIFY(rig.port.Connected());
    }
};

QTEST_MAIN(PtyEndToEndTest)
#include "tst_pty_e2e.moc"
