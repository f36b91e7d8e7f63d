// The fixed pauses, in the product's milliseconds (the window runs with its real 100 ms tick): one
// second between the port opening and the preamble and one before the login, 10 ms after each command
// before the next, and in the firmware update 2 s after the restart, 2 s before the end command and the
// second of the dropped line plus one more before the dialog closes. Only lower bounds are checked: a
// busy machine can make a pause longer, never shorter.

#include "config/ConfigItems.h"
#include "maintenance/BootDialog.h"
#include "tst_maint_rig.h"

#include <QElapsedTimer>
#include <QToolButton>
#include <QtTest>

using namespace maint;

namespace {
struct ProductTickRig : RigBase {
    Recorder recorder;
    SimWire wire{&recorder};
    QElapsedTimer clock;
    QList<QPair<quint8, qint64>> sent;  // code, ms since the rig started

    ProductTickRig() {
        makeWindow(&wire, {{SimWire::defaultPortName(), QStringLiteral("symulator")}}, Link::kProductTickMs);
        clock.start();
        QObject::connect(w().link(), &Link::frameSent, &wire,
                         [this](const QByteArray& frame) { sent.append({quint8(frame.at(1)), clock.elapsed()}); });
    }
    ~ProductTickRig() { dropWindow(); }
    qint64 firstSent(quint8 code) const {
        for (const auto& s : sent)
            if (s.first == code) return s.second;
        return -1;
    }
    qint64 lastSent(quint8 code) const {
        for (int i = sent.size() - 1; i >= 0; --i)
            if (sent[i].first == code) return sent[i].second;
        return -1;
    }
};

// Fires once when the widget is hidden.
class HideWatch : public QObject {
public:
    qint64 at = -1;
    const QElapsedTimer* clock = nullptr;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide && at < 0) at = clock->elapsed();
        return false;
    }
};
}  // namespace

class PausesTest : public QObject {
    Q_OBJECT
    Files files;

private Q_SLOTS:
    void preamble() {
        ProductTickRig rig;
        qint64 opened = -1;
        QObject::connect(rig.w().Edit_status, &QLineEdit::textChanged, &rig.wire, [&](const QString& t) {
            if (t == QStringLiteral("POŁĄCZONY") && opened < 0) opened = rig.clock.elapsed();
        });
        rig.w().Button_polacz->click();
        QVERIFY(rig.loggedIn());
        const qint64 preamble = rig.firstSent(0), login = rig.firstSent(1);
        QVERIFY(opened >= 0 && preamble >= 0 && login >= 0);
        QVERIFY2(preamble - opened >= 1000, qPrintable(QString::number(preamble - opened)));
        QVERIFY2(login - preamble >= 1000, qPrintable(QString::number(login - preamble)));
    }

    // Each command of a read and of a write waits 10 ms after its answer before the next goes out.
    void tenMillisecondsAfterEachCommand() {
        ProductTickRig rig;
        rig.w().Button_polacz->click();
        QVERIFY(rig.waitFor([&] { return rig.w().Icon_get->isEnabled(); }, 30));
        rig.waitFor([&] { return !rig.link().exchangeActive(); }, 5);
        for (QToolButton* b : {rig.w().Icon_get, rig.w().Icon_put}) {
            rig.sent.clear();
            b->click();
            QList<qint64> items;
            for (const auto& s : rig.sent)
                if (s.first >= 4 && s.first <= 85) items << s.second;
            QCOMPARE(items.size(), kConfigItemCount);
            for (int i = 1; i < items.size(); ++i)
                QVERIFY2(items[i] - items[i - 1] >= 10, qPrintable(QStringLiteral("item %1: %2 ms").arg(i + 1).arg(items[i] - items[i - 1])));
        }
    }

    void firmwareUpdate() {
        ProductTickRig rig;
        const QString path = files.write("fw.nfr", imageFile(firmwareOf(300)));  // three blocks
        rig.people.fileAnswers.enqueue(path);
        HideWatch closed;
        closed.clock = &rig.clock;
        whenModal<TFboot>([&](TFboot* d) {
            d->installEventFilter(&closed);
            d->Button1->click();
            d->ButtonStart->click();
        });
        rig.w().ButtonFirmware->click();
        QVERIFY2(rig.people.shown.contains("information: Aktualizacja zakonczona"), qPrintable(rig.people.shown.join(" | ")));
        const qint64 restart = rig.firstSent(255), firstBlock = rig.firstSent(101), lastBlock = rig.lastSent(101),
                     end = rig.firstSent(102);
        QVERIFY(restart >= 0 && firstBlock >= 0 && end >= 0 && closed.at >= 0);
        QVERIFY2(firstBlock - restart >= 2000, qPrintable(QString::number(firstBlock - restart)));
        QVERIFY2(end - lastBlock >= 2000, qPrintable(QString::number(end - lastBlock)));
        // The line is dropped with its one-second pause, then one more second before the dialog closes.
        QVERIFY2(closed.at - end >= 2000, qPrintable(QString::number(closed.at - end)));
    }
};

QTEST_MAIN(PausesTest)
#include "tst_pauses.moc"
