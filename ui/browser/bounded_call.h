// Calls that may block for good, such as a stat on a network or FUSE
// volume whose server stopped answering, run on helper threads; the window
// waits for them a bounded time and goes on without them.
//
// A helper that is still blocked when the wait ends stays blocked until its
// call returns (the process can still exit: the waits of such calls end on
// a fatal signal). Its result is dropped. While it is blocked, a call under
// the same key is not started again but counts as unanswered at once, so
// rereading a directory does not pile up helpers on the same dead link.
//
// Everything a call uses must be captured by value: it may outlive the
// function that started it.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ottomix {

// Runs `call` on a helper thread and waits until it returns or `timeout`
// has passed. Returns its result, or nothing when it did not return in time
// (or its key is still blocked, or no helper could be started). A result
// that comes too late is given to `discard`, when set, to free what it
// holds (an open descriptor, say).
std::optional<int> callWithin(std::chrono::milliseconds timeout, std::function<int()> call,
                              const std::string& key = {}, std::function<void(int)> discard = {});

// Runs call(0) ... call(count - 1), independent of each other, on helper
// threads, with one deadline for them all. One helper works through the
// calls; when it makes no progress for a while (stuck on one call) another
// one takes over the rest, up to a few. The wait ends when every call has
// returned, when none returned for `timeout`, or once `timeout` has passed
// since the start and the calls stopped returning briskly. Returns each
// call's result, or nothing for the ones that did not return in time or
// whose key(i) is still blocked. `progress`, when set, is called on this
// thread every few milliseconds of waiting.
std::vector<std::optional<int>> callAllWithin(std::size_t count,
                                              std::function<int(std::size_t)> call,
                                              std::chrono::milliseconds timeout,
                                              const std::function<std::string(std::size_t)>& key,
                                              const std::function<void()>& progress = {});

// Helpers still running: blocked ones and any that are just finishing.
int runningHelpers();

}  // namespace ottomix
