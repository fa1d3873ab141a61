#include "platform/os/guid.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "platform/os/embedded.h"

namespace slp {
namespace {

TEST(NewGuidString, RegistryFormUpperCaseAndNewEachTime) {
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    const std::string g = NewGuidString();
    ASSERT_EQ(g.size(), 38u) << g;
    EXPECT_EQ(g.front(), '{');
    EXPECT_EQ(g.back(), '}');
    for (std::size_t k = 1; k < 37; ++k) {
      if (k == 9 || k == 14 || k == 19 || k == 24)
        EXPECT_EQ(g[k], '-') << g;
      else
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(g[k])) &&
                    !std::islower(static_cast<unsigned char>(g[k])))
            << g;
    }
    EXPECT_EQ(g[15], '4') << g;  // a random GUID says so
    EXPECT_NE(std::string("89AB").find(g[20]), std::string::npos) << g;
    seen.insert(g);
  }
  EXPECT_EQ(seen.size(), 100u);
}

TEST(EmbeddedResource, FoundByExactNameFirstRegistrationWins) {
  static const std::uint8_t first[] = {1, 2, 3};
  static const std::uint8_t second[] = {4};
  EXPECT_TRUE(RegisterEmbeddedResource("TEST-BLOB", first, sizeof first));
  EXPECT_FALSE(RegisterEmbeddedResource("TEST-BLOB", second, sizeof second));
  const auto found = FindEmbeddedResource("TEST-BLOB");
  EXPECT_EQ(found.data(), first);
  EXPECT_EQ(found.size(), 3u);
  EXPECT_TRUE(FindEmbeddedResource("test-blob").empty());
  EXPECT_TRUE(FindEmbeddedResource("").empty());
}

}  // namespace
}  // namespace slp
