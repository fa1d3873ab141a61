#include "platform/ui/anchors.h"

#include <gtest/gtest.h>

namespace slp {
namespace {

TEST(AnchoredRect, FollowsTheAnchoredSides) {
  const QSize design(635, 348);
  const QRect r(519, 270, 108, 17);
  struct Case {
    const char* what;
    unsigned anchors;
    QSize parent;
    QRect expected;
  };
  const Case cases[] = {
      {"left top stays", akLeft | akTop, {735, 448}, {519, 270, 108, 17}},
      {"right moves", akRight | akTop, {735, 448}, {619, 270, 108, 17}},
      {"bottom moves", akLeft | akBottom, {735, 448}, {519, 370, 108, 17}},
      {"left and right stretch", akLeft | akRight | akTop, {735, 448}, {519, 270, 208, 17}},
      {"top and bottom stretch", akLeft | akTop | akBottom, {735, 448}, {519, 270, 108, 117}},
      {"smaller parent, right and bottom", akRight | akBottom, {535, 248}, {419, 170, 108, 17}},
      {"never below zero", akLeft | akRight | akTop | akBottom, {200, 200}, {519, 270, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(AnchoredRect(r, c.anchors, design, c.parent), c.expected);
  }
}

TEST(SnapToEdges, MovesOntoAnEdgeWithinTheBuffer) {
  const QRect screen(0, 0, 1024, 768);
  struct Case {
    const char* what;
    QRect frame;
    QPoint expected;
  };
  const Case cases[] = {
      {"far from the edges", {100, 100, 300, 200}, {100, 100}},
      {"near the left and top", {16, 10, 300, 200}, {0, 0}},
      {"just outside the buffer", {17, 17, 300, 200}, {17, 17}},
      {"near the right", {1024 - 300 - 12, 300, 300, 200}, {724, 300}},
      {"near the bottom", {300, 768 - 200 - 5, 300, 200}, {300, 568}},
      {"past the left edge", {-10, 300, 300, 200}, {0, 300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SnapToEdges(c.frame, screen, 16), c.expected);
  }
}

}  // namespace
}  // namespace slp
