// Pictures of what a user sees: the window at start, logged in with the live status, with the
// configuration area open, and enlarged. They are written next to the test binary (or to
// MX4_SCREENSHOT_DIR) for a person to look at; the test checks that nothing overlaps and that every
// caption fits.

#include "config/ConfigArea.h"
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
};

QTEST_MAIN(ScreenshotsTest)
#include "tst_screenshots.moc"
