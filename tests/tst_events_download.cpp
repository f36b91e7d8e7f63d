// Downloading the event register through the main window, against the simulated recorder.

#include "link/Frame.h"
#include "support/FakePort.h"
#include "tst_events_rig.h"

#include <QScrollBar>
#include <QStatusBar>
#include <QtTest>

using namespace ev;

namespace {
QByteArray record(int code, int minute = 5) {
    return SimEventRecord{2024, 3, 7, 8, minute, 3, code, 300}.toBytes();
}
}  // namespace

class EventsDownloadTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeRegisterInOrder() {
        EventRig rig;
        rig.recorder.fillRegister(300, 7, QDateTime(QDate(2023, 12, 30), QTime(22, 0)), true);
        const QVector<QByteArray> records = rig.recorder.records();
        rig.logIn();
        TMain& w = rig.w();

        // What the window looks like when the request goes out, and what went out before it.
        QStringList atRequest;
        bool pollingAtRequest = true;
        quint64 requestTick = 0;
        QList<quint8> sentAfterClick;
        connect(w.link(), &Link::frameSent, this, [&](const QByteArray& frame) {
            sentAfterClick << quint8(frame.at(1));
            if (quint8(frame.at(1)) != EventRegister::kStartCode) return;
            atRequest = wrongControls(w, Arrangement::Downloading);
            pollingAtRequest = rig.link().st.pollingEnabled || !w.StatusBar->isHidden();
            requestTick = rig.link().tickCount();
        });
        w.trm->setPlainText("an old register");
        rig.waitFor([&] { return !rig.link().exchangeActive(); }, 40);
        sentAfterClick.clear();
        const quint64 clickTick = rig.link().tickCount();
        w.ButtonPobierz->click();
        QVERIFY(rig.waitIdle());

        QCOMPARE(sentAfterClick.value(0), EventRegister::kStartCode);
        QVERIFY2(requestTick >= clickTick + 10, "the request follows a pause of 11 ticks");
        QCOMPARE(atRequest, QStringList());
        QVERIFY(!pollingAtRequest);

