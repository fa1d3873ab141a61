#include "resources/icons.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QSize>

namespace slp::icons {
namespace {

// The sizes the icon theme gets; the window and a tray host pick among the same pictures.
constexpr int kThemeSizes[] = {16, 32, 48, 64, 128, 256};

QImage At(const QIcon& icon, int size) {
  return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The pictures are compiled in from files rendered by the build: a missing or empty one
// would leave the window and the tray without an icon and say nothing.
TEST(IconsTest, TheApplicationIconHasARoundPictureAtEveryThemeSize) {
  const QIcon icon = ApplicationIcon();
  ASSERT_FALSE(icon.isNull());
  for (int size : kThemeSizes) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    const QImage image = At(icon, size);
    ASSERT_EQ(image.size(), QSize(size, size));
    // A badge: opaque in the middle, the corners left transparent.
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0);
  }
}

TEST(IconsTest, TheTrayRestsOnTheApplicationPictureAndAlertsInOtherColours) {
  const QList<QIcon> frames = TrayFrames();
  ASSERT_EQ(frames.size(), 2);
  const QIcon application = ApplicationIcon();
  for (int size : {16, 22, 24, 32}) {  // what tray hosts ask for
    SCOPED_TRACE(size);
    const QImage resting = At(frames[0], size);
    const QImage alert = At(frames[1], size);
    EXPECT_EQ(resting, At(application, size));
    ASSERT_EQ(alert.size(), QSize(size, size));
    // Same outline, another colour: the alert frame blinks in place.
    EXPECT_NE(alert, resting);
    EXPECT_EQ(qAlpha(alert.pixel(size / 2, size / 2)), 255);
    EXPECT_EQ(qAlpha(alert.pixel(0, 0)), 0);
  }
}

}  // namespace
}  // namespace slp::icons
