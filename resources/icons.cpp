#include "resources/icons.h"

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <initializer_list>

// The small glyphs are drawn as XPM text so that they stay reviewable in the sources; the
// application picture is an SVG rendered to PNGs at build time and compiled in.
#include "resources/icons/navigate.xpm"
#include "resources/icons/overlay_0.xpm"
#include "resources/icons/overlay_1.xpm"
#include "resources/icons/overlay_2.xpm"
#include "resources/icons/overlay_3.xpm"
#include "resources/icons/tray_exit.xpm"
#include "resources/icons/tray_hide.xpm"
#include "resources/icons/tray_refresh.xpm"
#include "resources/icons/tray_show.xpm"

namespace slp::icons {

namespace {
QIcon Icon(const char* const xpm[]) { return QIcon(QPixmap::fromImage(QImage(xpm))); }

// The pictures rendered by the build (resources/CMakeLists.txt), one file per size.
QIcon Rendered(const char* name, std::initializer_list<int> sizes) {
  QIcon icon;
  for (int size : sizes)
    icon.addFile(QStringLiteral(":/slp/icons/%1_%2.png").arg(QLatin1String(name)).arg(size),
                 QSize(size, size));
  return icon;
}
}  // namespace

QList<QIcon> TrayFrames() { return {ApplicationIcon(), Rendered("alert", {SLP_ALERT_SIZES})}; }

QList<QIcon> SystrayImages() {
  return {Icon(tray_show_xpm), Icon(tray_hide_xpm), Icon(tray_exit_xpm), Icon(tray_refresh_xpm)};
}

QList<QIcon> OverlayFrames() {
  return {Icon(overlay_0_xpm), Icon(overlay_1_xpm), Icon(overlay_2_xpm), Icon(overlay_3_xpm)};
}

QIcon NavigateGlyph() { return Icon(navigate_xpm); }

QIcon ApplicationIcon() { return Rendered("app", {SLP_ICON_SIZES}); }

}  // namespace slp::icons
