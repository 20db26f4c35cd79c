#include "stop_signals.h"

#include <csignal>

namespace host {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void recordStopSignal(int signal) {
    stopSignal = signal;
}

}  // namespace

void catchStopSignals() {
    std::signal(SIGINT, recordStopSignal);
    std::signal(SIGTERM, recordStopSignal);
}

bool stopRequested() {
    return stopSignal != 0;
}

}  // namespace host
