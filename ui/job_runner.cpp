#include "ui/job_runner.h"

#include <QThread>
#include <atomic>
#include <functional>

namespace ottomix {

namespace {

// Display rate for the bar: smooth to the eye, and nothing the job notices.
constexpr int kRelayIntervalMs = 25;

}  // namespace

// The job's receiver on the worker thread: it posts each notification to
// the runner's thread, in order, and keeps the progress in a counter that
// the runner reads at display rate.
class RelayProgress : public JobProgress {
  public:
    explicit RelayProgress(JobRunner* runner) : runner_(runner) {}

    void reset() override {
        post([](JobRunner* r) { r->receiver_->reset(); });
    }
    void started(const std::string& caption, std::int64_t total) override {
        post([caption, total](JobRunner* r) {
            r->receiver_->started(caption, total);
            r->relaying_ = true;
            r->relayed_ = 0;
            r->ticker_.start();
        });
    }
    void progressed(std::uint64_t done) override { done_.store(done, std::memory_order_relaxed); }
    void finished() override {
        end([](JobRunner* r) { r->receiver_->finished(); });
    }
    void failed(const std::string& caption, const std::string& message) override {
        end([caption, message](JobRunner* r) { r->receiver_->failed(caption, message); });
    }
    void cancelled(const std::string& caption) override {
        end([caption](JobRunner* r) { r->receiver_->cancelled(caption); });
    }

    std::uint64_t done() const { return done_.load(std::memory_order_relaxed); }

  private:
    void post(std::function<void(JobRunner*)> call) {
        JobRunner* runner = runner_;
        QMetaObject::invokeMethod(
            runner, [runner, call = std::move(call)] { call(runner); }, Qt::QueuedConnection);
    }
    // The receiver sees where the job stopped before it hears how it ended.
    void end(std::function<void(JobRunner*)> call) {
        const std::uint64_t done = this->done();
        post([done, call = std::move(call)](JobRunner* r) {
            r->ticker_.stop();
            if (r->relaying_ && done != r->relayed_) r->receiver_->progressed(done);
            r->relaying_ = false;
            r->relayed_ = done;
            call(r);
        });
    }

    JobRunner* runner_;
    std::atomic<std::uint64_t> done_{0};
};

JobRunner::JobRunner(QObject* parent) : QObject(parent) {
    ticker_.setInterval(kRelayIntervalMs);
    connect(&ticker_, &QTimer::timeout, this, &JobRunner::relayProgress);
}

JobRunner::~JobRunner() {
    wait();
    delete thread_;
}

bool JobRunner::start(const JobRequest& request, JobProgress* receiver,
                      std::int64_t progressTotal) {
    if (isRunning()) return false;
    receiver_ = receiver;
    relay_ = std::make_unique<RelayProgress>(this);
    progressTotal_ = progressTotal;
    relaying_ = false;
    relayed_ = 0;
    result_ = JobResult{};
    // The worker touches only the request's copy, the relay and the two
    // results, which this thread reads once the worker has ended.
    thread_ = QThread::create(
        [this, request] { result_ = runCipherJob(request, *relay_, progressTotal_); });
    thread_->setObjectName(QStringLiteral("cipher job"));
    // Queued: the thread's end arrives behind every notification it posted.
    connect(thread_, &QThread::finished, this, &JobRunner::threadEnded, Qt::QueuedConnection);
    thread_->start();
    return true;
}

void JobRunner::wait() {
    if (thread_ != nullptr) thread_->wait();
}

void JobRunner::relayProgress() {
    if (!relaying_ || relay_ == nullptr) return;
    const std::uint64_t done = relay_->done();
    if (done == relayed_) return;
    relayed_ = done;
    receiver_->progressed(done);
}

void JobRunner::threadEnded() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    ticker_.stop();
    relaying_ = false;
    relay_.reset();
    const JobResult result = std::move(result_);
    emit finished(result, progressTotal_);
}

}  // namespace ottomix
