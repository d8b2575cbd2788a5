// What can stop a running cipher job: the window's Cancel, and SIGINT,
// SIGTERM or SIGHUP (Ctrl+C in the terminal, kill, logging out). All set one
// flag that the job reads once per block; the job then removes its temporary
// file and leaves the earlier output. Both programs use it.
#pragma once

#include <csignal>

#include "core/cipher_job.h"

namespace ottomix {

// Lives for one job: catches the three signals from construction on and puts
// back what was there before when destroyed. One at a time.
class JobStopper {
  public:
    JobStopper();
    ~JobStopper();
    JobStopper(const JobStopper&) = delete;
    JobStopper& operator=(const JobStopper&) = delete;

    // The flag to hand to the job (JobRequest::stop): 0, the number of the
    // signal that came, or kStopCancelled.
    const StopFlag* flag() const;
    // The user's Cancel.
    void cancel();

    // After the job has cleaned up: when a signal came, also one after the
    // output was complete, the process ends as that signal asks, so a calling
    // shell sees it. Returns otherwise.
    static void endIfSignalled(int stoppedBy);

  private:
    struct sigaction previous_[3];
    bool caught_[3] = {false, false, false};
};

}  // namespace ottomix
