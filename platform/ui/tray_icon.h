#pragma once
// A notification-area icon with an image list of frames, a frame animation, an integer tag
// and a balloon whose settings are kept between showings.
//
// Events as the window sees them: a single click gives Click; a double click gives Click for
// its first press, then DblClick (X11 tray hosts report the first press of a double click as
// an ordinary click; hosts that speak the StatusNotifier protocol may report no double click
// at all). The context menu opens by itself on a right click and raises MenuPopup just before.

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

namespace slp {

class TTrayIcon : public QObject {
  Q_OBJECT
  // Texts people read, visible to the translation of the window that owns the icon.
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(QString BalloonTitle READ BalloonTitle WRITE SetBalloonTitle)
  Q_PROPERTY(QString BalloonHint READ BalloonHint WRITE SetBalloonHint)

 public:
  explicit TTrayIcon(QObject* parent = nullptr);

  // The frames; the icon shown is Icons()[IconIndex()].
  void SetIcons(QList<QIcon> icons);
  const QList<QIcon>& Icons() const { return icons_; }
  int IconIndex() const { return icon_index_; }
  // Shows frame `index`; an index outside the frames is kept but leaves the picture as it is.
  void SetIconIndex(int index);

  // While set, the icon steps to the next frame every AnimateInterval ms, wrapping after the
  // last; the first step comes one interval after the start. Clearing it leaves the frame
  // shown at that moment. Setting it again while it runs does not restart the interval.
  bool Animate() const { return timer_.isActive(); }
  void SetAnimate(bool animate);
  int AnimateInterval() const { return timer_.interval(); }
  void SetAnimateInterval(int ms) { timer_.setInterval(ms); }
  // The timer that drives the animation; its timeout calls StepAnimation.
  const QTimer& AnimationTimer() const { return timer_; }
  // Shows the next frame, back to frame 0 after the last; nothing without frames.
  void StepAnimation();

  QString Hint() const { return tray_.toolTip(); }
  void SetHint(const QString& hint) { tray_.setToolTip(hint); }

  QString BalloonTitle() const { return balloon_title_; }
  void SetBalloonTitle(const QString& title) { balloon_title_ = title; }
  QString BalloonHint() const { return balloon_hint_; }
  void SetBalloonHint(const QString& text) { balloon_hint_ = text; }
  int BalloonTimeout() const { return balloon_timeout_; }
  void SetBalloonTimeout(int ms) { balloon_timeout_ = ms; }
  QSystemTrayIcon::MessageIcon BalloonFlags() const { return balloon_flags_; }
  void SetBalloonFlags(QSystemTrayIcon::MessageIcon flags) { balloon_flags_ = flags; }
  // Shows the balloon with the settings above. Without a tray host nothing appears.
  void ShowBalloonHint();

  // Free for the owner: tells apart the kinds of balloon shown.
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  bool Visible() const { return tray_.isVisible(); }
  void SetVisible(bool visible) { tray_.setVisible(visible); }

  // The menu opened by a right click; not owned. Null removes it.
  QMenu* PopupMenu() const { return menu_; }
  void SetPopupMenu(QMenu* menu);

  // The wrapped icon, for tests and for what this class does not offer.
  QSystemTrayIcon& SystemTrayIcon() { return tray_; }

 signals:
  void Click();
  void DblClick();
  void BalloonClick();
  void MenuPopup();

 private:
  void OnActivated(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon tray_;
  QTimer timer_;
  QList<QIcon> icons_;
  int icon_index_ = 0;
  QString balloon_title_;
  QString balloon_hint_;
  int balloon_timeout_ = 30000;
  QSystemTrayIcon::MessageIcon balloon_flags_ = QSystemTrayIcon::Information;
  int tag_ = 0;
  QPointer<QMenu> menu_;
  QMetaObject::Connection menu_popup_;
};

}  // namespace slp
