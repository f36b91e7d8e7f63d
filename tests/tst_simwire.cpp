// The wire to the simulated recorder as a serial port: opening, lines, closing, pulling the adapter,
// delivery, 4800-baud pacing on the wire's own clock, and the demo's port routing.

#include "link/Errors.h"
#include "link/Frame.h"
#include "link/Link.h"
#include "link/People.h"
#include "sim/DemoPort.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/SimPc.h"

#include <QThread>
#include <QtTest>
#include <memory>

namespace {
QString openError(SerialPort& port) {
    try {
        port.OpenPort();
    } catch (const PortError& e) {
        return e.message();
    }
    return QString();
}
}  // namespace

// Nobody at the keyboard: records the error boxes.
// Runs what is already posted (a queued loss report, a wire's zero-time delivery), without waiting for
// anything a clock would bring.
static void drainPosted() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

class NoPeople : public People {
public:
    QStringList errors;
    void beep() override {}
    void error(const QString& text) override { errors.append(text); }
    void information(const QString&) override {}
    void warning(const QString&) override {}
    void plain(const QString&) override {}
    bool askYesNo(const QString&) override { return false; }
    QString openFileName(const FileDialogRequest&) override { return QString(); }
    QString saveFileName(const FileDialogRequest&) override { return QString(); }
    bool printerSetup(QPrinter&) override { return false; }
};

class TestSimWire : public QObject {
    Q_OBJECT

    std::unique_ptr<Recorder> rec;
    std::unique_ptr<SimWire> wire;
    std::unique_ptr<SimPc> pc;

    void pace() {
        rec->faults().paced = true;
        wire->setRecordChunks(true);
    }

private Q_SLOTS:
    void init() {
        rec = std::make_unique<Recorder>();
        wire = std::make_unique<SimWire>(rec.get());
        pc = std::make_unique<SimPc>(*wire);
    }
    void cleanup() {
        pc.reset();
        wire.reset();
        rec.reset();
    }

    void openingAndLines() {
        wire->unplug();
        QCOMPARE(openError(*wire), QStringLiteral("Unable to open com port (Error: 2)"));
        QVERIFY(!wire->Connected());
        wire->plugIn();
        wire->setBusy(true);
        QCOMPARE(openError(*wire), QStringLiteral("Unable to open com port (Error: 16)"));
        wire->setBusy(false);

        QCOMPARE(openError(*wire), QString());
        QVERIFY(wire->Connected());
        QVERIFY(!wire->dtr() && !wire->rts());
        wire->SetDtrLine(true);
        wire->SetRtsLine(true);
        QVERIFY(wire->dtr() && wire->rts());
        wire->OpenPort();  // already open: nothing changes
        QVERIFY(wire->dtr());

        wire->ClosePort();
        wire->ClosePort();
        QVERIFY(!wire->Connected());
        wire->OpenPort();
        QVERIFY(!wire->dtr() && !wire->rts());
    }

    void writeOnClosedPortThrows() {
        try {
            wire->WriteBytes(BuildCommandFrame(253, "G"));
            QFAIL("no error");
        } catch (const PortError& e) {
            QCOMPARE(e.message(), QStringLiteral("Port Not Open"));
        }
        QVERIFY(rec->received().isEmpty());
    }

    void deliveryComesFromTheEventLoop() {
        wire->OpenPort();
        pc->send(253, "G");
        QVERIFY(pc->chunks.isEmpty());
        QCOMPARE(wire->bytesWaiting(), 0);
        QVERIFY(pc->settle());
        QCOMPARE(pc->codes(), QVector<quint8>({253}));
        QCOMPARE(pc->counts, QVector<int>({17}));

        // Unread bytes stay queued and are counted with the next chunk.
        pc.reset();
        QVector<int> counts;
        connect(wire.get(), &SerialPort::OnRxChar, this, [&](int count) { counts.append(count); });
        wire->WriteBytes(BuildCommandFrame(253, "G") + BuildCommandFrame(2, "W"));
        QVERIFY(SimPc::waitUntil([&] { return wire->idle(); }));
        QCOMPARE(counts, QVector<int>({17, 21}));
        QCOMPARE(wire->ReadBytes(100).size(), 21);
        QCOMPARE(wire->ReadBytes(100), QByteArray());
    }

