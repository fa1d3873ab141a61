#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <stdexcept>

#include "platform/os/large_buffer.h"

namespace slp {

void ReserveBuffer(std::string& buffer, std::size_t size) {
  constexpr std::size_t kLargest = std::size_t{1} << 30;
  if (size <= buffer.capacity() || size > kLargest) return;
  try {
    buffer.reserve(size);
  } catch (const std::bad_alloc&) {
    return;
  } catch (const std::length_error&) {
    return;
  }
  // Only whole large pages inside the room can be backed so.
  constexpr std::uintptr_t kPage = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
  const std::uintptr_t from = (begin + kPage - 1) & ~(kPage - 1);
  const std::uintptr_t to = (begin + buffer.capacity()) & ~(kPage - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

}  // namespace slp