        const Expected expected = expectedDownload(records, 300 * 8);
        QVERIFY(expected.lines.size() < 300 + 6);  // some records have no line
        QCOMPARE(linesOf(w.trm), expected.lines);
        QCOMPARE(coloursOf(w.trm), expected.colours);
        QCOMPARE(w.TempBar->maximum(), 2400);
        QCOMPARE(w.TempBar->value(), 2400);
        QCOMPARE(wrongControls(w, Arrangement::LoggedInIdle), QStringList());
        QVERIFY(rig.people.shown.isEmpty());
        QCOMPARE(rig.received(EventRegister::kStartCode), 1);
        QCOMPARE(rig.received(EventRegister::kStopCode), 0);
        // The caret follows the newest line; the lines can be selected and copied, not edited.
        QCOMPARE(w.trm->textCursor().position(), w.trm->document()->characterCount() - 1);
        QVERIFY(w.trm->isReadOnly());
        QVERIFY(w.trm->textInteractionFlags() & Qt::TextSelectableByMouse);
        QVERIFY(w.trm->textInteractionFlags() & Qt::TextSelectableByKeyboard);
        // The live status is back: a status request follows.
        QVERIFY(rig.link().st.pollingEnabled);
        QVERIFY(!w.StatusBar->isHidden());
        const int statusBefore = rig.received(253);
        QVERIFY(rig.waitFor([&] { return rig.received(253) > statusBefore; }, 40));
    }

    void registerSizes_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("headerSize");  // -1: records x 8
        QTest::addColumn<QString>("countLine");
        QTest::addColumn<int>("gaugeMaximum");
        QTest::addColumn<int>("gaugeRange");
        QTest::newRow("empty register") << 0 << -1 << " 0 zdarzeń w pamięci" << 0 << 1;
        QTest::newRow("header above the cap") << 3 << 32761 << " 4095 zdarzeń w pamięci" << 32760 << 32760;
        QTest::newRow("header below the records") << 5 << 16 << " 2 zdarzeń w pamięci" << 16 << 16;
    }
    void registerSizes() {
        QFETCH(int, records);
        QFETCH(int, headerSize);
        QFETCH(QString, countLine);
        QFETCH(int, gaugeMaximum);
        QFETCH(int, gaugeRange);
        EventRig rig;
        rig.recorder.fillRegister(records, 3);
        rig.recorder.faults().headerSizeOverride = headerSize;
        rig.logIn();
        TMain& w = rig.w();
        // The gauge stays in range while records arrive, also when more come than the header announced.
        int highest = 0;
        connect(w.TempBar, &QProgressBar::valueChanged, this, [&](int v) { highest = qMax(highest, v); });
        rig.startDownload();
        QVERIFY(rig.waitIdle());
        QCOMPARE(linesOf(w.trm).value(2), countLine);
        QCOMPARE(rig.reg().gaugeMaximum(), gaugeMaximum);
        QCOMPARE(w.TempBar->minimum(), 0);
        QCOMPARE(w.TempBar->maximum(), gaugeRange);
        QCOMPARE(w.TempBar->value(), gaugeMaximum);
        QVERIFY(highest <= gaugeMaximum);
        QCOMPARE(linesOf(w.trm).constLast(), QString(" Koniec historii"));
        QCOMPARE(linesOf(w.trm).size(), 5 + records + 1);
    }

    void headerAndRecordsInOneChunk() {
        // The header's wait ends even when records replace the last reply code before it looks.
        EventRig rig;
        rig.recorder.fillRegister(6, 5);
        rig.logIn();
        connect(&rig.recorder, &Recorder::frameReceived, this, [&](quint8 code, const QByteArray&) {
            if (code == EventRegister::kStartCode) rig.recorder.faults().glueNextOutputs = 3;
        });
        rig.startDownload();
        QVERIFY(rig.waitIdle());
        QCOMPARE(rig.received(EventRegister::kStartCode), 1);
        QCOMPARE(rig.people.shown, QStringList());
        QCOMPARE(linesOf(rig.w().trm), expectedDownload(rig.recorder.records(), 48).lines);
        QVERIFY(rig.link().st.loggedIn);
    }

    void stopSendsOneRequestPerArrivingRecord_data() {
        QTest::addColumn<bool>("mousePress");
        QTest::newRow("mouse press") << true;
        QTest::newRow("click") << false;
    }
    void stopSendsOneRequestPerArrivingRecord() {
        QFETCH(bool, mousePress);
        EventRig rig(Line::Paced);
        rig.recorder.fillRegister(3000, 11);
        rig.recorder.setRecordsAfterStop(6);
        rig.logIn();
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QList<quint8> sent;
        connect(w.link(), &Link::frameSent, this, [&](const QByteArray& frame) { sent << quint8(frame.at(1)); });
        rig.startDownload();
        QVERIFY(rig.waitFor([&] { return rig.reg().gaugePosition() >= 10 * 8; }));
        if (mousePress)
            QTest::mousePress(w.ButtonSTOP, Qt::LeftButton);
        else
            w.ButtonSTOP->click();
        const int positionAtStop = rig.reg().gaugePosition();
        QVERIFY(rig.link().st.stopRequested);
        QCOMPARE(w.link()->activity().current(), Activity::Stopping);
        QCOMPARE(wrongControls(w, Arrangement::Stopping), QStringList());
        // A second transfer cannot start before the stop is confirmed, however the click arrives.
        Q_EMIT w.ButtonPobierz->clicked();
        rig.reg().ButtonPobierzClick();
        QVERIFY(rig.waitIdle());
        if (mousePress) QTest::mouseRelease(w.ButtonSTOP, Qt::LeftButton);

        // The list has scrolled to keep the newest line in view.
        QVERIFY(w.trm->verticalScrollBar()->value() > 0);
        QTextCursor end(w.trm->document());
        end.movePosition(QTextCursor::End);
        QVERIFY(w.trm->viewport()->rect().contains(w.trm->cursorRect(end)));
        const int recordsAfterStop = (rig.reg().gaugePosition() - positionAtStop) / 8;
        QVERIFY(recordsAfterStop >= 6);
        QCOMPARE(int(sent.count(EventRegister::kStopCode)), recordsAfterStop);
        QCOMPARE(int(sent.count(EventRegister::kStartCode)), 1);
        QVERIFY(!rig.recorder.streaming());
        QVERIFY(linesOf(w.trm).constLast() != QLatin1String(" Koniec historii"));
        QVERIFY(!w.ButtonSTOP->isEnabled());
        QVERIFY(w.ButtonPobierz->isEnabled());
        QVERIFY(rig.link().st.pollingEnabled);
        QVERIFY(rig.people.shown.isEmpty());
        // Nothing more is asked of the recorder but its status.
        sent.clear();
        rig.runTicks(25);
        QVERIFY(!sent.isEmpty());
        QCOMPARE(int(sent.count(253)), sent.size());
        QCOMPARE(rig.received(EventRegister::kStopCode), recordsAfterStop);
    }
};

// The same window on a port whose far end is the test, for what the simulator does not send.
class EventsEdgeTest : public QObject {
    Q_OBJECT

