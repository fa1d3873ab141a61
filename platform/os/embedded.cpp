#include "platform/os/embedded.h"

#include <map>
#include <string>

namespace slp {
namespace {

// Built on first use: registrations run from static initialisers in any order.
std::map<std::string, std::span<const std::uint8_t>, std::less<>>& Registry() {
  static std::map<std::string, std::span<const std::uint8_t>, std::less<>> registry;
  return registry;
}

}  // namespace

bool RegisterEmbeddedResource(const char* name, const std::uint8_t* data, std::size_t size) {
  return Registry().emplace(name, std::span<const std::uint8_t>(data, size)).second;
}

std::span<const std::uint8_t> FindEmbeddedResource(std::string_view name) {
  const auto it = Registry().find(name);
  return it == Registry().end() ? std::span<const std::uint8_t>() : it->second;
}

}  // namespace slp
