#pragma once
// Room for a large body of bytes received piece by piece.

#include <cstddef>
#include <string>

namespace slp {

// Reserves room for `size` bytes in the empty `buffer` at once, so that filling it never
// copies what it already holds (peak memory stays at the body's size), and asks the system to
// back the room with large pages, which makes first touching it several times cheaper. Sizes
// beyond 1 GiB are left to grow as they come; a failure to reserve changes nothing.
void ReserveBuffer(std::string& buffer, std::size_t size);

}  // namespace slp
