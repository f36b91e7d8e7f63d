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
        // The area stands to the right of the main column, at its top.
        QVERIFY(a.geometry().left() >= w.GroupBox8->geometry().right());
        QVERIFY(a.height() <= w.centralWidget()->height());
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
