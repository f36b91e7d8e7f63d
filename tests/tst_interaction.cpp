// The one interaction state: the control table, admission of commands, and what clicks that land
// inside an exchange can no longer break.

#include "app/AppStyle.h"
#include "app/ControlTable.h"
#include "app/PortDialogs.h"
#include "config/ConfigArea.h"
#include "config/ConfigFile.h"
#include "config/ConfigTransfer.h"
#include "config/ConfigWidgets.h"
#include "config/Palette.h"
#include "config/ProgressDialog.h"
#include "events/EventRegister.h"
#include "link/Frame.h"
#include "link/Text.h"
#include "maintenance/BootDialog.h"
#include "maintenance/InfoDialog.h"
#include "maintenance/PasswordDialog.h"
#include "support/FakePort.h"
#include "support/TestFiles.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
// The controls that start a command talking to the recorder.
const QVector<Control> kRecorderCommands{
    Control::Button_polacz, Control::Button_rozlacz, Control::Icon_get,       Control::Icon_put,
    Control::Button_zmiana_hasla, Control::ButtonResetlimit, Control::ButtonZegar, Control::ButtonRestart,
    Control::ButtonFirmware, Control::ButtonPobierz, Control::ButtonKasuj, Control::Pobierz1, Control::Zapisz1,
    Control::ButtonSzukaj};

Situation anySituation(Activity a, int bits) {
    Situation s;
    s.activity = a;
    s.loggedIn = bits & 1;
    s.portOpen = bits & 2;
    s.portChosen = bits & 4;
    s.transferArmed = bits & 8;
    s.stopArmed = bits & 16;
    return s;
}

bool isEnabled(QObject* o) {
    if (auto* w = qobject_cast<QWidget*>(o)) return w->isEnabled();
    return static_cast<QAction*>(o)->isEnabled();
}

QList<quint8> codesOf(const Recorder& r) {
    QList<quint8> out;
    for (const auto& f : r.received()) out.append(f.code);
    return out;
}
}  // namespace

class InteractionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { shuttingDown = false; }

    // ---------------------------------------------------------------- the table

    void noRecorderCommandStartsInsideAnother() {
        // Whatever else holds: a command that talks to the recorder is offered only while nothing
        // else talks to it; "ROZŁĄCZ" also while a register streams in, which has no wait of its own.
        for (int a = 0; a < kActivityCount; ++a) {
            const Activity activity = Activity(a);
            for (int bits = 0; bits < 32; ++bits)
                for (Control c : kRecorderCommands) {
                    if (!usable(c, anySituation(activity, bits))) continue;
                    const bool settled = activity == Activity::Idle || activity == Activity::LoggedIn;
                    const bool logoutDuringStream = c == Control::Button_rozlacz &&
                                                    (activity == Activity::Downloading || activity == Activity::Stopping);
                    QVERIFY2(settled || logoutDuringStream,
                             qPrintable(controlName(c) + " usable in " + activityName(activity)));
                }
        }
    }

    void loginAndPortDecideTheSettledRows() {
        Situation s;
        s.activity = Activity::Idle;
        s.portChosen = true;
        QVERIFY(usable(Control::Button_polacz, s));
        QVERIFY(!usable(Control::Button_rozlacz, s));
        QVERIFY(usable(Control::ComCombo, s));
        QVERIFY(usable(Control::ButtonFirmware, s));
        QVERIFY(!usable(Control::Pobierz1, s));
        // Connected after a wrong password: "POŁĄCZ" stays off until "ROZŁĄCZ".
        s.portOpen = true;
        QVERIFY(!usable(Control::Button_polacz, s));
        QVERIFY(usable(Control::Button_rozlacz, s));
        QVERIFY(!usable(Control::ComCombo, s));
        QVERIFY(usable(Control::Edit_haslo, s));
        // No port chosen: nothing to connect to.
        s.portOpen = false;
        s.portChosen = false;
        QVERIFY(!usable(Control::Button_polacz, s));
        // Logged in: the transfer buttons wait for the first status reply, the menu entries do not.
        s = Situation{};
        s.activity = Activity::LoggedIn;
        s.loggedIn = s.portOpen = s.portChosen = true;
        QVERIFY(usable(Control::Pobierz1, s));
        QVERIFY(!usable(Control::Icon_get, s));
        s.transferArmed = true;
        QVERIFY(usable(Control::Icon_get, s));
        QVERIFY(!usable(Control::Edit_haslo, s));
        QVERIFY(!usable(Control::Button_polacz, s));
        // STOP is offered while idle, except after a stop the recorder confirmed.
        QVERIFY(!usable(Control::ButtonSTOP, s));
        s.stopArmed = true;
        QVERIFY(usable(Control::ButtonSTOP, s));
    }

    void printingIsNeverRefusedAndShutdownRefusesEverything() {
        for (int a = 0; a < kActivityCount; ++a)
            for (int bits = 0; bits < 32; ++bits) {
                const Situation s = anySituation(Activity(a), bits);
                if (s.activity == Activity::ShuttingDown) {
                    for (Control c : allControls()) QVERIFY2(!usable(c, s), qPrintable(controlName(c)));
                } else {
                    QVERIFY(usable(Control::Button1, s));
                }
            }
    }

    void windowFollowsTheTableInEveryStateItReaches() {
        SimRig rig;
        TMain& w = rig.w();
        auto agree = [&] {
            QStringList wrong;
            const Situation s = w.situation();
            for (Control c : allControls())
                if (isEnabled(w.controlObject(c)) != usable(c, s)) wrong << controlName(c);
            return wrong;
        };
        QCOMPARE(agree(), QStringList());
        QVERIFY(rig.login());
        QCOMPARE(agree(), QStringList());
        QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 40));
        QCOMPARE(agree(), QStringList());
        QStringList during;
        connect(&rig.recorder, &Recorder::frameReceived, w.Config, [&](quint8 code, const QByteArray&) {
            if (code == 20) during = agree();
        });
        w.Icon_get->click();
        QCOMPARE(during, QStringList());
        QCOMPARE(agree(), QStringList());
        w.Button_rozlacz->click();
        QCOMPARE(agree(), QStringList());
    }

    // ---------------------------------------------------------------- clicks inside exchanges

    void connectPressedDuringTheLogoutWait() {
        SimRig rig;
        TMain& w = rig.w();
        QVERIFY(rig.login());
        bool fired = false;
        bool connectUsableDuring = true;
        connect(&rig.recorder, &Recorder::frameReceived, w.Config, [&](quint8 code, const QByteArray&) {
            if (code != 2 || fired) return;
            fired = true;
            connectUsableDuring = w.Button_polacz->isEnabled();
            // The click arrives anyway (a queued event, the keyboard).
            Q_EMIT w.Button_polacz->clicked();
        });
        rig.recorder.clearLog();
        w.Button_rozlacz->click();
        QVERIFY(fired);
        QVERIFY(!connectUsableDuring);
        rig.runTicks(30);
        // Logged out, port closed, ready to connect again: nothing of a second connect happened.
        QCOMPARE(codesOf(rig.recorder), QList<quint8>{2});
        QVERIFY(!rig.wire.Connected());
        QCOMPARE(w.Edit_status->text(), QString("ROZŁĄCZONY"));
        QCOMPARE(w.Edit_logon->text(), QString("WYLOGOWANY"));
        QVERIFY(w.Button_polacz->isEnabled());
        QVERIFY(!w.Button_rozlacz->isEnabled());
        QCOMPARE(w.link()->activity().current(), Activity::Idle);
        // And a connect works.
        QVERIFY(rig.login());
    }

    void stoppingHoldsTheRecorderCommandsUntilTheRecorderConfirms() {
        SimRig rig;
        TMain& w = rig.w();
        SimFaults f = rig.recorder.faults();
        f.paced = true;
        rig.recorder.setFaults(f);
        rig.recorder.fillRegister(400, 3);
        rig.recorder.setRecordsAfterStop(4);
        QVERIFY(rig.login());
        QVERIFY(rig.waitFor([&] { return !rig.link().exchangeActive(); }, 40));
        w.ButtonPobierz->click();
        QVERIFY(rig.waitFor([&] { return w.eventRegister->gaugePosition() >= 5 * 8; }, 2000));
        w.ButtonSTOP->click();
        QCOMPARE(w.link()->activity().current(), Activity::Stopping);
        // A dialog that closes now resumes the live status; that must not offer POBIERZ while records
        // still come, and a transfer asked for now is refused.
        w.ShowLiveStatus();
        QVERIFY(!w.ButtonPobierz->isEnabled());
        rig.recorder.clearLog();
        Q_EMIT w.Pobierz1->triggered();
        Q_EMIT w.ButtonZegar->clicked();
        QVERIFY(!w.configTransfer->running());
        QVERIFY(rig.waitFor([&] { return !w.eventRegister->downloading(); }, 3000));
        for (quint8 code : codesOf(rig.recorder)) QCOMPARE(code, quint8(95));
        QCOMPARE(w.link()->activity().current(), Activity::LoggedIn);
        QVERIFY(w.ButtonPobierz->isEnabled() && w.Pobierz1->isEnabled() && w.ButtonZegar->isEnabled());
        // The confirmed stop takes STOP away until the next download.
        QVERIFY(!w.ButtonSTOP->isEnabled());
    }

    void loginVerdictIsTheLoginReplysOwn() {
        WindowRig<FakePort> rig;
        // The login reply and a status reply behind it in the same chunk: the registers end up holding the
        // status reply, but the verdict is the login reply's.
        rig.port.onWrite = [&](const QByteArray& frame) {
            if (quint8(frame.at(1)) == 1)
                rig.port.deliverLater(BuildReplyFrame(1, "T2") + BuildReplyFrame(253, QByteArray(13, 'F')));
        };
        rig.w().Button_polacz->click();
        QVERIFY(rig.people.shown.isEmpty());
        QVERIFY(rig.loggedIn());
        QCOMPARE(rig.w().TextWersja->text(), QString("MX-4 v 1.2"));
    }

    // ---------------------------------------------------------------- the password

    void passwordGoesOutAsWindows1250() {
        WindowRig<FakePort> rig;
        QByteArray loginPayload;
        rig.port.onWrite = [&](const QByteArray& frame) {
            if (quint8(frame.at(1)) != 1) return;
            loginPayload = frame.mid(3, quint8(frame.at(2)));
            rig.port.deliverLater(BuildReplyFrame(1, "N2"));
        };
        rig.w().Edit_haslo->setText(QStringLiteral("12ś4"));
        rig.w().Button_polacz->click();
        QCOMPARE(loginPayload, QByteArray("12\x9c" "4"));
        QCOMPARE(rig.people.messages(), QStringList{"error: Błędne hasło"});
    }

    void passwordThatWindows1250CannotCarryIsNotSent() {
        WindowRig<FakePort> rig;
        rig.w().Edit_haslo->setText(QStringLiteral("12中4"));
        rig.w().Button_polacz->click();
        for (const QByteArray& f : rig.port.written) QVERIFY(quint8(f.at(1)) != 1);
        QCOMPARE(rig.people.messages().size(), 1);
        QVERIFY2(rig.people.messages()[0].contains(QStringLiteral("Hasło")), qPrintable(rig.people.messages()[0]));
        // Typed or pasted, such a character never gets into the field.
        rig.w().Edit_haslo->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("1中2"));
        rig.w().Edit_haslo->setFocus();
        QTest::keyClick(rig.w().Edit_haslo, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(rig.w().Edit_haslo->text(), QString("12"));
    }

    void loadedPasswordIsShownWhole() {
        WindowRig<FakePort> rig;
        QTemporaryDir dir;
        const QString path = dir.filePath("long.ncf");
        writeTestFile(path, BuildConfigFile(rig.w().Config->values(), QStringLiteral("123456")));
        rig.people.fileAnswers.enqueue(path);
        rig.w().SpeedButton2->click();
        QCOMPARE(rig.w().Edit_haslo->text(), QString("123456"));
        // Typing still stops at four.
        rig.w().Edit_haslo->clear();
        QTest::keyClicks(rig.w().Edit_haslo, "987654");
        QCOMPARE(rig.w().Edit_haslo->text(), QString("9876"));
    }

    // ---------------------------------------------------------------- keys

    void keysThatTypeNothingPassTheDigitFilters_data() {
        QTest::addColumn<QString>("field");
        QTest::newRow("PIN") << "Edit_pin";
        QTest::newRow("telephone") << "Edit_Tel1";
        QTest::newRow("password") << "Edit_haslo";
    }
    void keysThatTypeNothingPassTheDigitFilters() {
        QFETCH(QString, field);
        WindowRig<FakePort> rig;
        rig.w().ButtonKonfigClick();
        auto* e = rig.w().findChild<QLineEdit*>(field);
        QVERIFY(e);
        e->setText(QStringLiteral("1234"));
        e->setFocus();
        e->setCursorPosition(0);
        // As a keyboard delivers them on Linux: Delete carries U+007F, Ctrl+letter its control code.
        auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods, const QString& text) {
            QKeyEvent down(QEvent::KeyPress, key, mods, text);
            QApplication::sendEvent(e, &down);
            QKeyEvent up(QEvent::KeyRelease, key, mods, text);
            QApplication::sendEvent(e, &up);
        };
        press(Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
        QCOMPARE(e->text(), QString("234"));
        press(Qt::Key_End, Qt::NoModifier, QString());
        press(Qt::Key_A, Qt::ControlModifier, QString(QChar(0x01)));
        QCOMPARE(e->selectedText(), QString("234"));
        press(Qt::Key_C, Qt::ControlModifier, QString(QChar(0x03)));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("234"));
        press(Qt::Key_X, Qt::ControlModifier, QString(QChar(0x18)));
        QCOMPARE(e->text(), QString());
        press(Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
        QCOMPARE(e->text(), QString("234"));
        press(Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
        QCOMPARE(e->text(), QString("2345"));
        press(Qt::Key_Z, Qt::ControlModifier, QString(QChar(0x1A)));
        QCOMPARE(e->text(), QString("234"));
        // A character outside the set is still refused, also with AltGr (Ctrl+Alt on Windows).
        press(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        press(Qt::Key_A, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("ą"));
        QCOMPARE(e->text(), QString("234"));
    }

    // ---------------------------------------------------------------- changes marked red

    // A read, a loaded file and closing the window would drop fields marked as changed: the person is
    // asked first, "Nie" preselected, and "Nie" leaves everything as it was. Unmarked, nothing is asked.
    void markedChangesAreAskedAboutFirst_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<bool>("yes");
        for (const char* trigger : {"Icon_get", "Pobierz1", "SpeedButton2", "Odczyt1", "close"}) {
            QTest::addRow("%s, nothing marked", trigger) << QString(trigger) << false << false;
            QTest::addRow("%s, marked, Nie", trigger) << QString(trigger) << true << false;
            QTest::addRow("%s, marked, Tak", trigger) << QString(trigger) << true << true;
        }
    }
    void markedChangesAreAskedAboutFirst() {
        QFETCH(QString, trigger);
        QFETCH(bool, marked);
        QFETCH(bool, yes);
        SimRig rig;
        TMain& w = rig.w();
        QVERIFY(rig.login() && rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 40));
        const QString recorders = QString::fromLatin1(rig.recorder.itemForCode(8));  // Edit_Tel1
        if (marked) w.Config->setText(TextField::Edit_Tel1, QStringLiteral("+48111"));
        const QString shown = w.Config->text(TextField::Edit_Tel1);
        rig.recorder.clearLog();
        rig.people.clear();
        rig.people.yesNoAnswers.enqueue(yes);
        bool closed = false;
        if (trigger == "Icon_get") w.Icon_get->click();
        if (trigger == "Pobierz1") w.Pobierz1->trigger();
        if (trigger == "SpeedButton2") w.SpeedButton2->click();
        if (trigger == "Odczyt1") w.Odczyt1->trigger();
        if (trigger == "close") closed = w.close();

        QStringList expected;
        if (marked) expected << "ask (Nie): Zmienione pola nie zostały zapisane do MX-4 ani do pliku. Kontynuować?";
        const bool goesOn = !marked || yes;
        const bool read = trigger == "Icon_get" || trigger == "Pobierz1";
        const bool load = trigger == "SpeedButton2" || trigger == "Odczyt1";
        if (goesOn && load) expected << "open: Plik konfiguracji MX-4 (*.ncf)";
        QCOMPARE(rig.people.shown, expected);
        QCOMPARE(codesOf(rig.recorder).contains(8), read && goesOn);
        QCOMPARE(w.Config->text(TextField::Edit_Tel1), read && goesOn ? recorders : shown);
        QCOMPARE(backgroundOf(w.Config->Edit_Tel1) == Colour::Red, marked && !(read && goesOn));
        QCOMPARE(closed, trigger == "close" && goesOn);
        QCOMPARE(rig.wire.Connected(), !closed);
        QCOMPARE(rig.loggedIn(), !closed);
    }

    // ---------------------------------------------------------------- titles, hints, shutdown

    void usedCountersCarryTheirHints() {
        WindowRig<FakePort> rig;
        QCOMPARE(rig.w().Config->LabelSMS->toolTip(), QString("Ilość wykorzystanych SMS z limitu dobowego"));
        QCOMPARE(rig.w().Config->LabelVoice->toolTip(),
                 QString("Ilość wykorzystanych połączeń głosowych z limitu dobowego"));
    }

    void everyTitleIsExactlyItsCaption() {
        applyAppStyle(*qApp);
        // With a display name set, Qt appends it to every title bar ("Porty COM — MX-4 Konfig").
        QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        QCOMPARE(w.windowTitle(), QString("MX-4 Konfig v 1.02"));
        QCOMPARE(w.FormJakieCOM->windowTitle(), QString("Porty COM"));
        QCOMPARE(w.FormCom->windowTitle(), QString());
        TFboot boot(w.maintenance, &w);
        QCOMPARE(boot.windowTitle(), QString("Bootloader"));
        TFhaslo_nowe password(w.maintenance, &w);
        QCOMPARE(password.windowTitle(), QString("Fhaslo_nowe"));
        TFInfo info(&w);
        QCOMPARE(info.windowTitle(), QString("Info"));
    }

    void shutdownKeepsTheSecondBeforeThePortCloses() {
        SimRig rig;
        QVERIFY(rig.login());
        rig.recorder.clearLog();
        const quint64 before = rig.link().tickCount();
        rig.w().close();
        QVERIFY(!rig.wire.Connected());
        // The one-second pause of dropping the connection ran: about ten ticks, not none.
        QVERIFY2(rig.link().tickCount() - before >= 9, qPrintable(QString::number(rig.link().tickCount() - before)));
        QVERIFY(rig.recorder.received().isEmpty());
        QCOMPARE(rig.link().activity().current(), Activity::ShuttingDown);
        // Nothing starts any more.
        Q_EMIT rig.w().Button_polacz->clicked();
        QVERIFY(!rig.wire.Connected());
    }
};

QTEST_MAIN(InteractionTest)
#include "tst_interaction.moc"