    void closingDiscardsWhatIsQueued() {
        wire->OpenPort();
        pc->exchange(1, "1234");
        QVERIFY(rec->loggedIn());
        pc->send(253, "G");
        pc->send(4, "T");
        wire->ClosePort();
        // Written bytes were on their way and arrived; their answers are gone with the port.
        QCOMPARE(rec->receivedCodes(), QVector<quint8>({1, 253, 4}));
        QVERIFY(!rec->loggedIn());
        wire->OpenPort();
        QVERIFY(pc->settle());
        drainPosted();
        QCOMPARE(pc->codes(), QVector<quint8>({1}));
        QCOMPARE(wire->bytesWaiting(), 0);

        // A transfer stops with the port.
        rec->fillRegister(50, 1);
        pc->onChunk = [this](const QByteArray&) {
            if (pc->frames.size() == 3) wire->ClosePort();
        };
        pc->send(93, "h");
        QVERIFY(SimPc::waitUntil([this] { return !wire->Connected(); }));
        QVERIFY(!rec->streaming());
        QCOMPARE(pc->frames.size(), 3);
    }

    void pullingTheAdapter() {
        wire->OpenPort();
        QSignalSpy lost(wire.get(), &SerialPort::portLost);
        pc->send(253, "G");
        wire->unplug();
        QVERIFY(!wire->Connected());
        QCOMPARE(lost.size(), 0);  // not from inside the call
        QVERIFY(SimPc::waitUntil([&] { return lost.size() > 0; }));
        drainPosted();
        QCOMPARE(lost.size(), 1);
        QVERIFY(lost[0][0].toString().contains(SimWire::defaultPortName()));
        QVERIFY(pc->chunks.isEmpty());
        QCOMPARE(openError(*wire), QStringLiteral("Unable to open com port (Error: 2)"));

        wire->unplug();  // already out: nothing more to report
        wire->plugIn();
        QCOMPARE(openError(*wire), QString());
        drainPosted();
        QCOMPARE(lost.size(), 1);
    }

    // A status exchange on the wire's clock: the request's 5 bytes take 5 byte times to reach the
    // recorder, the answer starts then and its 17 bytes arrive back to back.
    void pacedExchangeOnTheWireClock() {
        wire->OpenPort();
        pace();
        const qint64 before = wire->nowNs();
        pc->send(253, "G");
        const qint64 after = wire->nowNs();
        QVERIFY(pc->waitFrames(1));
        QVERIFY(pc->settle());

        const qint64 arrived = rec->received().last().atNs;
        QVERIFY(arrived >= before + SimWire::wireTimeNs(5));
        QVERIFY(arrived <= after + SimWire::wireTimeNs(5));
        const auto& chunks = wire->chunks();
        QVERIFY(!chunks.isEmpty());
        QCOMPARE(chunks.first().firstStartNs, arrived);
        QCOMPARE(chunks.last().lastArrivalNs - chunks.first().firstStartNs, SimWire::wireTimeNs(17));
        for (const SimWire::Chunk& c : chunks) QVERIFY(c.deliveredNs >= c.lastArrivalNs);
    }

    void pacedLongReplyComesInPieces() {
        wire->OpenPort();
        pace();
        const QByteArray hundred(100, 'x');
        rec->setItem(1, hundred);
        pc->send(4, "T");
        QVERIFY(pc->waitFrames(1));
        QCOMPARE(pc->frames[0].payload, hundred);

        const auto& chunks = wire->chunks();
        QVERIFY(chunks.size() > 1);
        QCOMPARE(pc->allBytes().size(), 104);
        QCOMPARE(chunks.last().lastArrivalNs - chunks.first().firstStartNs, SimWire::wireTimeNs(104));
        QCOMPARE(SimWire::wireTimeNs(104), qint64(216666666));
        // Back to back: each chunk begins where the one before ended, and no chunk runs ahead of the line.
        int sent = 0;
        for (int i = 0; i < chunks.size(); ++i) {
            if (i > 0) QCOMPARE(chunks[i].firstStartNs, chunks[i - 1].lastArrivalNs);
            sent += chunks[i].bytes.size();
            QCOMPARE(chunks[i].lastArrivalNs - chunks.first().firstStartNs, SimWire::wireTimeNs(sent));
        }
        for (int i = 0; i < chunks.size(); ++i) QCOMPARE(pc->counts[i], chunks[i].bytes.size());
    }

