#include "core/job_stopper.h"

#include "core/cipher_job.h"

namespace ottomix {

namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

// Written by the signal handler, so a lock-free atomic at namespace scope.
StopFlag gStop{0};

extern "C" void onStopSignal(int signalNumber) {
    gStop.store(signalNumber);
}

}  // namespace

JobStopper::JobStopper() {
    gStop.store(0);
    for (int i = 0; i < 3; ++i) {
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        if (::sigaction(kSignals[i], nullptr, &previous_[i]) != 0) continue;
        // A signal ignored by whoever started the program stays ignored.
        if (previous_[i].sa_handler == SIG_IGN) continue;
        caught_[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

JobStopper::~JobStopper() {
    for (int i = 0; i < 3; ++i) {
        if (caught_[i]) ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
}

const StopFlag* JobStopper::flag() const {
    return &gStop;
}

void JobStopper::cancel() {
    int running = 0;
    gStop.compare_exchange_strong(running, kStopCancelled);
}

void JobStopper::endIfSignalled(int stoppedBy) {
    if (stoppedBy <= 0) return;
    std::signal(stoppedBy, SIG_DFL);
    std::raise(stoppedBy);
}

}  // namespace ottomix
