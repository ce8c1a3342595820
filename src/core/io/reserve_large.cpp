#include "core/io/reserve_large.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace tovenrak::core {

namespace {

constexpr uintptr_t kHugePage = uintptr_t{2} << 20;

}  // namespace

void ReserveLarge(std::string& bytes, size_t size) {
  bytes.reserve(size);
  if (bytes.capacity() < kLargeBytes) return;
  // Only whole huge pages inside the room are advised; the allocator's own
  // bookkeeping before it is not touched.
  const auto begin = reinterpret_cast<uintptr_t>(bytes.data());
  const uintptr_t end = begin + bytes.capacity();
  const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = end & ~(kHugePage - 1);
#ifdef MADV_HUGEPAGE
  if (first < last) {
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
#endif
}

void ReserveOutput(std::string& out, size_t input, size_t room) {
  constexpr size_t kMostPerByte = 4;
  if (input >= kLargeBytes && input < out.max_size() / kMostPerByte - 64) {
    try {
      ReserveLarge(out, std::max(room, kMostPerByte * input + 64));
      return;
    } catch (const std::bad_alloc&) {
      // Less room is tried below.
    }
  }
  ReserveLarge(out, room);
}

size_t GiveBack(std::string& bytes, size_t given, size_t end) {
  const auto begin = reinterpret_cast<uintptr_t>(bytes.data());
  const uintptr_t from = (begin + given + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t to = (begin + end) & ~(kHugePage - 1);
  if (from >= to ||
      ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED) != 0)
    return given;
  return to - begin;
}

}  // namespace tovenrak::core
