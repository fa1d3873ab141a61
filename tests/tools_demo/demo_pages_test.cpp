// The demo service's pages carry what the notifier reads, the light one and the heavy one.
#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdint>

#include "monitor/page_analysis.h"
#include "tools/demo/demo_service.h"

namespace slp::demo {
namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(DemoStreamPage, CarriesTheMarkerTheLatestPostAndTheCounterAtEveryWeight) {
  struct Case {
    const char* lang;
    int older_posts;
  };
  const Case cases[] = {{"en", 0}, {"fr", 0}, {"en", kHeavyPosts}, {"fr", 1500}};
  const StreamState state{"10:07", 4};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.lang) + " " + std::to_string(c.older_posts));
    const std::string page = StreamPage(state, c.lang, c.older_posts);
    EXPECT_TRUE(HasStreamMarker(page));
    EXPECT_EQ(FindPostTime(page), "10:07");
    EXPECT_EQ(FindCounter(page), "4");
    EXPECT_EQ(Count(page, "<img "), static_cast<size_t>(c.older_posts));
    EXPECT_EQ(Count(page, "/pictures/"), static_cast<size_t>(c.older_posts));
    EXPECT_EQ(Count(page, "<script>"), c.older_posts > 0 ? 1u : 0u);
    // Every post shows a time the analysis could read, the newest first.
    EXPECT_EQ(Count(page, "</a></span> &nbsp;-&nbsp; <"), 2u + c.older_posts);
  }
}

std::uint32_t Field(const std::string& bmp, size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bmp[at + static_cast<size_t>(i)]);
  return value;
}

TEST(DemoPicture, IsAWholeBmpOfItsSizeAndDiffersByNumber) {
  const std::string a = Picture(0), b = Picture(1), c = Picture(2999);
  const size_t row = (kPictureWidth * 3 + 3) / 4 * 4;
  ASSERT_EQ(a.size(), 54 + row * kPictureHeight);
  EXPECT_EQ(a.substr(0, 2), "BM");
  EXPECT_EQ(Field(a, 2, 4), a.size());
  EXPECT_EQ(Field(a, 10, 4), 54u);
  EXPECT_EQ(Field(a, 18, 4), static_cast<std::uint32_t>(kPictureWidth));
  EXPECT_EQ(Field(a, 22, 4), static_cast<std::uint32_t>(kPictureHeight));
  EXPECT_EQ(Field(a, 28, 2), 24u);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  EXPECT_EQ(Picture(1), b);  // the same number, the same picture
}

TEST(DemoService, ServesTheHeavyStreamAndItsPictures) {
  Options options;
  options.signed_in = true;
  options.heavy_posts = 20;
  Service service(options);
  const int port = service.Start();
  ASSERT_NE(port, 0);
  service.SetStreamState({"11:30", 2});
  httplib::Client client("127.0.0.1", port);

  const auto stream = client.Get("/stream");
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->status, 200);
  EXPECT_EQ(FindPostTime(stream->body), "11:30");
  EXPECT_EQ(Count(stream->body, "<img "), 20u);

  const auto picture = client.Get("/pictures/19.bmp");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->status, 200);
  EXPECT_EQ(picture->get_header_value("Content-Type"), "image/bmp");
  EXPECT_EQ(picture->body, Picture(19));

  const auto missing = client.Get("/pictures/x.bmp");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  service.Stop();
}

}  // namespace
}  // namespace slp::demo
