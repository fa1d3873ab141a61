#pragma once
// The notifier's 16 x 16 pictures.

#include <QIcon>
#include <QList>

namespace slp::icons {

QList<QIcon> TrayFrames();     // imglIcons: 0 resting icon, 1 alert frame
QList<QIcon> SystrayImages();  // imglSystray: 0 show, 1 hide, 2 exit, 3 refresh
QList<QIcon> OverlayFrames();  // imglOverlay: four frames of the taskbar overlay animation
QIcon NavigateGlyph();         // glyph of the "Go to" button

}  // namespace slp::icons
