// Work on a list done by a second thread ahead of the one that takes the
// results, which takes them in list order.

#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace tovenrak::batch {

// Runs work(k) for k = 0 .. count - 1, each once, on a helper thread and on
// the caller's own thread in Take, at most `ahead` items ahead of the one
// the caller takes next, so that two items are worked on at a time while
// the caller sees the results one after another, in order, as a loop would
// give them. `work` must be safe to call from two threads at once for
// different k.
template <typename T>
class WorkAhead {
 public:
  WorkAhead(size_t count, std::function<T(size_t)> work, size_t ahead = 4)
      : work_(std::move(work)), ahead_(ahead), slots_(count) {
    if (count < 2) return;
    try {
      helper_ = std::thread([this] { Help(); });
    } catch (const std::system_error&) {
      // No second thread: Take does all the work.
    }
  }
  WorkAhead(const WorkAhead&) = delete;
  WorkAhead& operator=(const WorkAhead&) = delete;
  ~WorkAhead() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (helper_.joinable()) helper_.join();
  }

  // From now on the helper begins no item; those it began it finishes.
  void StopBeginning() {
    {
      std::lock_guard lock(mutex_);
      stop_beginning_ = true;
    }
    changed_.notify_all();
  }
  // Whether a thread began item k; after StopBeginning, those not begun
  // stay so unless Take(k) is called.
  bool Begun(size_t k) {
    std::lock_guard lock(mutex_);
    return slots_[k].begun;
  }

  // The result of item k. While it is not ready, this thread works on item
  // k or, when the helper has begun that one, on a later one not begun, so
  // that both threads keep working.
  // REQUIRES: k is 0 at the first call and one more at each next call.
  T Take(size_t k) {
    std::unique_lock lock(mutex_);
    Slot& slot = slots_[k];
    while (!slot.result) {
      size_t j = k;
      while (j < slots_.size() && j <= k + ahead_ && slots_[j].begun) ++j;
      if (j < slots_.size() && j <= k + ahead_) {
        Run(j, lock);
      } else {
        changed_.wait(lock, [&] { return slot.result.has_value(); });
      }
    }
    T result = std::move(*slot.result);
    slot.result.reset();
    taken_ = k + 1;
    lock.unlock();
    changed_.notify_all();
    return result;
  }

 private:
  struct Slot {
    bool begun = false;
    std::optional<T> result;
  };

  // Works on item k, which no thread has begun, outside the lock.
  void Run(size_t k, std::unique_lock<std::mutex>& lock) {
    slots_[k].begun = true;
    lock.unlock();
    T result = work_(k);
    lock.lock();
    slots_[k].result.emplace(std::move(result));
    changed_.notify_all();
  }

  void Help() {
    std::unique_lock lock(mutex_);
    for (size_t k = 0; k < slots_.size(); ++k) {
      changed_.wait(lock, [&] {
        return stop_ || stop_beginning_ || k < taken_ + ahead_;
      });
      if (stop_ || stop_beginning_) return;
      if (k >= taken_ && !slots_[k].begun) Run(k, lock);
    }
  }

  const std::function<T(size_t)> work_;
  const size_t ahead_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;
  size_t taken_ = 0;  // Items the caller has taken.
  bool stop_ = false;
  bool stop_beginning_ = false;
  std::thread helper_;  // Declared last: it starts once the rest is made.
};

}  // namespace tovenrak::batch
