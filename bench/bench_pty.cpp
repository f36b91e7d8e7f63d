// The configurator over the real serial path: the main window (product tick, shown) with its
// QSerialPort back end on a pseudo-terminal, and mx4sim as a separate process on the other end, paced
// at 4800 baud with one byte a write, as a UART hands bytes over. Each figure stands beside the line's
// own limit (10 bits a byte plus the fixed pauses) and the configurator's own CPU time from getrusage,
// which leaves the simulator out.
//
// Usage: bench_pty config [runs]        a full configuration read and write (41 items), each run in a
//                                      session of its own, and the median run
//        bench_pty register [records]  a register download (default: full, 4,095 records)
//        bench_pty firmware            a 60,000-byte firmware update
// With QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on a platform with the AT-SPI bridge (xcb), it says whether
// the bridge is on and whether it reached an accessibility bus.

#include "app/MainWindow.h"
#include "config/ConfigArea.h"
#include "config/ConfigItems.h"
#include "config/ConfigTransfer.h"
#include "config/WorkingBuffer.h"
#include "events/EventDecode.h"
#include "events/EventRegister.h"
#include "link/Link.h"
#include "link/PortCatalog.h"
#include "link/QtSerialPort.h"
#include "maintenance/BootDialog.h"
#include "maintenance/FirmwareImage.h"
#include "maintenance/FirmwareUpdate.h"
#include "sim/Recorder.h"
#include "sim/RecorderData.h"
#include "sim/SimWire.h"
#include "support/ScriptedPeople.h"

#include <algorithm>
#include <QAccessible>
#include <QApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {
constexpr int kFrameOverhead = 4;  // start, code, length, checksum

double wireMs(qint64 bytes) { return double(SimWire::wireTimeNs(bytes)) / 1e6; }

// The configurator's own use of the machine so far.
struct Usage {
    double cpuMs = 0;
    long wakeUps = 0;  // voluntary context switches: the process went to sleep and was woken
    static Usage now() {
        rusage u {};
        getrusage(RUSAGE_SELF, &u);
        const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
        return {ms(u.ru_utime) + ms(u.ru_stime), u.ru_nvcsw};
    }
};

struct Measure {
    double wallMs = 0;
    double cpuMs = 0;
    long wakeUps = 0;
};

template <class F>
Measure measure(F f) {
    QElapsedTimer wall;
    wall.start();
    const Usage before = Usage::now();
    f();
    const Usage after = Usage::now();
    return {double(wall.nsecsElapsed()) / 1e6, after.cpuMs - before.cpuMs, after.wakeUps - before.wakeUps};
}

