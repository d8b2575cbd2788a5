// The busy pointer of a directory read: up once the read has lasted longer
// than kBusyPointerDelay, put back however the read ends. The read calls
// check() now and then; the time comes from FileSystem::now(), so tests
// can turn the clock.
#pragma once

#include <chrono>

#include "ui/browser/file_system.h"

namespace ottomix {

inline constexpr std::chrono::milliseconds kBusyPointerDelay{100};

class BusyPointer {
  public:
    BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer();

    // Puts the pointer up when the read has lasted long enough.
    void check();
    bool isUp() const { return up_; }

  private:
    FileSystem::Clock::time_point start_;
    bool up_ = false;
};

}  // namespace ottomix
