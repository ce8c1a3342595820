#include "core/io/reserve_large.h"

#include <sys/mman.h>

#include <cstdint>

namespace tovenrak::core {

namespace {

// Below this the faults saved are too few to matter.
constexpr size_t kLarge = size_t{4} << 20;
constexpr uintptr_t kHugePage = uintptr_t{2} << 20;

}  // namespace

void ReserveLarge(std::string& bytes, size_t size) {
  bytes.reserve(size);
  if (bytes.capacity() < kLarge) return;
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

}  // namespace tovenrak::core
