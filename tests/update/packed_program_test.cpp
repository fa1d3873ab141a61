#include "update/packed_program.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace slp {
namespace {

std::string Pack(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
            reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), 9);
  packed.resize(size);
  return packed;
}

TEST(UnpackProgram, GivesBackTheBytesOrNothing) {
  std::string program(300000, '\0');
  for (std::size_t i = 0; i < program.size(); ++i) program[i] = static_cast<char>(i * 7 % 251);
  const std::string packed = Pack(program);
  EXPECT_EQ(UnpackProgram(packed), program);
  EXPECT_EQ(UnpackProgram(Pack("")), "");

  const struct {
    const char* what;
    std::string bytes;
  } broken[] = {
      {"cut short", packed.substr(0, packed.size() / 2)},
      {"without its check sum", packed.substr(0, packed.size() - 1)},
      {"something after it", packed + "x"},
      {"not compressed at all", program.substr(0, 100)},
      {"nothing", ""},
  };
  for (const auto& b : broken) EXPECT_EQ(UnpackProgram(b.bytes), std::nullopt) << b.what;
  EXPECT_EQ(UnpackProgram(packed, program.size() - 1), std::nullopt) << "over the limit";
}

}  // namespace
}  // namespace slp
