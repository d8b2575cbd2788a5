// The receiver of a cipher job's course.
#pragma once

#include <cstdint>
#include <string>

namespace ottomix {

// A job calls, in this order: Reset(); Started() after the counting pass;
// Progressed() any number of times during the transform pass; and one of
// Finished(), Failed() or Cancelled(). All of them on the job's own thread.
class JobProgress {
  public:
    virtual ~JobProgress() = default;

    // Before anything is opened.
    virtual void Reset() = 0;
    // After the counting pass; `total` is the byte count + 1 (64-bit, so
    // files of 2 GiB and more keep a sound total).
    virtual void Started(const std::string& caption, std::int64_t total) = 0;
    // The bytes of the transform pass done so far, once per block of about
    // a buffer's size, never per byte. It runs on the job's thread between
    // two blocks, so it must stay cheap: a store, or a redraw only when the
    // shown figure changes.
    virtual void Progressed(std::uint64_t done) { (void)done; }
    // After both streams of the transform pass closed cleanly.
    virtual void Finished() = 0;
    // Instead of Finished() when the transform pass failed: "Encryption
    // Failed" or "Decryption Failed", and what went wrong.
    virtual void Failed(const std::string& caption, const std::string& message) = 0;
    // Instead of Finished() when the job was stopped, in either pass:
    // "Encryption Cancelled" or "Decryption Cancelled".
    virtual void Cancelled(const std::string& caption) = 0;
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
