// Pictures of what a user sees: the window at start, logged in with the live status, with the
// configuration area open, and enlarged; the temperature chart of the demo's register. They are written next to the test binary (or to
// MX4_SCREENSHOT_DIR) for a person to look at; the test checks that nothing overlaps and that every
// caption fits.

#include "config/ConfigArea.h"
#include "events/EventChart.h"
#include "sim/RecorderData.h"
#include "support/LayoutChecks.h"
#include "support/WindowRig.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {
QString screenshotDir() {
    const QString dir = qEnvironmentVariable("MX4_SCREENSHOT_DIR", QCoreApplication::applicationDirPath());
    QDir().mkpath(dir);
    return dir;
}

void save(QWidget* w, const QString& name) {
    const QString path = screenshotDir() + "/" + name;
    QVERIFY2(w->grab().save(path), qPrintable(path));
}
}  // namespace

using layout::clipped;
using layout::overlaps;

class ScreenshotsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void atStartLoggedInAndConfigured() {
        SimRig rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        save(&w, "window-start.png");
        QCOMPARE(overlaps(&w), QStringList());
        QCOMPARE(clipped(&w), QStringList());

        QVERIFY(rig.login());
        QVERIFY(rig.waitFor([&] { return w.Icon_get->isEnabled(); }, 40));
        save(&w, "window-logged-in.png");
        QCOMPARE(overlaps(&w), QStringList());
        QCOMPARE(clipped(&w), QStringList());

        w.ButtonKonfig->click();
        QTRY_VERIFY(w.Config->BoxCzujnik->isVisible());
        QTest::qWait(50);
        save(&w, "window-configuration.png");
        QCOMPARE(overlaps(&w), QStringList());
        QCOMPARE(clipped(&w), QStringList());

        // Enlarged: the event list takes the room.
        w.resize(w.size() + QSize(250, 200));
        QTRY_VERIFY(w.trm->height() > 400);
        QTest::qWait(20);
        save(&w, "window-enlarged.png");
        QCOMPARE(overlaps(&w), QStringList());
        QCOMPARE(clipped(&w), QStringList());
    }

    // The demo's register (300 records over two weeks) against the simulated recorder's thresholds, as
    // docs/chart.png shows it.
    void chartOfTheDemoRegister() {
        QVector<EventRecord> records;
        for (const QByteArray& p : MakeRegister(300, 2024, QDateTime(QDate(2026, 11, 25), QTime(9, 0))))
            records.append(*DecodeEventData(p));
        ScriptedPeople people;
        TFormWykres chart(&people, nullptr);
        chart.showRegister(records, ChartThresholds{143, 158}, QStringLiteral("MX-4 v 1.2"));
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QTest::qWait(20);
        save(&chart, "chart.png");
        QCOMPARE(overlaps(&chart), QStringList());
        QCOMPARE(clipped(&chart), QStringList());
    }
};

QTEST_MAIN(ScreenshotsTest)
#include "tst_screenshots.moc"