void report(const char* what, const Measure& m, double limitMs, qint64 bytesIn) {
    std::printf("%-8s: %9.0f ms   limit %9.0f ms   over the limit %+6.2f %%   CPU %6.0f ms = %5.2f %% of wall"
                "   wake-ups %6ld (%.2f a byte received)\n",
                what, m.wallMs, limitMs, 100.0 * (m.wallMs - limitMs) / limitMs, m.cpuMs, 100.0 * m.cpuMs / m.wallMs,
                m.wakeUps, bytesIn > 0 ? double(m.wakeUps) / double(bytesIn) : 0.0);
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// mx4sim on a pty and the window on the device it names.
struct Session {
    QProcess sim;
    QtSerialPort port;
    std::unique_ptr<FixedPortCatalog> catalog;
    ScriptedPeople people;
    std::unique_ptr<TMain> window;
    QString device;

    ~Session() {
        window.reset();
        sim.terminate();
        sim.waitForFinished(5000);
    }

    bool start(const QStringList& arguments) {
        sim.setProgram(QStringLiteral(MX4SIM_PROGRAM));
        sim.setArguments(arguments);
        sim.setProcessChannelMode(QProcess::SeparateChannels);
        sim.start();
        if (!sim.waitForStarted(10000)) return false;
        while (!sim.canReadLine() && sim.state() == QProcess::Running) sim.waitForReadyRead(10000);
        device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        if (!device.startsWith(QLatin1String("/dev/"))) return false;
        catalog = std::make_unique<FixedPortCatalog>(QVector<PortEntry>{{device, device}});
        window = std::make_unique<TMain>(AppDeps{&port, catalog.get(), &people, Link::kProductTickMs});
        window->show();
        window->Button_polacz->click();
        if (window->Edit_logon->text() != QLatin1String("ZALOGOWANY")) return false;
        // Let the first status exchange pass.
        runFor(1500);
        while (window->link()->exchangeActive() || window->link()->st.sending)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return true;
    }
    QString simulatorLog() { return QString::fromLocal8Bit(sim.readAllStandardError()); }
};

void printSetting() {
    std::printf("configurator: main window shown, platform %s, 100 ms tick, QSerialPort on a pty; mx4sim paced at "
                "4800 baud, one byte a write, in its own process\n",
                qPrintable(QGuiApplication::platformName()));
    const bool forced = qEnvironmentVariableIntValue("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") != 0;
    std::printf("accessibility: QT_LINUX_ACCESSIBILITY_ALWAYS_ON %s, bridge %s, accessibility bus %s\n",
                forced ? "=1" : "unset", QAccessible::isActive() ? "active" : "inactive",
                QDBusConnection(QStringLiteral("a11y")).isConnected() ? "connected" : "not connected");
}

// Each run is a session of its own (a new mx4sim, a new window, a login), so every read starts from a
// window that has not seen the recorder's values, as a technician's first read does.
int benchConfig(int runs) {
    QVector<Measure> reads, writes;
    double readLimit = 0, writeLimit = 0;
    qint64 readIn = 0, writeIn = 0;
    for (int run = 0; run < runs; ++run) {
        Session s;
        if (!s.start({})) {
            std::printf("could not start or log in: %s %s\n", qPrintable(s.people.shown.join(" | ")),
                        qPrintable(s.simulatorLog()));
            return 1;
        }
        if (run == 0) printSetting();
        const QVector<QByteArray> items = SimItems::defaults();
        qint64 readOut = 0, writeOut = 0;
        readIn = writeIn = 0;
        for (const ConfigItem& item : configItems()) {
            readOut += kFrameOverhead + 1;
            readIn += kFrameOverhead + items.at(SimItems::itemForCode(item.readCode) - 1).size();
        }
        const double pauses = 500.0 + 41 * 10.0;
        reads << measure([&] { s.window->configTransfer->ReadConfiguration(); });
        const ConfigValues values = s.window->Config->values();
        for (const ConfigItem& item : configItems()) {
            writeOut += kFrameOverhead + EncodeItem(item, values).size();
            writeIn += kFrameOverhead;
        }
        writes << measure([&] { s.window->configTransfer->WriteConfiguration(); });
        readLimit = wireMs(readOut + readIn) + pauses;
        writeLimit = wireMs(writeOut + writeIn) + pauses;
        if (run == 0) std::printf("41 items; limit = wire time + 0.5 s + 41 x 10 ms\n");
        if (runs > 1) std::printf("run %d of %d\n", run + 1, runs);
        report("read", reads.last(), readLimit, readIn);
        report("write", writes.last(), writeLimit, writeIn);
        if (!s.people.shown.isEmpty()) std::printf("messages: %s\n", qPrintable(s.people.shown.join(" | ")));
    }
    if (runs > 1) {
        // The run with the median share of CPU: a machine shared with other work moves single runs.
        const auto median = [](QVector<Measure> m) {
            std::sort(m.begin(), m.end(), [](const Measure& a, const Measure& b) { return a.cpuMs / a.wallMs < b.cpuMs / b.wallMs; });
            return m.at(m.size() / 2);
        };
        std::printf("median of %d runs (by CPU share)\n", runs);
        report("read", median(reads), readLimit, readIn);
        report("write", median(writes), writeLimit, writeIn);
    }
    return 0;
}

int benchRegister(int records) {
    Session s;
    if (!s.start({QStringLiteral("--register"), QString::number(records)})) {
        std::printf("could not start or log in: %s %s\n", qPrintable(s.people.shown.join(" | ")),
                    qPrintable(s.simulatorLog()));
        return 1;
    }
    printSetting();
    TMain& w = *s.window;
    QElapsedTimer clock;
    clock.start();
    qint64 requestAt = -1;
    QObject::connect(w.link(), &Link::frameSent, [&](const QByteArray& frame) {
        if (quint8(frame.at(1)) == EventRegister::kStartCode && requestAt < 0) requestAt = clock.nsecsElapsed();
    });
    // CPU and wake-ups from the click, the wall time from the request (after the start pause, which sleeps).
    Measure download = measure([&] {
        w.ButtonPobierz->click();
        while (w.eventRegister->downloading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    });
    download.wallMs = double(clock.nsecsElapsed() - requestAt) / 1e6;
    const qint64 in = (kFrameOverhead + 2) + qint64(records) * (kFrameOverhead + 8) + kFrameOverhead;
    const qint64 out = kFrameOverhead + 1;
    QTextDocument* doc = w.trm->document();
    std::printf("%d records; limit = request 5 B out, header 6 B, %d x 12 B, end 4 B at 10 bits a byte\n", records,
                records);
    report("register", download, wireMs(in + out), in);
    std::printf("lines in the list: %d, last \"%s\"%s\n", doc->blockCount(), qPrintable(doc->lastBlock().text()),
                doc->lastBlock().text() == EndOfRegisterText() ? "" : "  (incomplete!)");
    if (!s.people.shown.isEmpty()) std::printf("messages: %s\n", qPrintable(s.people.shown.join(" | ")));
    return 0;
}

int benchFirmware() {
    constexpr int kFileSize = 60000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.nfr"));
    QByteArray image = kFirmwareMagic;
    for (int i = 0; image.size() < kFileSize - 1; ++i) image.append(char((i * 31 + 7) & 0xFF));
    image.append(char(XorOf(image)));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size()) return 1;
    }
    Session s;
    if (!s.start({})) {
        std::printf("could not start or log in: %s %s\n", qPrintable(s.people.shown.join(" | ")),
                    qPrintable(s.simulatorLog()));
        return 1;
    }
    printSetting();
    s.people.fileAnswers.enqueue(path);
    Measure m;
    bool started = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TFboot*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll.stop();
        dialog->Button1->click();
        if (!dialog->ButtonStart->isEnabled()) return;
        started = true;
        m = measure([&] { dialog->ButtonStart->click(); });
    });
    poll.start();
    s.window->ButtonFirmware->click();
    const int blocks = FirmwareBlockCount(kFileSize);
    const qint64 out = 5 + qint64(blocks) * kFirmwareBlockFrame + 5;
    const qint64 in = blocks;  // one "!" a block
    const double pauses = FirmwareUpdate::kRestartPauseMs + FirmwareUpdate::kEndPauseMs +
                          FirmwareUpdate::kClosePauseMs + 1000.0 /* dropping the line */;
    std::printf("%d-byte file, %d blocks; limit = restart, %d x (133 B out + \"!\" back), end, and 6 s of pauses\n",
                kFileSize, blocks, blocks);
    if (!started) {
        std::printf("the update did not start: %s\n", qPrintable(s.people.shown.join(" | ")));
        return 1;
    }
    report("firmware", m, wireMs(out + in) + pauses, in);
    s.sim.terminate();
    s.sim.waitForFinished(5000);
    std::printf("messages: %s\n", qPrintable(s.people.shown.join(" | ")));
    const QStringList log = s.simulatorLog().split(QLatin1Char('\n')).filter(QStringLiteral("firmware"));
    std::printf("mx4sim: %s\n", log.isEmpty() ? "no firmware received!" : qPrintable(log.first().mid(8)));
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (what == QLatin1String("config"))
        return benchConfig(qBound(1, argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1, 99));
    if (what == QLatin1String("register")) {
        const int records = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : Recorder::kMaxRecords;
        return benchRegister(qBound(1, records, Recorder::kMaxRecords));
    }
    if (what == QLatin1String("firmware")) return benchFirmware();
    std::fprintf(stderr, "usage: bench_pty config [runs] | register [records] | firmware\n");
    return 2;
}
