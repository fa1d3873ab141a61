#include "resources/icons.h"

#include <QImage>
#include <QPixmap>

// Drawn as XPM text so that the pictures stay reviewable in the sources.
#include "resources/icons/navigate.xpm"
#include "resources/icons/overlay_0.xpm"
#include "resources/icons/overlay_1.xpm"
#include "resources/icons/overlay_2.xpm"
#include "resources/icons/overlay_3.xpm"
#include "resources/icons/tray_alert.xpm"
#include "resources/icons/tray_exit.xpm"
#include "resources/icons/tray_hide.xpm"
#include "resources/icons/tray_refresh.xpm"
#include "resources/icons/tray_rest.xpm"
#include "resources/icons/tray_show.xpm"

namespace slp::icons {

namespace {
QIcon Icon(const char* const xpm[]) { return QIcon(QPixmap::fromImage(QImage(xpm))); }
}  // namespace

QList<QIcon> TrayFrames() { return {Icon(tray_rest_xpm), Icon(tray_alert_xpm)}; }

QList<QIcon> SystrayImages() {
  return {Icon(tray_show_xpm), Icon(tray_hide_xpm), Icon(tray_exit_xpm), Icon(tray_refresh_xpm)};
}

QList<QIcon> OverlayFrames() {
  return {Icon(overlay_0_xpm), Icon(overlay_1_xpm), Icon(overlay_2_xpm), Icon(overlay_3_xpm)};
}

QIcon NavigateGlyph() { return Icon(navigate_xpm); }

}  // namespace slp::icons
