// CPU time the program uses while it waits for a recorder that never answers: three tries of one
// second each at the product's 100 ms tick. The wait must sleep in the event loop, not spin.

#include "link/ErrorHook.h"
#include "link/Link.h"
#include "support/FakePort.h"
#include "support/ScriptedPeople.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    FakePort port;
    ScriptedPeople people;
    Link link(&port, &people);
    port.OpenPort();
    link.startTimer();

    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpuStart = std::clock();
    link.SendFrame(1, "1234");
    const bool answered = link.WaitReply(10, 1);
    const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double wallMs = double(wall.elapsed());

    std::printf("unanswered wait: %d tries, %s\n", int(port.written.size()), answered ? "answered?!" : "no answer");
    std::printf("wall time      : %.0f ms (3 tries x 10 ticks x 100 ms)\n", wallMs);
    std::printf("CPU time       : %.1f ms = %.2f %% of wall time (limit 2 %%)\n", cpuMs, 100.0 * cpuMs / wallMs);
    return 0;
}
