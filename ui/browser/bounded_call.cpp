#include "ui/browser/bounded_call.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

namespace ottomix {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Helpers in the whole process; past this many (all blocked, in practice)
// a call counts as unanswered rather than starting yet another thread.
constexpr int kMaxHelpers = 256;
// Helpers one batch of calls may start when the earlier ones get stuck.
constexpr int kMaxHelpersPerBatch = 8;
// How often the waiting thread looks at the calls' progress.
constexpr milliseconds kSlice(20);

std::atomic<int> runningCount{0};

// Keys of calls given up on that have not returned yet. Never destroyed:
// a blocked helper may still reach it while the process exits.
struct BlockedKeys {
    std::mutex mutex;
    std::multiset<std::string> keys;
};
BlockedKeys& blockedKeys() {
    static auto* keys = new BlockedKeys;
    return *keys;
}

enum class CallState : unsigned char { Pending, Running, Done, Abandoned };

// What the waiting thread and the helpers share; it lives as long as the
// last of them.
struct Batch {
    std::function<int(std::size_t)> call;
    std::function<void(int)> discard;
    std::vector<std::size_t> index;  // the call each item runs
    std::vector<std::string> keys;
    std::mutex mutex;
    std::condition_variable allDone;
    std::vector<CallState> state;
    std::vector<int> result;
    std::size_t next = 0;
    std::size_t finished = 0;
    bool cancelled = false;
};

void work(const std::shared_ptr<Batch>& batch) {
    std::unique_lock lock(batch->mutex);
    while (!batch->cancelled && batch->next < batch->index.size()) {
        const std::size_t item = batch->next++;
        batch->state[item] = CallState::Running;
        lock.unlock();
        const int result = batch->call(batch->index[item]);
        lock.lock();
        if (batch->state[item] == CallState::Abandoned) {
            if (!batch->keys[item].empty()) {
                std::lock_guard guard(blockedKeys().mutex);
                auto& keys = blockedKeys().keys;
                keys.erase(keys.find(batch->keys[item]));
            }
            if (batch->discard) {
                lock.unlock();
                batch->discard(result);
                lock.lock();
            }
        } else {
            batch->result[item] = result;
        }
        batch->state[item] = CallState::Done;
        if (++batch->finished == batch->index.size()) batch->allDone.notify_all();
    }
}

bool startHelper(const std::shared_ptr<Batch>& batch) {
    if (runningCount.fetch_add(1) >= kMaxHelpers) {
        runningCount.fetch_sub(1);
        return false;
    }
    try {
        std::thread([batch] {
            work(batch);
            runningCount.fetch_sub(1);
        }).detach();
    } catch (const std::system_error&) {
        runningCount.fetch_sub(1);
        return false;
    }
    return true;
}

std::vector<std::optional<int>> runBatch(std::size_t count, std::function<int(std::size_t)> call,
                                         std::function<void(int)> discard, milliseconds timeout,
                                         const std::function<std::string(std::size_t)>& key,
                                         const std::function<void()>& progress) {
    std::vector<std::optional<int>> out(count);
    auto batch = std::make_shared<Batch>();
    batch->call = std::move(call);
    batch->discard = std::move(discard);
    {
        std::lock_guard guard(blockedKeys().mutex);
        for (std::size_t i = 0; i < count; ++i) {
            std::string k = key ? key(i) : std::string();
            if (!k.empty() && blockedKeys().keys.count(k) != 0) continue;
            batch->index.push_back(i);
            batch->keys.push_back(std::move(k));
        }
    }
    const std::size_t n = batch->index.size();
    if (n == 0) return out;
    batch->state.assign(n, CallState::Pending);
    batch->result.assign(n, 0);

    // Calls that return one after the other keep the wait going past the
    // deadline; a pause this long after it ends the wait.
    const milliseconds stall = std::clamp(timeout / 10, milliseconds(10), milliseconds(100));
    const auto start = Clock::now();
    auto lastProgress = start;
    auto lastHelper = start;
    std::size_t seen = 0;
    int helpers = startHelper(batch) ? 1 : 0;
    std::unique_lock lock(batch->mutex);
    while (helpers > 0 && batch->finished < n) {
        batch->allDone.wait_for(lock, kSlice);
        const auto now = Clock::now();
        if (batch->finished != seen) {
            seen = batch->finished;
            lastProgress = now;
        }
        if (batch->finished == n) break;
        if (now - lastProgress >= timeout) break;
        if (now - start >= timeout && now - lastProgress >= stall) break;
        if (now - std::max(lastProgress, lastHelper) >= stall && batch->next < n &&
            helpers < kMaxHelpersPerBatch) {
            lock.unlock();
            if (startHelper(batch)) ++helpers;
            lock.lock();
            lastHelper = now;
        }
        if (progress) {
            lock.unlock();
            progress();
            lock.lock();
        }
    }
    batch->cancelled = true;
    for (std::size_t item = 0; item < n; ++item) {
        if (batch->state[item] == CallState::Done) {
            out[batch->index[item]] = batch->result[item];
        } else if (batch->state[item] == CallState::Running) {
            batch->state[item] = CallState::Abandoned;
            if (!batch->keys[item].empty()) {
                std::lock_guard guard(blockedKeys().mutex);
                blockedKeys().keys.insert(batch->keys[item]);
            }
        }
    }
    return out;
}

}  // namespace

std::optional<int> callWithin(milliseconds timeout, std::function<int()> call,
                              const std::string& key, std::function<void(int)> discard) {
    auto results = runBatch(
        1, [call = std::move(call)](std::size_t) { return call(); }, std::move(discard), timeout,
        [&key](std::size_t) { return key; }, {});
    return results[0];
}

std::vector<std::optional<int>> callAllWithin(std::size_t count,
                                              std::function<int(std::size_t)> call,
                                              milliseconds timeout,
                                              const std::function<std::string(std::size_t)>& key,
                                              const std::function<void()>& progress) {
    return runBatch(count, std::move(call), {}, timeout, key, progress);
}

int runningHelpers() {
    return runningCount.load();
}

}  // namespace ottomix
