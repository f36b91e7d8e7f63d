// Password change, clock, restart, counter reset and the about box through the main window, against the
// simulated recorder.

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
namespace {
const QString kNoAnswer = QStringLiteral("error: Brak odpowiedzi z MX-4");
}  // namespace

class MaintServiceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void confirmedPasswordIsUsedByTheNextLogin() {
        MaintRig rig;
        rig.logIn();
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
        QCOMPARE(rig.received(kPasswordCode), QByteArrayList{"5678"});
        QCOMPARE(rig.recorder.password(), QByteArray("5678"));
        QCOMPARE(rig.people.messages(), QStringList{"information: Hasło zmienione"});
        QCOMPARE(rig.w().Edit_haslo->text(), QString("5678"));
        QVERIFY(rig.link().st.loggedIn);
        QVERIFY(rig.link().st.pollingEnabled);
        QVERIFY(!rig.w().StatusBar->isHidden());

        // Out and in again: the next login sends the new password, and the recorder takes it.
        rig.w().Button_rozlacz->click();
        QVERIFY(!rig.wire.Connected());
        rig.recorder.clearLog();
        rig.w().Button_polacz->click();
        QCOMPARE(rig.received(1), QByteArrayList{"5678"});
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
        MaintRig rig;
        rig.logIn();
        whenModal<TFhaslo_nowe>([&](TFhaslo_nowe* d) {
            d->Edit_haslo_nowe->setText("9999");
            if (how == 0) d->Button2->click();
            else if (how == 1) d->close();
            else QTest::keyClick(d, Qt::Key_Escape);
        });
        rig.w().Button_zmiana_hasla->click();
        QVERIFY(rig.received(kPasswordCode).isEmpty());
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
        MaintRig rig;
        rig.logIn();
        bool stayedOpen = false;
        whenModal<TFhaslo_nowe>([&](TFhaslo_nowe* d) {
            d->Edit_haslo_nowe->setText(text);
            d->Button1->click();
            stayedOpen = d->isVisible() && d->Button1->isEnabled();
            d->Button2->click();
        });
        rig.w().Button_zmiana_hasla->click();
        QVERIFY(stayedOpen);
        QVERIFY(rig.received(kPasswordCode).isEmpty());
        QCOMPARE(rig.people.shown.size(), 2);
        QCOMPARE(rig.people.shown.at(0), QString("beep"));
        QVERIFY2(rig.people.shown.at(1).startsWith("error: Hasło musi"), qPrintable(rig.people.shown.at(1)));
        QCOMPARE(rig.w().Edit_haslo->text(), QString("1234"));
        QVERIFY(rig.link().st.loggedIn);
    }

    void unansweredPasswordChangeKeepsTheOldPassword() {
        MaintRig rig;
        rig.logIn();
        bool stayedOpen = false;
        whenModal<TFhaslo_nowe>([&](TFhaslo_nowe* d) {
            d->Edit_haslo_nowe->setText("4321");
            d->Button1->click();
            stayedOpen = d->isVisible();
            d->Button2->click();
        });
        rig.recorder.faults().silentCodes.insert(kPasswordCode);
        rig.w().Button_zmiana_hasla->click();
        QVERIFY(stayedOpen);
        QCOMPARE(rig.received(kPasswordCode).size(), 3);
        QCOMPARE(rig.recorder.password(), QByteArray("1234"));
        QCOMPARE(rig.people.messages(), QStringList{kNoAnswer});
        QCOMPARE(rig.w().Edit_haslo->text(), QString("1234"));
        QVERIFY(!rig.link().st.loggedIn);
        QVERIFY(!rig.wire.Connected());
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
    }

    void clockIsSetFromOneReading() {
        MaintRig rig;
        rig.logIn();
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
        QCOMPARE(rig.received(kClockCode), QByteArrayList{QByteArray::fromHex("1A0C07040624")});
        QCOMPARE(rig.recorder.clockNow().date(), QDate(2026, 12, 7));
        QVERIFY(!pollingDuringSend);
        QCOMPARE(rig.people.messages(), QStringList{"information: Ustawiono zegar w MX-4"});
        QVERIFY(rig.link().st.pollingEnabled);
        QVERIFY(rig.link().st.loggedIn);
    }

    void unansweredClockRestartsTheLiveStatusAnyway() {
        MaintRig rig;
        rig.logIn();
        rig.recorder.faults().silentCodes.insert(kClockCode);
        rig.w().ButtonZegar->click();
        QCOMPARE(rig.received(kClockCode).size(), 3);
        QCOMPARE(rig.people.messages(), QStringList{kNoAnswer});
        QVERIFY(!rig.link().st.loggedIn);
        QVERIFY(!rig.wire.Connected());
        QVERIFY(rig.link().st.pollingEnabled);
    }

    void restartWritesOneFrameAndShowsNothing() {
        MaintRig rig;
        rig.logIn();
        QByteArrayList written;
        QObject::connect(&rig.link(), &Link::frameSent, [&](const QByteArray& f) { written.append(f); });
        rig.w().ButtonRestart->click();
        QVERIFY(rig.waitFor([&] { return rig.recorder.inBootloader(); }));
        QCOMPARE(written, QByteArrayList{QByteArray::fromHex("4EFF014290")});
        QVERIFY(rig.people.shown.isEmpty());
        QVERIFY(rig.link().st.loggedIn);
        QVERIFY(rig.wire.Connected());
    }

    void counterResetWritesOneFrameAndShowsNothing() {
        MaintRig rig;
        rig.recorder.live().smsToday = 7;
        rig.recorder.live().voiceToday = 3;
        rig.logIn();
        QByteArrayList written;
        QObject::connect(&rig.link(), &Link::frameSent, [&](const QByteArray& f) {
            if (quint8(f.at(1)) != 253) written.append(f);
        });
        rig.w().ButtonResetlimit->click();
        QVERIFY(rig.waitFor([&] { return rig.recorder.live().smsToday == 0; }));
        rig.runTicks(25);
        QCOMPARE(written, QByteArrayList{QByteArray::fromHex("4EFE014794")});
        QCOMPARE(rig.recorder.live().voiceToday, 0);
        QVERIFY(rig.people.shown.isEmpty());
        QVERIFY(rig.link().st.loggedIn);
        QVERIFY(rig.wire.Connected());
    }

    void aboutBoxIsFreshEachTime() {
        MaintRig rig;
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
        QCOMPARE(name, QString("Konfigurator MX-4 v1.02"));
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
        QVERIFY(rig.recorder.received().isEmpty());
    }
};

QTEST_MAIN(MaintServiceTest)
#include "tst_maint_service.moc"
