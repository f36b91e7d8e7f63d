// mx4sim as a program of its own, with the window's real QSerialPort back end on the device it prints:
// a wrong password, a disconnect and a new connection with the right one, the status and a register
// download; then SIGTERM. And a login on its default, paced line at the product's tick.

#include "link/QtSerialPort.h"
#include "support/WindowRig.h"
#include "tst_events_rig.h"

#include <QFileInfo>
#include <QLabel>
#include <QProcess>
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
    ~ProcessRig() { dropWindow(); }
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
