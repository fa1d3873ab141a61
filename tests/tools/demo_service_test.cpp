// The demo service's version service: the notifier's own version unless told otherwise.
#include "tools/demo/demo_service.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/os/version_block.h"

namespace slp::demo {
namespace {

// The string table's FileVersion of the notifier's version description.
std::string DescribedFileVersion() {
  std::ifstream in(std::string(SLP_SOURCE_DIR) + "/resources/slp.version");
  std::stringstream text;
  text << in.rdbuf();
  VersionDescription description;
  std::string error;
  EXPECT_TRUE(ParseVersionDescription(text.str(), description, error)) << error;
  if (description.string_tables.empty()) return {};
  for (const auto& [key, value] : description.string_tables.front().strings)
    if (key == "FileVersion") return value;
  return {};
}

TEST(DemoServiceTest, VersionServiceAnswersTheNotifiersOwnVersionByDefault) {
  const std::string own = DescribedFileVersion();
  ASSERT_FALSE(own.empty());
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
