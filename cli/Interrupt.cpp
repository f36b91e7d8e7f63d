#include "cli/Interrupt.h"

#include <csignal>
#include <cstdlib>

namespace {
volatile std::sig_atomic_t received = 0;

extern "C" void onSignal(int number) {
    // Only what a handler may do: a second signal ends the program on the spot.
    if (received != 0) std::_Exit(128 + number);
    received = number;
    // Some systems reset the handler to the default before calling it.
    std::signal(number, onSignal);
}
}  // namespace

namespace Interrupt {
void install() {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

int signalNumber() { return received; }

int exitStatus() { return received != 0 ? 128 + received : 0; }
}  // namespace Interrupt
