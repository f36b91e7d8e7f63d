// Pictures of what a user sees: the window at start, logged in with the live status, and with the
// configuration area open. They are written next to the test binary (or to MX4_SCREENSHOT_DIR) for a
// person to look at; the test checks that nothing overlaps and that every caption fits.

#include "config/ConfigArea.h"
#include "support/WindowRig.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <QtTest>

namespace {
QString screenshotDir() {
    const QString dir = qEnvironmentVariable("MX4_SCREENSHOT_DIR", QCoreApplication::applicationDirPath());
    QDir().mkpath(dir);
    return dir;
}

// Visible siblings whose rectangles intersect, among the direct children of each container.
QStringList overlaps(QWidget* root) {
    QStringList found;
    const auto containers = root->findChildren<QWidget*>();
    for (QWidget* parent : containers) {
        QList<QWidget*> kids;
        for (QObject* o : parent->children())
            if (auto* k = qobject_cast<QWidget*>(o); k && k->isVisible() && !k->isWindow()) kids.append(k);
        for (int i = 0; i < kids.size(); ++i)
            for (int j = i + 1; j < kids.size(); ++j)
                if (kids[i]->geometry().intersects(kids[j]->geometry()))
                    found.append(kids[i]->objectName() + "/" + kids[j]->objectName() + " in " +
                                 parent->objectName());
    }
    return found;
}

// Buttons and labels whose text is wider than the room they were given.
QStringList clipped(QWidget* root) {
    QStringList found;
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || b->text().isEmpty() || qobject_cast<QToolButton*>(b)) continue;
        if (b->fontMetrics().horizontalAdvance(b->text()) > b->width() - 4) found.append(b->objectName());
    }
    for (QLabel* l : root->findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty() || l->wordWrap()) continue;
        if (l->fontMetrics().horizontalAdvance(l->text()) > l->width()) found.append(l->objectName() + ":" + l->text());
    }
    return found;
}

void save(QWidget* w, const QString& name) {
    const QString path = screenshotDir() + "/" + name;
    QVERIFY2(w->grab().save(path), qPrintable(path));
}
}  // namespace

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
    }
};

QTEST_MAIN(ScreenshotsTest)
#include "tst_screenshots.moc"
