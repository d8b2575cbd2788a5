// The receiver of a cipher job's course.
#pragma once

#include <cstdint>
#include <string>

namespace ottomix {

// A job calls, in this order: reset(); started() after the counting pass;
// progressed() any number of times during the transform pass; and one of
// finished(), failed() or cancelled(). All of them on the job's own thread.
class JobProgress {
  public:
    virtual ~JobProgress() = default;

    // Before anything is opened.
    virtual void reset() = 0;
    // After the counting pass; `total` is the byte count + 1 (64-bit, so
    // files of 2 GiB and more keep a sound total).
    virtual void started(const std::string& caption, std::int64_t total) = 0;
    // The bytes of the transform pass done so far, once per block of about
    // a buffer's size, never per byte. It runs on the job's thread between
    // two blocks, so it must stay cheap: a store, or a redraw only when the
    // shown figure changes.
    virtual void progressed(std::uint64_t done) { (void)done; }
    // After both streams of the transform pass closed cleanly.
    virtual void finished() = 0;
    // Instead of finished() when the transform pass failed: "Encryption
    // Failed" or "Decryption Failed", and what went wrong.
    virtual void failed(const std::string& caption, const std::string& message) = 0;
    // Instead of finished() when the job was stopped, in either pass:
    // "Encryption Cancelled" or "Decryption Cancelled".
    virtual void cancelled(const std::string& caption) = 0;
};

// A receiver that ignores everything.
class NullProgress : public JobProgress {
  public:
    void reset() override {}
    void started(const std::string&, std::int64_t) override {}
    void finished() override {}
    void failed(const std::string&, const std::string&) override {}
    void cancelled(const std::string&) override {}
};

}  // namespace ottomix
