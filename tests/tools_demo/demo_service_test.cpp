#include "tools/demo/demo_service.h"

#include <gtest/gtest.h>

namespace slp::demo {
namespace {

// A demo still running elsewhere must be noticed, not share the port: the system would split
// the notifier's requests between the two services.
TEST(DemoServiceTest, PortInUseIsRefused) {
  Options options;
  Service first(options);
  const int port = first.Start();
  ASSERT_GT(port, 0);
  options.port = port;
  Service second(options);
  EXPECT_EQ(second.Start(), 0);
}

}  // namespace
}  // namespace slp::demo
