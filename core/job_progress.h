// The receiver of a cipher job's course.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace ottomix {

class JobProgress {
  public:
    virtual ~JobProgress() = default;

    // Before anything is opened.
    virtual void Reset() = 0;
    // After the counting pass; `total` is the byte count + 1 (64-bit, so
    // files of 2 GiB and more keep a sound total).
    virtual void Started(const std::string& caption, std::int64_t total) = 0;
    // Once per byte of the transform pass. This runs for every byte of files
    // of many GiB, so it is a counter and a compare; the receiver hears of it
    // (StepReached) only at the step it asked for with SetStepTarget.
    void Stepped() {
        if (++steps_ >= step_target_) StepReached();
    }
    // After both streams of the transform pass closed cleanly.
    virtual void Finished() = 0;
    // Instead of Finished() when the transform pass failed: "Encryption
    // Failed" or "Decryption Failed", and what went wrong.
    virtual void Failed(const std::string& caption, const std::string& message) = 0;
    // Instead of Finished() when the job was stopped, in either pass:
    // "Encryption Cancelled" or "Decryption Cancelled".
    virtual void Cancelled(const std::string& caption) = 0;
    // Once per 512-byte pass of either file, so a receiver may look at the
    // clock and let a window react; it must stay cheap.
    virtual void Poll() {}

    // How many Stepped() calls can come before the receiver must hear of
    // one; a job may take that many at once with AddSteps().
    std::uint64_t StepsBeforeTarget() const {
        return steps_ < step_target_ ? step_target_ - steps_ - 1 : 0;
    }
    void AddSteps(std::uint64_t n) { steps_ += n; }
    std::uint64_t steps() const { return steps_; }

  protected:
    // Called by Stepped() once steps() reaches the target.
    virtual void StepReached() { step_target_ = std::numeric_limits<std::uint64_t>::max(); }
    void SetStepCounter(std::uint64_t steps, std::uint64_t target) {
        steps_ = steps;
        step_target_ = target;
    }

  private:
    std::uint64_t steps_ = 0;
    std::uint64_t step_target_ = std::numeric_limits<std::uint64_t>::max();
};

// A receiver that ignores everything.
class NullProgress : public JobProgress {
  public:
    void Reset() override {}
    void Started(const std::string&, std::int64_t) override {}
    void Finished() override {}
    void Failed(const std::string&, const std::string&) override {}
    void Cancelled(const std::string&) override {}
};

}  // namespace ottomix
