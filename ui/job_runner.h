// Runs a cipher job on a worker thread, so the windows stay live meanwhile.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "core/cipher_job.h"
#include "core/job_progress.h"

class QThread;

namespace ottomix {

class RelayProgress;

// One job at a time. The job's notifications reach the receiver on this
// object's thread in the job's order: Reset(), Started(), Progressed() at
// display rate (about 40 times a second, and once more with the final count
// before the end), then Finished(), Failed() or Cancelled().
class JobRunner : public QObject {
    Q_OBJECT

  public:
    explicit JobRunner(QObject* parent = nullptr);
    // Waits for a running job; stop it first through its request's flag.
    ~JobRunner() override;

    // Starts `request` on a worker thread, reporting to `receiver`, which
    // must outlive the job. `progressTotal` is what the job's counter holds
    // before it counts (kept when the input cannot be opened). Returns false,
    // and does nothing, while a job runs.
    bool start(const JobRequest& request, JobProgress* receiver, std::int64_t progressTotal);
    bool isRunning() const { return thread_ != nullptr; }
    // Blocks until the running job has returned (for the exit path, after
    // setting the stop flag); finished() is then still to come.
    void wait();

  signals:
    // After the receiver heard the job's last notification. `progressTotal` is
    // the job's byte count + 1, or the value start() was given.
    void finished(const ottomix::JobResult& result, std::int64_t progressTotal);

  private:
    void relayProgress();
    void threadEnded();

    QThread* thread_ = nullptr;
    std::unique_ptr<RelayProgress> relay_;
    JobProgress* receiver_ = nullptr;
    QTimer ticker_;
    JobResult result_;
    std::int64_t progressTotal_ = 0;
    // Between the receiver's Started() and its end notification: the
    // only time it hears of progress.
    bool relaying_ = false;
    std::uint64_t relayed_ = 0;
    friend class RelayProgress;
};

}  // namespace ottomix