    void pacedLineIsSharedInOrder() {
        wire->OpenPort();
        pace();
        wire->WriteBytes(BuildCommandFrame(253, "G"));
        wire->WriteBytes(BuildCommandFrame(253, "G"));
        QVERIFY(pc->waitFrames(2));
        QVERIFY(pc->settle());
        // The second request queues behind the first; the second answer waits until the first is out.
        const auto& log = rec->received();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log[1].atNs - log[0].atNs, SimWire::wireTimeNs(5));
        const auto& chunks = wire->chunks();
        QCOMPARE(chunks.first().firstStartNs, log[0].atNs);
        QCOMPARE(chunks.last().lastArrivalNs - chunks.first().firstStartNs, 2 * SimWire::wireTimeNs(17));
    }

    void pacedReplyDelay() {
        wire->OpenPort();
        pace();
        rec->faults().replyDelayMs = 40;
        pc->send(253, "G");
        QVERIFY(pc->waitFrames(1));
        QCOMPARE(wire->chunks().first().firstStartNs - rec->received().last().atNs, qint64(40) * 1000000);
    }

    // The PC thread sleeping without events (the program does, up to 2 s): the line runs on meanwhile.
    void pacedCatchesUpAfterABlockedThread() {
        wire->OpenPort();
        pace();
        const qint64 before = wire->nowNs();
        pc->send(253, "G");
        const qint64 after = wire->nowNs();
        QThread::msleep(150);
        QVERIFY(pc->waitFrames(1));

        // Everything had arrived during the sleep: one chunk, stamped with the line's own times.
        QCOMPARE(pc->chunks.size(), 1);
        const SimWire::Chunk& c = wire->chunks().first();
        QVERIFY(c.firstStartNs >= before + SimWire::wireTimeNs(5));
        QVERIFY(c.firstStartNs <= after + SimWire::wireTimeNs(5));
        QCOMPARE(c.lastArrivalNs - c.firstStartNs, SimWire::wireTimeNs(17));
        QVERIFY(c.deliveredNs >= before + qint64(150) * 1000000);
        QCOMPARE(rec->received().last().atNs, c.firstStartNs);
    }

    void pacedAcknowledgementsStayAlone() {
        wire->OpenPort();
        pace();
        QByteArray payload(1, '\0');
        payload.append(QByteArray(128, 'z'));
        pc->send(255, "B");
        pc->send(101, payload);
        QVERIFY(pc->settle());
        payload[0] = 1;
        rec->faults().glueNextAcks = 1;
        pc->send(101, payload);
        QVERIFY(pc->settle());
        QCOMPARE(pc->chunks, QVector<QByteArray>({"!", QByteArray("!\0", 2)}));
        QCOMPARE(pc->counts, QVector<int>({1, 2}));
        // A block frame of 133 bytes and its acknowledgement right behind it.
        const auto& log = rec->received();
        QCOMPARE(log[1].atNs - log[0].atNs, SimWire::wireTimeNs(133));
        QCOMPARE(wire->chunks().first().firstStartNs, log[1].atNs);
    }

    void pacedChunkSizeStillHolds() {
        wire->OpenPort();
        pace();
        rec->faults().chunkSize = 4;
        pc->send(253, "G");
        QThread::msleep(120);  // all of it has arrived: the pieces still come one by one
        QVERIFY(pc->waitFrames(1));
        QCOMPARE(pc->chunks.size(), 5);
        QCOMPARE(pc->counts, QVector<int>({4, 4, 4, 4, 1}));
    }

    void pacedTransferStopsSoonAfterTheRequest() {
        wire->OpenPort();
        pace();
        rec->fillRegister(60, 5);
        pc->onChunk = [this](const QByteArray&) {
            if (!pc->frames.isEmpty() && pc->frames.last().code == 91) pc->send(95, "x");
        };
        pc->send(93, "h");
        QVERIFY(SimPc::waitUntil([this] { return !pc->frames.isEmpty() && pc->frames.last().code == 95; }));
        QVERIFY(pc->settle());
        const QVector<quint8> codes = pc->codes();
        QCOMPARE(codes.first(), quint8(93));
        QVERIFY(!codes.contains(90));
        // Only records already on the line when the stop arrived.
        QVERIFY(codes.count(91) < 10);
        QVERIFY(!rec->streaming());
    }

    // The program's exchange engine on the paced wire: answers found, resends answered, the firmware
    // acknowledgement seen only when it comes alone.
    void exchangeEngineOverThePacedWire() {
        pc.reset();
        NoPeople people;
        Link link(wire.get(), &people, 10);
        link.startTimer();
        wire->OpenPort();
        pace();

        QVERIFY(link.SendAndWait(1, "1234", 50));
        QCOMPARE(link.st.replyPayload, QByteArray("T2"));
        rec->faults().silentNextFrames = 2;
        QVERIFY(link.SendAndWait(253, "G", 10));
        QCOMPARE(link.st.replyPayload, rec->live().toPayload());
        QCOMPARE(rec->receivedCodes(), QVector<quint8>({1, 253, 253, 253}));
        QVERIFY(people.errors.isEmpty());

        QByteArray payload(1, '\0');
        payload.append(QByteArray(128, 'q'));
        link.SendFrame(255, "B");
        link.sleepBlocking(2000);
        link.SendFrame(101, payload);
        QVERIFY(SimPc::waitUntil([&] { return link.st.lastSingleByte == '!'; }));
        link.st.lastSingleByte = '.';
        rec->faults().glueNextAcks = 1;
        payload[0] = 1;
        link.SendFrame(101, payload);
        QVERIFY(SimPc::waitUntil([&] { return wire->idle(); }));
        QCOMPARE(link.st.lastSingleByte, quint8('.'));
        QCOMPARE(rec->firmwareBlocks(), 2);
    }

    void demoPortRoutesByName() {
        pc.reset();  // the demo port is the only reader here
        Recorder otherRecorder;
        SimWire other(&otherRecorder);
        DemoPort port(wire.get(), &other);
        QVector<int> notified;
        connect(&port, &SerialPort::OnRxChar, this, [&](int count) {
            notified.append(count);
            port.ReadBytes(count);
        });

        port.Port(DemoPort::simulatorPortName());
        QVERIFY(port.routedToSimulator());
        port.OpenPort();
        QVERIFY(wire->Connected());
        QVERIFY(!other.Connected());
        port.SetDtrLine(true);
        QVERIFY(wire->dtr());
        port.WriteBytes(BuildCommandFrame(253, "G"));
        QVERIFY(SimPc::waitUntil([&] { return !notified.isEmpty(); }));
        QCOMPARE(notified, QVector<int>({17}));
        QCOMPARE(rec->receivedCodes(), QVector<quint8>({253}));

        // Another name while open: the simulator closes, the other port opens.
        port.Port(QStringLiteral("ttyUSB0"));
        QVERIFY(!port.routedToSimulator());
        QVERIFY(!wire->Connected());
        QVERIFY(other.Connected());
        QCOMPARE(other.portName(), QStringLiteral("ttyUSB0"));
        port.WriteBytes(BuildCommandFrame(4, "T"));
        QVERIFY(SimPc::waitUntil([&] { return notified.size() == 2; }));
        QCOMPARE(otherRecorder.receivedCodes(), QVector<quint8>({4}));

        // Only the chosen port's notifications and losses come through.
        QSignalSpy lost(&port, &SerialPort::portLost);
        wire->OpenPort();
        wire->WriteBytes(BuildCommandFrame(253, "G"));
        QVERIFY(SimPc::waitUntil([&] { return wire->bytesWaiting() == 17; }));
        wire->unplug();
        other.unplug();
        QVERIFY(SimPc::waitUntil([&] { return lost.size() > 0; }));
        drainPosted();
        QCOMPARE(lost.size(), 1);
        QCOMPARE(notified.size(), 2);
        QCOMPARE(openError(port), QStringLiteral("Unable to open com port (Error: 2)"));
    }

    void demoSetup() {
        QObject owner;
        const DemoSimulator demo = MakeDemoSimulator(&owner);
        QVERIFY(demo.recorder && demo.wire && demo.port);
        QCOMPARE(demo.recorder->parent(), &owner);
        QVERIFY(demo.recorder->faults().paced);
        QVERIFY(demo.recorder->liveDrift());
        QVERIFY(demo.recorder->recordCount() >= 200 && demo.recorder->recordCount() <= 1000);
        QCOMPARE(demo.wire->recorder(), demo.recorder);
        QCOMPARE(demo.port->wire(), demo.wire);
        QCOMPARE(demo.entry.portName, DemoPort::simulatorPortName());
        QCOMPARE(DemoPort::simulatorPortName(), QStringLiteral("MX-4 (symulator)"));

        DemoPortCatalog catalog(std::make_unique<FixedPortCatalog>(
            QVector<PortEntry>{{QStringLiteral("ttyS0"), QStringLiteral("/dev/ttyS0"), false}}));
        const QVector<PortEntry> ports = catalog.listPorts();
        QCOMPARE(ports.size(), 2);
        QCOMPARE(ports[0].portName, DemoPort::simulatorPortName());
        QCOMPARE(ports[1].portName, QStringLiteral("ttyS0"));
    }
};

QTEST_GUILESS_MAIN(TestSimWire)
#include "tst_simwire.moc"
