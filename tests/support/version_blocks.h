#pragma once
// Version blocks for tests: built from descriptions, and 16-bit words read and patched.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/version_block/version_description.h"

namespace slp::testing {

using Bytes = std::vector<std::uint8_t>;

inline std::uint16_t Word(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

inline void PutWord(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline Bytes Build(const VersionDescription& d) {
  Bytes block;
  std::string error;
  EXPECT_TRUE(BuildVersionBlock(d, block, error)) << error;
  return block;
}

inline Bytes BuildFromText(const std::string& text) {
  VersionDescription d;
  std::string error;
  EXPECT_TRUE(ParseVersionDescription(text, d, error)) << error;
  return Build(d);
}

// One translation (English, Unicode) with one string: small enough to lay out by hand.
inline VersionDescription Tiny() {
  VersionDescription d;
  d.fixed.file_version_ms = 0x00010002;
  d.fixed.file_version_ls = 0x00030004;
  d.translations = {{0x0409, 0x04B0}};
  d.string_tables = {{{0x0409, 0x04B0}, {{"A", "b"}}}};
  return d;
}

}  // namespace slp::testing
