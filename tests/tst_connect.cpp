// Connecting, logging in and out through the main window, against the simulated recorder.

#include "config/ConfigArea.h"
#include "config/Defaults.h"
#include "config/Palette.h"
#include "app/PortDialogs.h"
#include "link/PortSearch.h"
#include "link/StatusDecode.h"
#include "support/FakePort.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

class ConnectTest : public QObject {
    Q_OBJECT

    static int count(const QVector<quint8>& codes, quint8 code) { return int(codes.count(code)); }

private Q_SLOTS:
    void loginWithTheRightPassword() {
        SimRig rig;
        bool linesUpAtPreamble = false;
        connect(&rig.recorder, &Recorder::frameReceived, [&](quint8 code, const QByteArray&) {
            if (code == 0) linesUpAtPreamble = rig.wire.dtr() && rig.wire.rts();
        });
        QVERIFY(rig.login());
        TMain& w = rig.w();
        // The preamble once, after the lines went up, then the login with the password field's text.
        QCOMPARE(rig.recorder.receivedCodes(), (QVector<quint8>{0, 1}));
        QCOMPARE(rig.recorder.received()[0].payload, QByteArray(50, '0'));
        QCOMPARE(rig.recorder.received()[1].payload, kDefaultPassword.toLatin1());
        QVERIFY(linesUpAtPreamble);
        QCOMPARE(w.Edit_status->text(), QString("POŁĄCZONY"));
        QCOMPARE(backgroundOf(w.Edit_status), Colour::Green);
        QCOMPARE(backgroundOf(w.Edit_logon), Colour::Green);
        QVERIFY(!w.Button_polacz->isEnabled());
        QVERIFY(w.Button_rozlacz->isEnabled());
        QVERIFY(!w.ComCombo->isEnabled());
        QVERIFY(!w.Edit_haslo->isEnabled());
        for (QWidget* on : std::initializer_list<QWidget*>{w.Button_zmiana_hasla, w.ButtonRestart, w.ButtonResetlimit,
                                                           w.ButtonZegar, w.ButtonPobierz, w.ButtonKasuj})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        QVERIFY(w.Pobierz1->isEnabled() && w.Zapisz1->isEnabled());
        QCOMPARE(w.TextWersja->text(), QString("MX-4 v 1.2"));
        QCOMPARE(textColourOf(w.TextWersja), Colour::Black);
        // Nothing is sent until the first status request a second later, which enables the transfer buttons.
        QVERIFY(!w.Icon_get->isEnabled());
        QVERIFY(w.StatusBar->isVisibleTo(&w));
        QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 40));
        QVERIFY(w.Icon_put->isEnabled());
        QCOMPARE(count(rig.recorder.receivedCodes(), 253), 1);
    }

    void liveStatusShowsTheRecordersState() {
        SimRig rig;
        SimLiveState live = rig.recorder.live();
        const QByteArray payload = live.toPayload();
        QVERIFY(rig.login());
        QVERIFY(rig.waitFor([&] { return rig.w().Icon_get->isEnabled(); }, 40));
        const LiveStatus expected = *DecodeStatus(payload);
        TMain& w = rig.w();
        QCOMPARE(w.Temp1->text(), expected.temperatureText);
        QCOMPARE(w.Ubat->text(), expected.batteryText);
        QCOMPARE(w.Uzs->text(), expected.supplyText);
        QCOMPARE(w.BarRSSI->value(), expected.signalGauge);
        QCOMPARE(w.StatusPanel->text(), ModemStateText(expected.modemState));
        QCOMPARE(w.LabelZd->text(), QString("Zd: %1").arg(expected.eventsWaiting));
        QCOMPARE(w.Config->LabelSMS->text(), QString("%1 z").arg(expected.smsUsed));
        QCOMPARE(backgroundOf(w.PanelIN1), expected.inputs[0] ? Colour::Green : Colour::Red);
        QCOMPARE(backgroundOf(w.PanelPK), expected.outputs[0] ? Colour::Red : Colour::Green);

        // It follows the recorder once a second.
        live.temperatureRaw = 204;
        live.temperatureState = 3;
        live.supplyOk = false;
        rig.recorder.setLive(live);
        QVERIFY(rig.waitFor([&] { return w.Temp1->text() == QLatin1String("-0,2"); }, 40));
        QCOMPARE(backgroundOf(w.Temp1), Colour::SkyBlue);
        QCOMPARE(backgroundOf(w.Ubat), Colour::Green);
        QCOMPARE(backgroundOf(w.Uzs), Colour::Red);
    }

    void wrongPasswordKeepsThePortOpen_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("wrong verdict") << int(SimFaults::Login::Wrong);
        QTest::newRow("empty verdict") << int(SimFaults::Login::Empty);
    }
    void wrongPasswordKeepsThePortOpen() {
        QFETCH(int, mode);
        SimRig rig;
        rig.recorder.faults().login = SimFaults::Login(mode);
        QVERIFY(!rig.login());
        TMain& w = rig.w();
        QCOMPARE(rig.people.shown, (QStringList{"beep", "error: Błędne hasło"}));
        QVERIFY(rig.wire.Connected());
        QVERIFY(!w.Button_polacz->isEnabled());
        QVERIFY(w.Button_rozlacz->isEnabled());
        QCOMPARE(w.Edit_logon->text(), QString("WYLOGOWANY"));
        QCOMPARE(w.Edit_status->text(), QString("POŁĄCZONY"));
    }

    void noAnswerClosesThePort() {
        SimRig rig;
        rig.recorder.faults().silent = true;
        QVERIFY(!rig.login());
        QCOMPARE(count(rig.recorder.receivedCodes(), 1), 3);
        QCOMPARE(rig.people.shown, (QStringList{"beep", "error: Brak odpowiedzi z MX-4"}));
        QVERIFY(!rig.wire.Connected());
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
        QVERIFY(rig.w().ComCombo->isEnabled());
        QVERIFY(rig.w().Button_polacz->isEnabled());
        QVERIFY(!rig.w().Button_rozlacz->isEnabled());
    }

    void logoutSendsWBeforeThePortCloses() {
        SimRig rig;
        QVERIFY(rig.login());
        QVERIFY(rig.waitFor([&] { return rig.w().BarRSSI->value() > 0; }, 40));
        bool openAtLogout = false;
        connect(&rig.recorder, &Recorder::frameReceived, [&](quint8 code, const QByteArray& payload) {
            if (code == 2 && payload == "W") openAtLogout = rig.wire.Connected();
        });
        rig.w().Button_rozlacz->click();
        QVERIFY(openAtLogout);
        QVERIFY(!rig.wire.Connected());
        QCOMPARE(rig.people.shown, (QStringList{"beep", "information: Wylogowano ze MX-4"}));
        TMain& w = rig.w();
        QCOMPARE(w.Edit_status->text(), QString("ROZŁĄCZONY"));
        QCOMPARE(w.Edit_logon->text(), QString("WYLOGOWANY"));
        QCOMPARE(w.TextWersja->text(), QString("MX-4 v ..."));
        QCOMPARE(textColourOf(w.TextWersja), Colour::Grey);
        QCOMPARE(w.BarRSSI->value(), 0);
        QVERIFY(!w.Icon_get->isEnabled() && !w.Icon_put->isEnabled());
        QVERIFY(!w.Pobierz1->isEnabled());
        QVERIFY(w.StatusBar->isHidden());
        QVERIFY(w.Button_polacz->isEnabled());
        // No status request after the logout.
        const int frames = rig.recorder.received().size();
        rig.runTicks(25);
        QCOMPARE(rig.recorder.received().size(), frames);
    }

    void logoutWithoutAnswerStillEndsIdle() {
        SimRig rig;
        QVERIFY(rig.login());
        rig.recorder.faults().silent = true;
        rig.w().Button_rozlacz->click();
        QCOMPARE(rig.people.shown, (QStringList{"beep", "error: Brak odpowiedzi z MX-4"}));
        QVERIFY(!rig.wire.Connected());
        QCOMPARE(rig.w().Edit_status->text(), QString("ROZŁĄCZONY"));
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
    }

    void shortPasswordFallsBackToTheDefault() {
        SimRig rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Edit_haslo->setFocus(Qt::TabFocusReason);
        w.Edit_haslo->clear();
        QTest::keyClicks(w.Edit_haslo, "98a+ 7");
        QCOMPARE(w.Edit_haslo->text(), QString("987"));
        w.ComCombo->setFocus(Qt::TabFocusReason);
        QCOMPARE(w.Edit_haslo->text(), kDefaultPassword);
        QVERIFY(rig.login());
        QCOMPARE(rig.recorder.received()[1].payload, kDefaultPassword.toLatin1());
    }

    void changedPasswordIsSentAsTyped() {
        SimRig rig;
        rig.recorder.setPassword("4321");
        rig.w().Edit_haslo->setText("4321");
        QVERIFY(rig.login());
        QCOMPARE(rig.recorder.received()[1].payload, QByteArray("4321"));
    }

    void leftoverBytesDoNotSwallowTheNextLogin() {
        SimRig rig;
        // Half a frame from an earlier connection is still in the receive buffer.
        rig.link().st.assembler.rxBuffer = QByteArray::fromHex("6efd0d0102");
        rig.link().st.assembler.frameStarted = true;
        rig.link().st.assembler.frameStart = 1;
        QVERIFY(rig.login());
        QCOMPARE(count(rig.recorder.receivedCodes(), 1), 1);
    }

    void unpluggedAdapterIsReportedOnce() {
        SimRig rig;
        QVERIFY(rig.login());
        rig.wire.unplug();
        QVERIFY(rig.waitFor([&] { return rig.w().Edit_status->text() == QStringLiteral("ROZŁĄCZONY"); }, 40));
        rig.runTicks(40);
        QCOMPARE(rig.people.messages().size(), 1);
        QVERIFY(rig.people.messages()[0].startsWith("error: "));
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
        QVERIFY(rig.w().ComCombo->isEnabled());
        // Reconnecting fails while it is out, and works again once it is back.
        rig.people.clear();
        rig.w().Button_polacz->click();
        QCOMPARE(rig.people.shown, QStringList{"error: Unable to open com port (Error: 2)"});
        rig.wire.plugIn();
        rig.people.clear();
        QVERIFY(rig.login());
    }
    void portLeavingTheSystemListIsNoticed() {
        SimRig rig;
        QVERIFY(rig.login());
        // The adapter disappears from the system's list while its driver stays silent.
        rig.catalog.setPorts({});
        QVERIFY(rig.waitFor([&] { return !rig.wire.Connected(); }, 30));
        rig.runTicks(30);
        QCOMPARE(rig.people.messages(),
                 QStringList{"error: Port MX-4 (symulator) został odłączony od komputera"});
        QCOMPARE(rig.w().Edit_status->text(), QStringLiteral("ROZŁĄCZONY"));
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
    }

    // ---------------------------------------------------------------- the list follows the cable

    // While idle the list follows the system's ports: the choice stays while its port exists, else a
    // port that has just appeared is taken, else the first; "POŁĄCZ" and an open "Porty COM" follow.
    void theListFollowsWhatIsPlugged() {
        const auto entry = [](const QString& name) { return PortEntry{name, "/dev/" + name}; };
        WindowRig<FakePort> rig({entry("ttyS0"), entry("ttyS1")});
        TMain& w = rig.w();
        const auto follows = [&](const QStringList& plugged, const QString& chosen) {
            QVector<PortEntry> ports;
            for (const QString& name : plugged) ports.append(entry(name));
            rig.catalog.setPorts(ports);
            if (!rig.waitFor([&] { return w.portNames == plugged; }, 40)) return false;
            return w.ComCombo->currentText() == chosen && w.Button_polacz->isEnabled() == !chosen.isEmpty() &&
                   (chosen.isEmpty() || rig.port.portName() == chosen) &&
                   w.FormJakieCOM->PortyCom->toPlainText() == plugged.join('\n');
        };
        w.ButtonCom->click();
        w.ComCombo->setCurrentIndex(1);
        Q_EMIT w.ComCombo->activated(1);
        QVERIFY(follows({"ttyUSB0", "ttyS0", "ttyS1"}, "ttyS1"));
        // The chosen port pulled as another is plugged: the new one, not the first.
        QVERIFY(follows({"ttyUSB0", "ttyS0", "ttyACM0"}, "ttyACM0"));
        QVERIFY(follows({"ttyUSB0", "ttyS0"}, "ttyUSB0"));
        QVERIFY(follows({}, ""));
        QVERIFY(follows({"ttyUSB1"}, "ttyUSB1"));
        QVERIFY(rig.people.shown.isEmpty());
    }

    // Logged in, the list stays as it is whatever is plugged; it follows again once disconnected.
    void nothingFollowsWhileConnected() {
        SimRig rig;
        QVERIFY(rig.login());
        const PortEntry sim = rig.catalog.listPorts().first();
        rig.catalog.setPorts({sim, {"ttyUSB0", "/dev/ttyUSB0", true}});
        rig.runTicks(40);
        QCOMPARE(rig.w().portNames, QStringList{sim.portName});
        QVERIFY(rig.loggedIn());
        rig.w().Button_rozlacz->click();
        QVERIFY(rig.waitFor([&] { return rig.w().portNames.size() == 2; }, 40));
        QCOMPARE(rig.w().ComCombo->currentText(), sim.portName);
    }

    // "Szukaj MX-4": a silent port gets the preamble and one login, ports that do not open say why, the
    // recorder is logged out again and chosen; the window stays usable meanwhile and the list does not
    // follow until it ends.
    void searchFindsTheRecorder() {
        SimRig rig;
        TMain& w = rig.w();
        const PortEntry sim = rig.catalog.listPorts().first();
        QByteArrayList silentFrames;
        rig.catalog.setPorts({{"COM9", "COM9"}, {"COM5", "COM5"}, {"COM6", "COM6"}, sim});
        rig.catalog.setPortMaker([&](const PortEntry& p) -> std::unique_ptr<SerialPort> {
            if (p.portName == sim.portName) return std::make_unique<SimWire>(&rig.recorder);
            auto other = std::make_unique<FakePort>();
            other->onWrite = [&](const QByteArray& frame) { silentFrames.append(frame); };
            other->openFails = p.portName != "COM9";
            other->openError = p.portName == "COM5" ? 16 : 13;
            return other;
        });
        w.ButtonCom->click();
        QCOMPARE(w.ComCombo->currentText(), QString("COM9"));
        QStringList during;
        QVector<ProbeResult> results;
        connect(w.portSearch(), &PortSearch::probing, &w, [&](int index) {
            if (index != 0) return;
            for (QWidget* c : std::initializer_list<QWidget*>{w.Button_polacz, w.ButtonFirmware, w.ButtonCom,
                                                              w.ComCombo, w.FormJakieCOM->ButtonSzukaj})
                if (c->isEnabled()) during << c->objectName() + " usable";
            if (!w.FormJakieCOM->ButtonPrzerwij->isEnabled()) during << "Przerwij unusable";
            w.ButtonKonfig->click();
            if (!w.Config->boxesVisible()) during << "Konfiguracja refused";
            rig.catalog.setPorts({{"COM9", "COM9"}, {"COM5", "COM5"}, {"COM6", "COM6"}, sim, {"ttyUSB0", "ttyUSB0"}});
        });
        connect(w.portSearch(), &PortSearch::probed, &w, [&](int index, const ProbeResult& r) {
            results.append(r);
            if (index == 3 && w.portNames.size() != 4) during << "the list followed during the search";
        });
        w.FormJakieCOM->ButtonSzukaj->click();
        QCOMPARE(during, QStringList());
        QCOMPARE(w.FormJakieCOM->WynikCom->toPlainText(),
                 QString("brak odpowiedzi\nzajęty\nbrak uprawnień\nMX-4 odpowiada"));
        QCOMPARE(w.ComCombo->currentText(), sim.portName);
        QCOMPARE(w.link()->activity().current(), Activity::Idle);
        QVERIFY(w.Button_polacz->isEnabled());
        // No resend on the silent port; the recorder saw the login and the logout, and its line closed.
        QCOMPARE(silentFrames.size(), 2);
        QCOMPARE(quint8(silentFrames.at(1).at(1)), quint8(1));
        QCOMPARE(results.at(0).loginFrames, 1);
        QCOMPARE(rig.recorder.receivedCodes(), (QVector<quint8>{0, 1, 2}));
        QVERIFY(results.at(3).loggedOut);
        QVERIFY(rig.people.shown.isEmpty());
        // The port plugged during the search is listed now.
        QVERIFY(rig.waitFor([&] { return w.portNames.size() == 5; }, 40));
        QCOMPARE(w.ComCombo->currentText(), sim.portName);
    }

    // "Przerwij", or closing "Porty COM" with Esc, ends the search once the port being asked has closed.
    void searchEndsWhenCancelled_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Przerwij") << false;
        QTest::newRow("Esc") << true;
    }
    void searchEndsWhenCancelled() {
        QFETCH(bool, escape);
        SimRig rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const PortEntry sim = rig.catalog.listPorts().first();
        QStringList seen;
        rig.catalog.setPorts({{"COM9", "COM9"}, sim});
        rig.catalog.setPortMaker([&](const PortEntry& p) -> std::unique_ptr<SerialPort> {
            if (p.portName == sim.portName) return std::make_unique<SimWire>(&rig.recorder);
            auto port = std::make_unique<FakePort>();
            port->onClose = [&] { seen << "closed"; };
            // The person gives up while the preamble's pause runs.
            port->onWrite = [&](const QByteArray& frame) {
                seen << QString("frame %1").arg(int(frame.at(1)));
                QTimer::singleShot(0, &w, [&] {
                    if (escape)
                        QTest::keyClick(w.FormJakieCOM, Qt::Key_Escape);
                    else
                        w.FormJakieCOM->ButtonPrzerwij->click();
                });
            };
            return port;
        });
        quint64 ticks = 0;
        connect(w.portSearch(), &PortSearch::probed, &w, [&](int, const ProbeResult& r) {
            seen << "verdict";
            ticks = r.ticks;
        });
        w.ButtonCom->click();
        w.FormJakieCOM->ButtonSzukaj->click();
        // The preamble, no login, the port closed, and no other port asked; the pause after the preamble
        // ended at the cancel, not after its ten ticks.
        QCOMPARE(seen, (QStringList{"frame 0", "closed", "verdict"}));
        QVERIFY2(ticks < 20, qPrintable(QString::number(ticks)));
        QCOMPARE(w.verdictOf("COM9"), QString("przerwano"));
        QCOMPARE(w.verdictOf(sim.portName), QString());
        QVERIFY(rig.recorder.received().isEmpty());
        QCOMPARE(w.ComCombo->currentText(), QString("COM9"));
        QCOMPARE(w.link()->activity().current(), Activity::Idle);
        QCOMPARE(w.FormJakieCOM->isVisible(), !escape);
    }
};

QTEST_MAIN(ConnectTest)
#include "tst_connect.moc"
