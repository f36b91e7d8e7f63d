// A 60,000-byte firmware update through the main window against the simulated recorder on a line paced
// at 4800 baud, with the product's 100 ms tick: the time it takes next to what the line and the fixed
// pauses allow, and the CPU time the process uses meanwhile.

#include "bench/Timings.h"
#include "app/MainWindow.h"
#include "config/WorkingBuffer.h"
#include "link/Link.h"
#include "link/PortCatalog.h"
#include "maintenance/BootDialog.h"
#include "maintenance/FirmwareImage.h"
#include "maintenance/FirmwareUpdate.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/ScriptedPeople.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {
constexpr int kFileSize = 60000;

QByteArray makeImage() {
    QByteArray file = kFirmwareMagic;
    for (int i = 0; file.size() < kFileSize - 1; ++i) file.append(char((i * 31 + 7) & 0xFF));
    file.append(char(XorOf(file)));
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.nfr"));
    const QByteArray image = makeImage();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }

    Recorder recorder;
    SimFaults faults;
    faults.paced = true;
    recorder.setFaults(faults);
    SimWire wire(&recorder);
    FixedPortCatalog catalog({{SimWire::defaultPortName(), QStringLiteral("sim")}});
    ScriptedPeople people;
    people.fileAnswers.enqueue(path);
    TMain window({&wire, &catalog, &people, Link::kProductTickMs});

    qint64 startNs = 0, endNs = 0;
    double cpuMs = 0;
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
        const std::clock_t cpu0 = std::clock();
        startNs = wire.nowNs();
        dialog->ButtonStart->click();
        endNs = wire.nowNs();
        cpuMs = 1000.0 * double(std::clock() - cpu0) / CLOCKS_PER_SEC;
    });
    poll.start();
    window.ButtonFirmware->click();
    if (!started || recorder.firmwareUpdates() != 1 || recorder.firmwareImage().left(kFileSize - 4) != image.mid(3, kFileSize - 4)) {
        std::printf("update did not complete: %s\n", qPrintable(people.shown.join(QStringLiteral(" | "))));
        return 1;
    }

    // Where the frames reached the recorder, on the wire's clock.
    qint64 restartAt = 0, lastBlockAt = 0, endAt = 0;
    for (const Recorder::ReceivedFrame& f : recorder.received()) {
        if (f.code == kRestartCode) restartAt = f.atNs;
        if (f.code == kFirmwareBlockCode) lastBlockAt = f.atNs;
        if (f.code == kFirmwareEndCode) endAt = f.atNs;
    }
    const int blocks = FirmwareBlockCount(kFileSize);
    const qint64 restartWire = SimWire::wireTimeNs(5);
    const qint64 blockWire = SimWire::wireTimeNs(kFirmwareBlockFrame) + SimWire::wireTimeNs(1);  // block out, "!" back
    const qint64 endWire = SimWire::wireTimeNs(5);
    const qint64 lineLimit = restartWire + qint64(blocks) * blockWire + endWire;
    const qint64 pauses = qint64(FirmwareUpdate::kRestartPauseMs + FirmwareUpdate::kEndPauseMs +
                                 FirmwareUpdate::kClosePauseMs + 1000 /* dropping the line */) * 1000000;
    const qint64 total = endNs - startNs;
    // The block phase alone: from the restart's arrival to the last block's arrival, less the pause.
    const qint64 blockPhase = lastBlockAt - restartAt - qint64(FirmwareUpdate::kRestartPauseMs) * 1000000;
    const qint64 blockLimit = qint64(blocks) * blockWire - SimWire::wireTimeNs(1);

    std::printf("firmware update, %d-byte file, %d blocks, 4800 baud, 100 ms tick\n", kFileSize, blocks);
    std::printf("START to dialog closed : %9.0f ms\n", ms(total));
    std::printf("line limit             : %9.0f ms (restart, %d x (133 bytes out + \"!\" back), end)\n", ms(lineLimit),
                blocks);
    std::printf("fixed pauses           : %9.0f ms (2 s after restart, 2 s before end, 1 s drop, 1 s close)\n",
                ms(pauses));
    std::printf("limit + pauses         : %9.0f ms\n", ms(lineLimit + pauses));
    std::printf("over the limit         : %9.2f %% (target: within 3 %%)\n",
                100.0 * double(total - (lineLimit + pauses)) / double(lineLimit + pauses));
    std::printf("block phase            : %9.0f ms against %0.f ms on the line (%+.2f %%), %.2f ms a block over\n",
                ms(blockPhase), ms(blockLimit), 100.0 * double(blockPhase - blockLimit) / double(blockLimit),
                ms(blockPhase - blockLimit) / blocks);
    std::printf("end command after last block: %0.f ms (2 s pause + last ack)\n", ms(endAt - lastBlockAt));
    std::printf("CPU time (program and simulator): %.0f ms = %.2f %% of wall time\n", cpuMs,
                100.0 * cpuMs / ms(total));
    std::printf("messages: %s\n", qPrintable(people.shown.join(QStringLiteral(" | "))));
    return 0;
}