    struct Rig : WindowRig<FakePort> {
        QByteArray onRequest;  // what the "recorder" sends in one chunk when the request comes
        Rig() {
            w().eventRegister->setClockSource([] { return kNow; });
            port.onWrite = [this](const QByteArray& frame) {
                const quint8 code = quint8(frame.at(1));
                if (code == 1) port.deliverLater(BuildReplyFrame(1, "T2"));
                if (code == 253) port.deliverLater(BuildReplyFrame(253, QByteArray(13, '\0')));
                if (code == EventRegister::kStartCode) port.deliverLater(onRequest);
            };
            w().Button_polacz->click();
            if (!link().st.loggedIn) qFatal("login failed");
            runTicks(1);
        }
        int written(quint8 code) const {
            int n = 0;
            for (const QByteArray& f : port.written) n += quint8(f.at(1)) == code;
            return n;
        }
        // Lets the window handle what came and the list show it (it refreshes a little later).
        void settle() {
            runTicks(2);
            waitFor([this] { return !w().eventRegister->viewPending(); }, 20);
        }
        void deliver(quint8 code, const QByteArray& payload) {
            port.deliver(BuildReplyFrame(code, payload));
            settle();
        }
        void start() {
            waitFor([&] { return !link().exchangeActive(); }, 40);
            w().ButtonPobierz->click();
        }
    };

private Q_SLOTS:
    void unlistedAndShortRecordsWhileStopping() {
        Rig rig;
        TMain& w = rig.w();
        // The header and the first record in one chunk: the wait sees the record's code last.
        rig.onRequest = BuildReplyFrame(93, le16(10 * 8)) + BuildReplyFrame(91, record(4));
        rig.start();
        rig.settle();
        QCOMPARE(rig.w().eventRegister->phase(), EventRegister::Phase::Receiving);
        QCOMPARE(rig.written(EventRegister::kStartCode), 1);
        QCOMPARE(linesOf(w.trm).size(), 6);
        QCOMPARE(w.TempBar->value(), 8);
        w.ButtonSTOP->click();
        QCOMPARE(rig.written(EventRegister::kStopCode), 0);  // nothing is sent by STOP itself

        // Code 2: no line, but the gauge moves and the stop request goes out.
        rig.deliver(91, record(2));
        QCOMPARE(rig.written(EventRegister::kStopCode), 1);
        QCOMPARE(w.TempBar->value(), 16);
        QCOMPARE(linesOf(w.trm).size(), 6);
        // A record one byte short: no line and no step, but the recorder is still asked to stop.
        rig.deliver(91, record(5).left(7));
        QCOMPARE(rig.written(EventRegister::kStopCode), 2);
        QCOMPARE(w.TempBar->value(), 16);
        QCOMPARE(linesOf(w.trm).size(), 6);
        rig.deliver(91, record(7));
        QCOMPARE(rig.written(EventRegister::kStopCode), 3);
        QCOMPARE(w.TempBar->value(), 24);
        QCOMPARE(coloursOf(w.trm).constLast(), EventColour::Red);

        rig.deliver(95, QByteArray());
        QVERIFY(!w.eventRegister->downloading());
        QVERIFY(!w.ButtonSTOP->isEnabled());
        QVERIFY(w.ButtonPobierz->isEnabled());
        // A late record after the end adds nothing to the list; it only asks the recorder to stop.
        rig.deliver(91, record(5));
        QCOMPARE(linesOf(w.trm).size(), 7);
        QCOMPARE(rig.written(EventRegister::kStopCode), 4);
    }

    void shortHeaderLeavesTheGaugeEmpty() {
        Rig rig;
        TMain& w = rig.w();
        rig.onRequest = BuildReplyFrame(93, "\x08");
        rig.start();
        QVERIFY(w.eventRegister->downloading());
        QCOMPARE(linesOf(w.trm), QStringList());
        rig.deliver(91, record(8));
        QCOMPARE(coloursOf(w.trm), QList<QColor>{EventColour::Green});
        QCOMPARE(w.TempBar->value(), 0);
        rig.deliver(90, QByteArray());
        // " Koniec historii" in the colour in effect: that of the last line.
        QCOMPARE(linesOf(w.trm).constLast(), QString(" Koniec historii"));
        QCOMPARE(coloursOf(w.trm).constLast(), EventColour::Green);
        QCOMPARE(w.TempBar->maximum(), 1);
        QCOMPARE(w.TempBar->value(), 0);
        QCOMPARE(wrongControls(w, Arrangement::LoggedInIdle), QStringList());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    {
        EventsDownloadTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        EventsEdgeTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
#include "tst_events_download.moc"
