#include "platform/os/large_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace slp {
namespace {

TEST(ReserveBuffer, FillingTheRoomNeverMovesTheBytes) {
  constexpr std::size_t kSize = 24u << 20;
  std::string buffer;
  ReserveBuffer(buffer, kSize);
  ASSERT_GE(buffer.capacity(), kSize);
  const char* room = buffer.data();
  for (std::size_t i = 0; i < kSize / 4096; ++i)
    buffer.append(4096, static_cast<char>('a' + i % 26));
  EXPECT_EQ(buffer.data(), room);
  EXPECT_EQ(buffer.size(), kSize);
  EXPECT_EQ(buffer[4096 * 27], 'b');
}

TEST(ReserveBuffer, NothingBeyondTheLimitOrBelowTheRoomThereIs) {
  std::string huge;
  ReserveBuffer(huge, (std::size_t{1} << 30) + 1);  // a size a server merely claims
  EXPECT_LT(huge.capacity(), std::size_t{1} << 20);
  std::string roomy;
  roomy.reserve(1000);
  const std::size_t capacity = roomy.capacity();
  ReserveBuffer(roomy, 10);
  EXPECT_EQ(roomy.capacity(), capacity);
}

}  // namespace
}  // namespace slp
