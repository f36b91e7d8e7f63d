// Password change, clock, restart, counter reset and the about box through the main window.

#include "app/MainWindow.h"
#include "link/Link.h"
#include "maintenance/InfoDialog.h"
#include "maintenance/Maintenance.h"
#include "maintenance/PasswordDialog.h"
#include "maintenance/ServiceCommands.h"
#include "tst_maint_rig.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace maint;
using Rig = WindowRig<FakePort>;

namespace {
const QString kNoAnswer = QStringLiteral("error: Brak odpowiedzi z MX-4");

void logIn(Rig& rig) {
    rig.w().Button_polacz->click();
    if (!rig.link().st.loggedIn) qFatal("login failed");
    // Let the login reply's dispatch finish, so the dialogs' drivers do not run inside it.
    rig.runTicks(1);
    rig.people.clear();
}

QByteArrayList framesWithCode(const FakePort& port, quint8 code) {
    QByteArrayList out;
    for (const QByteArray& f : port.written)
        if (quint8(f.at(1)) == code) out.append(f);
    return out;
}
}  // namespace

class MaintServiceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void confirmedPasswordIsUsedByTheNextLogin() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        recorder.confirms = {2, kPasswordCode};
        logIn(rig);
        QPointer<TFhaslo_nowe> dialog;
        QString startText;
        bool pollingWhileOpen = true;
        whenModal<TFhaslo_nowe>([&](TFhaslo_nowe* d) {
            dialog = d;
            startText = d->Edit_haslo_nowe->text();
            pollingWhileOpen = rig.link().st.pollingEnabled;
            d->Edit_haslo_nowe->setText("5678");
            d->Button1->click();
        });
        rig.w().Button_zmiana_hasla->click();
        QCOMPARE(startText, QString("1234"));
        QVERIFY(!pollingWhileOpen);
        QVERIFY(dialog.isNull());
        QCOMPARE(framesWithCode(rig.port, kPasswordCode), QByteArrayList{BuildCommandFrame(3, "5678")});
        QCOMPARE(rig.people.messages(), QStringList{"information: Hasło zmienione"});
        QCOMPARE(rig.w().Edit_haslo->text(), QString("5678"));
        QVERIFY(rig.link().st.loggedIn);
        QVERIFY(rig.link().st.pollingEnabled);
        QVERIFY(!rig.w().StatusBar->isHidden());

        // The recorder now wants the new password, and the next login sends it.
        recorder.password = "5678";
        rig.w().Button_rozlacz->click();
        QVERIFY(!rig.port.Connected());
        rig.port.written.clear();
        rig.w().Button_polacz->click();
        QCOMPARE(framesWithCode(rig.port, 1), QByteArrayList{BuildCommandFrame(1, "5678")});
        QVERIFY(rig.link().st.loggedIn);
    }

    void closingWithoutSavingSendsNothing_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Anuluj") << 0;
        QTest::newRow("close box") << 1;
        QTest::newRow("Escape") << 2;
    }
    void closingWithoutSavingSendsNothing() {
        QFETCH(int, how);
        Rig rig;
        FakeRecorder recorder(rig.port);
        logIn(rig);
        whenModal<TFhaslo_nowe>([&](TFhaslo_nowe* d) {
            d->Edit_haslo_nowe->setText("9999");
            if (how == 0) d->Button2->click();
            else if (how == 1) d->close();
            else QTest::keyClick(d, Qt::Key_Escape);
        });
        rig.w().Button_zmiana_hasla->click();
        QVERIFY(framesWithCode(rig.port, kPasswordCode).isEmpty());
        QCOMPARE(rig.w().Edit_haslo->text(), QString("1234"));
        QVERIFY(rig.people.shown.isEmpty());
        // Closing, whatever closed it, resumed the live status.
        QVERIFY(rig.link().st.pollingEnabled);
    }

    void passwordsTheLoginCannotHoldAreRefused_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("three digits") << "123";
        QTest::newRow("letters") << "abcd";
        QTest::newRow("five digits") << "12345";
        QTest::newRow("empty") << "";
        QTest::newRow("digits with a space") << "12 4";
    }
    void passwordsTheLoginCannotHoldAreRefused() {
        QFETCH(QString, text);
        Rig rig;
        FakeRecorder recorder(rig.port);
        recorder.confirms = {kPasswordCode};
        logIn(rig);
        bool stayedOpen = false;
        whenModal<TFhaslo_nowe>([&](TFhaslo_nowe* d) {
            d->Edit_haslo_nowe->setText(text);
            d->Button1->click();
            stayedOpen = d->isVisible() && d->Button1->isEnabled();
            d->Button2->click();
        });
        rig.w().Button_zmiana_hasla->click();
        QVERIFY(stayedOpen);
        QVERIFY(framesWithCode(rig.port, kPasswordCode).isEmpty());
        QCOMPARE(rig.people.shown.size(), 2);
        QCOMPARE(rig.people.shown.at(0), QString("beep"));
        QVERIFY2(rig.people.shown.at(1).startsWith("error: Hasło musi"), qPrintable(rig.people.shown.at(1)));
        QCOMPARE(rig.w().Edit_haslo->text(), QString("1234"));
        QVERIFY(rig.link().st.loggedIn);
    }

    void unansweredPasswordChangeKeepsTheOldPassword() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        logIn(rig);
        bool stayedOpen = false;
        whenModal<TFhaslo_nowe>([&](TFhaslo_nowe* d) {
            d->Edit_haslo_nowe->setText("4321");
            d->Button1->click();
            stayedOpen = d->isVisible();
            d->Button2->click();
        });
        rig.w().Button_zmiana_hasla->click();
        QVERIFY(stayedOpen);
        QCOMPARE(framesWithCode(rig.port, kPasswordCode).size(), 3);
        QCOMPARE(rig.people.messages(), QStringList{kNoAnswer});
        QCOMPARE(rig.w().Edit_haslo->text(), QString("1234"));
        QVERIFY(!rig.link().st.loggedIn);
        QVERIFY(!rig.port.Connected());
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
    }

    void clockIsSetFromOneReading() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        recorder.confirms = {kClockCode};
        logIn(rig);
        int readings = 0;
        rig.w().maintenance->setClockSource([&] {
            ++readings;
            return QDateTime(QDate(2026, 12, 7), QTime(4, 6, 36));
        });
        bool pollingDuringSend = true;
        QObject::connect(&rig.link(), &Link::frameSent, [&](const QByteArray& f) {
            if (quint8(f.at(1)) == kClockCode) pollingDuringSend = rig.link().st.pollingEnabled;
        });
        rig.w().ButtonZegar->click();
        QCOMPARE(readings, 1);
        QCOMPARE(framesWithCode(rig.port, kClockCode), QByteArrayList{QByteArray::fromHex("4E5E061A0C070406240D")});
        QVERIFY(!pollingDuringSend);
        QCOMPARE(rig.people.messages(), QStringList{"information: Ustawiono zegar w MX-4"});
        QVERIFY(rig.link().st.pollingEnabled);
        QVERIFY(rig.link().st.loggedIn);
    }

    void unansweredClockRestartsTheLiveStatusAnyway() {
        Rig rig;
        FakeRecorder recorder(rig.port);
        logIn(rig);
        rig.w().ButtonZegar->click();
        QCOMPARE(framesWithCode(rig.port, kClockCode).size(), 3);
        QCOMPARE(rig.people.messages(), QStringList{kNoAnswer});
        QVERIFY(!rig.link().st.loggedIn);
        QVERIFY(!rig.port.Connected());
        QVERIFY(rig.link().st.pollingEnabled);
    }

    void oneFrameCommands_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("Restart MX-4") << "ButtonRestart" << QByteArray::fromHex("4EFF014290");
        QTest::newRow("Zeruj liczniki") << "ButtonResetlimit" << QByteArray::fromHex("4EFE014794");
    }
    void oneFrameCommands() {
        QFETCH(QString, button);
        QFETCH(QByteArray, frame);
        Rig rig;
        FakeRecorder recorder(rig.port);
        logIn(rig);
        rig.port.written.clear();
        auto* b = rig.w().findChild<QPushButton*>(button);
        QVERIFY(b);
        b->click();
        const quint8 code = quint8(frame.at(1));
        QVERIFY(rig.waitFor([&] { return !framesWithCode(rig.port, code).isEmpty(); }));
        rig.runTicks(30);
        QCOMPARE(framesWithCode(rig.port, code), QByteArrayList{frame});
        // Nothing but the periodic status request besides it, nothing shown, still logged in.
        QCOMPARE(framesWithCode(rig.port, 253).size() + 1, rig.port.written.size());
        QVERIFY(rig.people.shown.isEmpty());
        QVERIFY(rig.link().st.loggedIn);
        QVERIFY(rig.port.Connected());
    }

    void aboutBoxIsFreshEachTime() {
        Rig rig;
        QPointer<TFInfo> first, second;
        bool secondWasMarked = true;
        QString title, name, maker, service;
        bool bold = false, fixed = false, okSpans = false;
        whenModal<TFInfo>([&](TFInfo* d) {
            first = d;
            d->setProperty("seen", true);
            title = d->windowTitle();
            name = d->Label1->text();
            bold = d->Label1->font().bold();
            maker = d->LabelProducent->text();
            service = d->LabelSerwis->text();
            fixed = d->minimumSize() == d->maximumSize();
            okSpans = d->Button1->width() >= d->width() - 40;
            d->Button1->click();
        });
        rig.w().Oprogramie1->trigger();
        QVERIFY(first.isNull());
        QCOMPARE(title, QString("Info"));
        QCOMPARE(name, QString("Konfigurator MX-4 v1.0"));
        QVERIFY(bold);
        QVERIFY(maker.startsWith("Producent: "));
        QVERIFY(service.contains("e-mail:"));
        QVERIFY(fixed);
        QVERIFY(okSpans);
        whenModal<TFInfo>([&](TFInfo* d) {
            second = d;
            secondWasMarked = d->property("seen").isValid();
            d->close();
        });
        rig.w().Oprogramie1->trigger();
        QVERIFY(!secondWasMarked);
        QVERIFY(second.isNull());
        QVERIFY(rig.port.written.isEmpty());
    }
};

QTEST_MAIN(MaintServiceTest)
#include "tst_maint_service.moc"
