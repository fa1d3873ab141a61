#pragma once
// Named blobs compiled into the executable (its resources): each is generated from a file at
// build time (cmake/SlpEmbed.cmake) and registers itself before main runs.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace slp {

// Makes `data` findable under `name`; generated sources call it. A second blob of the same
// name is ignored.
bool RegisterEmbeddedResource(const char* name, const std::uint8_t* data, std::size_t size);

// The blob registered under `name` (exact match); empty when there is none.
std::span<const std::uint8_t> FindEmbeddedResource(std::string_view name);

}  // namespace slp
