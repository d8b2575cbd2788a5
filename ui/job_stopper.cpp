#include "ui/job_stopper.h"

#include "core/cipher_job.h"

namespace ottomix {

namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

// Written by the signal handler, so a plain sig_atomic_t at namespace scope.
volatile std::sig_atomic_t g_stop = 0;

extern "C" void onStopSignal(int signal_number) {
    g_stop = signal_number;
}

}  // namespace

JobStopper::JobStopper() {
    g_stop = 0;
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

const volatile std::sig_atomic_t* JobStopper::flag() const {
    return &g_stop;
}

void JobStopper::cancel() {
    if (g_stop == 0) g_stop = kStopCancelled;
}

void JobStopper::endIfSignalled(int stopped_by) {
    if (stopped_by <= 0) return;
    std::signal(stopped_by, SIG_DFL);
    std::raise(stopped_by);
}

}  // namespace ottomix
