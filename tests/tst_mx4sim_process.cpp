// mx4sim as a program of its own, with the window's real QSerialPort back end on the device it prints:
// a wrong password, a disconnect and a new connection with the right one, the status and a register
// download; then SIGTERM. And a login on its default, paced line at the product's tick.

#include "app/PortDialogs.h"
#include "link/PortSearch.h"
#include "link/QtSerialPort.h"
#include "support/PtyPair.h"
#include "support/WindowRig.h"
#include "tst_events_rig.h"

#include <QFileInfo>
#include <QLabel>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSocketNotifier>
#include <QtTest>

namespace {
// Starts mx4sim with these arguments and reads the device it prints; empty when it did not start.
QString startSimulator(QProcess& sim, const QStringList& arguments) {
    sim.setProgram(QStringLiteral(MX4SIM_PROGRAM));
    sim.setArguments(arguments);
    sim.start();
    if (!sim.waitForStarted(10000)) return QString();
    while (!sim.canReadLine() && sim.state() == QProcess::Running) sim.waitForReadyRead(10000);
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

// SIGTERM ends it with exit code 0.
bool stopsCleanly(QProcess& sim) {
    sim.terminate();
    return sim.waitForFinished(10000) && sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0;
}

struct ProcessRig : RigBase {
    QtSerialPort port;
    explicit ProcessRig(const QString& device, int tickMs = kTestTickMs) {
        makeWindow(&port, {{device, device}}, tickMs);
    }
    ProcessRig(const QStringList& devices, int tickMs) {
        QVector<PortEntry> ports;
        for (const QString& d : devices) ports.append({d, d});
        makeWindow(&port, ports, tickMs);
    }
    ~ProcessRig() { dropWindow(); }
};

// The far end of a pseudo-terminal that keeps what the program sends and may answer each piece.
struct FarEnd {
    PtyPair pty;
    QByteArray received;
    QByteArray answer;  // sent back for every piece received; empty: silence
    QSocketNotifier reader{pty.master, QSocketNotifier::Read};
    FarEnd() {
        pty.closeSlave();
        QObject::connect(&reader, &QSocketNotifier::activated, [this] {
            char buffer[512];
            const ssize_t n = ::read(pty.master, buffer, sizeof buffer);
            if (n <= 0) return;
            received.append(buffer, int(n));
            if (!answer.isEmpty()) pty.send(answer);
        });
    }
    // The codes of the command frames received, in order.
    QVector<quint8> codes() const {
        QVector<quint8> out;
        for (int i = 0; i + 2 < received.size() && received.at(i) == 'N'; i += 4 + quint8(received.at(i + 2)))
            out.append(quint8(received.at(i + 1)));
        return out;
    }
};
}  // namespace

class Mx4simProcessTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void passwordReconnectStatusAndRegister() {
        QProcess sim;
        const QString device =
            startSimulator(sim, {"--no-pacing", "--password", "4321", "--register", "25", "--register-seed", "7"});
        QVERIFY2(device.startsWith("/dev/") && QFileInfo::exists(device),
                 qPrintable(device + sim.readAllStandardError()));
        ProcessRig rig(device);
        TMain& w = rig.w();
        w.eventRegister->setClockSource([] { return ev::kNow; });

