#include "core/io/temporary_names.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace tovenrak::core {

namespace {

// Enough for the most workers the command line allows, the windows and
// headroom; a fixed array because the handler may not allocate or lock.
constexpr int kSlots = 2048;

struct Slot {
  std::atomic<bool> taken{false};
  std::atomic<int> dir_fd{-1};  // Set last, so the handler sees a whole name.
  char name[kMaxTemporaryName + 1];
};

Slot slots[kSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Set by the handler; threads at CreatingTemporary are counted.
std::atomic<bool> ending{false};
std::atomic<int> creating{0};
static_assert(std::atomic<bool>::is_always_lock_free &&
              std::atomic<int>::is_always_lock_free);

void RemoveTemporaries(int signal_number) {
  const int saved_errno = errno;
  ending.store(true);
  // A name being made is made before the names are removed; a thread that
  // waits on a full disk or a slow file system is not waited for past a
  // second.
  for (int waited = 0; creating.load() > 0 && waited < 1000; ++waited) {
    const struct timespec millisecond = {0, 1000000};
    ::nanosleep(&millisecond, nullptr);
  }
  for (Slot& slot : slots) {
    const int dir_fd = slot.dir_fd.load(std::memory_order_acquire);
    if (dir_fd >= 0) ::unlinkat(dir_fd, slot.name, 0);
  }
  errno = saved_errno;
  // SA_RESETHAND restored the default action; the signal, blocked while the
  // handler runs, ends the process as soon as it returns.
  ::raise(signal_number);
}

void InstallHandlers() {
  for (int signal_number : kSignals) {
    struct sigaction current;
    if (::sigaction(signal_number, nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL)
      continue;
    struct sigaction action {};
    action.sa_handler = RemoveTemporaries;
    sigfillset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace

TemporaryName::TemporaryName(int dir_fd, std::string_view name) : slot_(-1) {
  assert(name.size() <= kMaxTemporaryName);
  static std::once_flag installed;
  std::call_once(installed, InstallHandlers);
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (slots[i].taken.compare_exchange_strong(expected, true)) {
      std::memcpy(slots[i].name, name.data(), name.size());
      slots[i].name[name.size()] = '\0';
      slots[i].dir_fd.store(dir_fd, std::memory_order_release);
      slot_ = i;
      return;
    }
  }
}

TemporaryName::~TemporaryName() {
  if (slot_ < 0) return;
  slots[slot_].dir_fd.store(-1, std::memory_order_release);
  slots[slot_].taken.store(false, std::memory_order_release);
}

CreatingTemporary::CreatingTemporary() {
  sigset_t blocked;
  sigemptyset(&blocked);
  for (int signal_number : kSignals) sigaddset(&blocked, signal_number);
  ::pthread_sigmask(SIG_BLOCK, &blocked, &saved_);
  creating.fetch_add(1);
  if (ending.load()) {
    // The handler removes the names and ends the process meanwhile.
    creating.fetch_sub(1);
    for (;;) ::pause();
  }
}

CreatingTemporary::~CreatingTemporary() {
  creating.fetch_sub(1);
  ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

}  // namespace tovenrak::core
