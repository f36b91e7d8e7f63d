// The configuration area in the main window: what start-up leaves in it, no overlapping controls, no
// clipped caption on either tab, and screenshots for a person to look at (written next to the test).

#include "support/FakePort.h"
#include "support/LayoutChecks.h"
#include "support/WindowRig.h"
#include "tst_config_rig.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QToolButton>

using layout::clipped;
using layout::overlaps;

class ConfigLayoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Start-up in the window: the temperature settings rendered, the displays in the window colour.
    void startUpInTheWindow() {
        WindowRig<FakePort> rig;
        ConfigArea& a = *rig.w().Config;
        QVERIFY(!a.boxesVisible());
        QCOMPARE(a.tempSettings(), (TempSettings{130, 136, 0}));
        QCOMPARE(a.Edit_T1Min->text(), QString("+2"));
        QCOMPARE(a.Edit_T1Max->text(), QString("+8"));
        QCOMPARE(a.Edit_T1Korekta->text(), QString("+0,0"));
        for (QWidget* w : std::initializer_list<QWidget*>{a.Edit_T1Min, a.Edit_T1Max, a.Edit_T1Korekta})
            QCOMPARE(backgroundOf(w), windowColour());
        QCOMPARE(backgroundOf(a.Edit_T1n), Colour::SkyBlue);
        QVERIFY(a.values() == ConfigValues::defaults());
    }

    void layoutAndScreenshots() {
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.ButtonKonfig->click();
        QTRY_VERIFY(w.Config->BoxCzujnik->isVisible());
        QTest::qWait(50);
        ConfigArea& a = *w.Config;
        // The area stands to the right of the main column, at its top, and the window has grown to show
        // all of it and all of the column: nothing is cut off at the right or the bottom.
        QVERIFY(a.geometry().left() >= w.GroupBox8->geometry().right());
        const QRect inWindow(a.mapTo(&w, QPoint(0, 0)), a.size());
        const QRect column(w.PanelKomunikacji->mapTo(&w, QPoint(0, 0)), w.PanelKomunikacji->size());
        QVERIFY2(qAbs(inWindow.top() - column.top()) <= 12, qPrintable(QString::number(inWindow.top() - column.top())));
        for (QWidget* shown : std::initializer_list<QWidget*>{&a, w.GroupBox8, a.BoxTelefony, a.BoxOpcjeWejsc,
                                                              a.BoxOpcjeWyjsc, a.BoxCzujnik, a.Boxwejscia}) {
            const QRect r(shown->mapTo(&w, QPoint(0, 0)), shown->size());
            QVERIFY2(w.rect().contains(r), qPrintable(shown->objectName()));
            // No parent on the way up cuts it off either.
            for (QWidget* p = shown; p != &w; p = p->parentWidget())
                QVERIFY2(p->parentWidget()->rect().contains(p->geometry()), qPrintable(shown->objectName() + " in " + p->objectName()));
        }
        const QString dir = QCoreApplication::applicationDirPath();
        QVERIFY(w.grab().save(dir + "/config-window.png"));
        QVERIFY(a.grab().save(dir + "/config-area.png"));
        QCOMPARE(overlaps(&a), QStringList());
        QCOMPARE(clipped(&a), QStringList());
        a.TabSMSVoice->setCurrentIndex(1);
        QTest::qWait(20);
        QVERIFY(a.BoxOpcjeWejsc->grab().save(dir + "/config-voice.png"));
        QCOMPARE(overlaps(&a), QStringList());
        QCOMPARE(clipped(&a), QStringList());
    }
};

QTEST_MAIN(ConfigLayoutTest)
#include "tst_config_layout.moc"