        w.Button_polacz->click();
        QCOMPARE(rig.people.shown, (QStringList{"beep", "error: Błędne hasło"}));
        // The port closes and opens again: the simulator stays and answers the new connection.
        w.Button_rozlacz->click();
        QVERIFY(!rig.port.Connected());
        rig.people.clear();
        w.Edit_haslo->setText("4321");
        w.Button_polacz->click();
        QVERIFY2(rig.loggedIn(), qPrintable(rig.people.shown.join(" | ") + sim.readAllStandardError()));
        QCOMPARE(w.TextWersja->text(), QString("MX-4 v 1.2"));
        QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 100));
        QCOMPARE(w.Temp1->text(), QString("+23,2"));
        QCOMPARE(w.BarRSSI->value(), 18);

        rig.waitFor([&] { return !rig.link().exchangeActive(); }, 40);
        w.ButtonPobierz->click();
        QVERIFY(rig.waitFor([&] { return !w.eventRegister->downloading(); }, 2000));
        const QVector<QByteArray> records = MakeRegister(25, 7, QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
        const ev::Expected expected = ev::expectedDownload(records, 25 * 8);
        QCOMPARE(ev::linesOf(w.trm), expected.lines);
        QVERIFY(rig.people.shown.isEmpty());

        w.Button_rozlacz->click();
        QVERIFY(stopsCleanly(sim));
        const QString log = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(log.contains("device closed") && log.contains("stopped;"), qPrintable(log));
    }

    void pacedLineAtTheProductTick() {
        QProcess sim;
        const QString device = startSimulator(sim, {});
        QVERIFY2(QFileInfo::exists(device), qPrintable(device + sim.readAllStandardError()));
        ProcessRig rig(device, Link::kProductTickMs);
        TMain& w = rig.w();
        w.Button_polacz->click();
        QVERIFY2(rig.loggedIn(), qPrintable(rig.people.shown.join(" | ")));
        // The first status request goes out ten ticks after the login.
        QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 40));
        QCOMPARE(w.Temp1->text(), QString("+23,2"));
        w.Button_rozlacz->click();
        QCOMPARE(rig.people.shown, (QStringList{"beep", "information: Wylogowano ze MX-4"}));
        QVERIFY(stopsCleanly(sim));
    }

    // "Szukaj MX-4" over the real serial back end: a silent line and one that answers with junk get the
    // preamble and one login each and say "brak odpowiedzi"; mx4sim answers, is logged out again, and its
    // port is chosen, so that "POŁĄCZ" reaches it.
    void searchAmongPseudoTerminals() {
        QProcess sim;
        const QString device = startSimulator(sim, {"--no-pacing", "--verbose"});
        QVERIFY2(QFileInfo::exists(device), qPrintable(device + sim.readAllStandardError()));
        FarEnd silent, junk;
        junk.answer = QByteArray("\x55\xAA garbage \x01\x02\x80", 14);
        // A slower tick than the other tests: each port has one try of ten ticks to answer.
        ProcessRig rig({silent.pty.path, junk.pty.path, device}, 25);
        TMain& w = rig.w();
        QVector<ProbeResult> results;
        connect(w.portSearch(), &PortSearch::probed, &w, [&](int, const ProbeResult& r) { results.append(r); });
        w.ButtonCom->click();
        w.FormJakieCOM->ButtonSzukaj->click();
        QCOMPARE(w.FormJakieCOM->WynikCom->toPlainText(), QString("brak odpowiedzi\nbrak odpowiedzi\nMX-4 odpowiada"));
        QCOMPARE(w.ComCombo->currentText(), device);
        QCOMPARE(silent.codes(), (QVector<quint8>{0, 1}));
        QCOMPARE(junk.codes(), (QVector<quint8>{0, 1}));
        for (int i = 0; i < 2; ++i) {
            qInfo("%s: %s after %lld ms, %llu ticks of 25 ms", qPrintable(results.at(i).port.portName),
                  qPrintable(verdictText(results.at(i))), results.at(i).elapsedMs, results.at(i).ticks);
            // Two pauses and one wait of ten ticks each: no resend.
            QVERIFY2(results.at(i).ticks <= 32, qPrintable(QString::number(results.at(i).ticks)));
        }
        QVERIFY(results.at(2).loggedOut);
        QVERIFY(rig.people.shown.isEmpty());
        w.Button_polacz->click();
        QVERIFY2(rig.loggedIn(), qPrintable(rig.people.shown.join(" | ")));
        w.Button_rozlacz->click();
        QVERIFY(stopsCleanly(sim));
        const QString log = QString::fromLocal8Bit(sim.readAllStandardError());
        // The search's login and logout, then the connection's.
        QVERIFY2(log.contains("frame 1 [31 32 33 34]\nmx4sim: frame 2 [57]\nmx4sim: device closed"), qPrintable(log));
    }

    void refusesWhatItCannotRead() {
        QProcess sim;
        sim.setProgram(QStringLiteral(MX4SIM_PROGRAM));
        sim.setArguments({"--register", "5000"});
        sim.start();
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardOutput().isEmpty());
        QVERIFY(sim.readAllStandardError().contains("--register"));
    }
};

QTEST_MAIN(Mx4simProcessTest)
#include "tst_mx4sim_process.moc"
