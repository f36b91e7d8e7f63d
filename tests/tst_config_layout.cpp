// The configuration area in the main window: what start-up leaves in it, no overlapping controls, no
// clipped caption on either tab, and screenshots for a person to look at (written next to the test).

#include "support/FakePort.h"
#include "support/WindowRig.h"
#include "tst_config_rig.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QToolButton>

namespace {
// Visible siblings whose rectangles intersect, among the direct children of each container.
QStringList overlaps(QWidget* root) {
    QStringList found;
    QList<QWidget*> containers = root->findChildren<QWidget*>();
    containers.prepend(root);
    for (QWidget* parent : containers) {
        QList<QWidget*> kids;
        for (QObject* o : parent->children())
            if (auto* k = qobject_cast<QWidget*>(o); k && k->isVisible() && !k->isWindow()) kids.append(k);
        for (int i = 0; i < kids.size(); ++i)
            for (int j = i + 1; j < kids.size(); ++j)
                if (kids[i]->geometry().intersects(kids[j]->geometry()))
                    found.append(kids[i]->objectName() + "/" + kids[j]->objectName() + " in " + parent->objectName());
    }
    return found;
}

// Captions wider than the room they were given, and fields narrower than their typing limit needs.
QStringList clipped(QWidget* root) {
    QStringList found;
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || b->text().isEmpty() || qobject_cast<QToolButton*>(b)) continue;
        const int indicator = qobject_cast<QCheckBox*>(b) ? 20 : 4;
        if (b->fontMetrics().horizontalAdvance(b->text()) > b->width() - indicator) found.append(b->objectName());
    }
    for (QLabel* l : root->findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty()) continue;
        if (l->fontMetrics().horizontalAdvance(l->text()) > l->width()) found.append(l->text());
    }
    for (ConfigEdit* e : root->findChildren<ConfigEdit*>()) {
        if (!e->isVisible() || e->typingLimit() > 15) continue;  // the 30-character texts scroll
        const bool numeric = e->charSet() == CharSet::Digits || e->charSet() == CharSet::Telephone;
        const QString full(e->typingLimit(), QLatin1Char(numeric ? '8' : 'W'));
        if (e->fontMetrics().horizontalAdvance(full) > e->width() - 6) found.append(e->objectName());
    }
    return found;
}

}  // namespace

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
