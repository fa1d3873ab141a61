#include "tools/demo/demo_service.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <optional>
#include <string>

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

TEST(DemoServiceTest, VersionServiceAnswersTheNotifiersOwnVersionByDefault) {
  const std::string own = SLP_NOTIFIER_VERSION;
  EXPECT_EQ(NotifierVersion(), own);
  struct Case {
    const char* what;
    std::optional<std::string> told;  // --version-answer=
    std::string answer;
  };
  const Case cases[] = {
      {"by default", std::nullopt, own},
      {"told another version", "1.2.1.0", "1.2.1.0"},
      {"told an empty answer", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Options options;
    if (c.told) options.version_answer = *c.told;
    Service service(options);
    ASSERT_NE(service.Start(), 0);
    httplib::Client client(service.Origin());
    const auto res = client.Get("/slp/version?" + own);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, c.answer);
    service.Stop();
  }
}

}  // namespace
}  // namespace slp::demo
