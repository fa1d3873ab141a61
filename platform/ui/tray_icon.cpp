#include "platform/ui/tray_icon.h"

#include <QMenu>
#include <utility>

namespace slp {

TTrayIcon::TTrayIcon(QObject* parent) : QObject(parent) {
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, &TTrayIcon::StepAnimation);
  connect(&tray_, &QSystemTrayIcon::activated, this, &TTrayIcon::OnActivated);
  connect(&tray_, &QSystemTrayIcon::messageClicked, this, &TTrayIcon::BalloonClick);
}

void TTrayIcon::SetIcons(QList<QIcon> icons) {
  icons_ = std::move(icons);
  SetIconIndex(icon_index_);
}

void TTrayIcon::SetIconIndex(int index) {
  icon_index_ = index;
  if (index >= 0 && index < icons_.size()) tray_.setIcon(icons_[index]);
}

void TTrayIcon::SetAnimate(bool animate) {
  if (animate == timer_.isActive()) return;
  if (animate) {
    timer_.start();
  } else {
    timer_.stop();
  }
}

void TTrayIcon::StepAnimation() {
  const int count = static_cast<int>(icons_.size());
  if (count == 0) return;
  const int next = icon_index_ >= 0 && icon_index_ < count ? (icon_index_ + 1) % count : 0;
  SetIconIndex(next);
}

void TTrayIcon::ShowBalloonHint() {
  tray_.showMessage(balloon_title_, balloon_hint_, balloon_flags_, balloon_timeout_);
}

void TTrayIcon::SetPopupMenu(QMenu* menu) {
  disconnect(menu_popup_);
  menu_ = menu;
  tray_.setContextMenu(menu);
  if (menu != nullptr) {
    menu_popup_ = connect(menu, &QMenu::aboutToShow, this, &TTrayIcon::MenuPopup);
  }
}

void TTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      emit Click();
      break;
    case QSystemTrayIcon::DoubleClick:
      emit DblClick();
      break;
    default:
      break;
  }
}

}  // namespace slp
