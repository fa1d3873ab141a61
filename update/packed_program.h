#pragma once
// A program carried compressed inside another one (a zlib stream).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace slp {

// The bytes `packed` holds; nothing when they are not one whole zlib stream or would unpack
// to more than `limit` bytes.
std::optional<std::string> UnpackProgram(std::string_view packed,
                                         std::size_t limit = std::size_t{256} << 20);

}  // namespace slp
