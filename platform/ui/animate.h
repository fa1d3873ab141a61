#pragma once
// An animation control: plays an AVI clip (AviClip) at the clip's own frame rate, over a
// range of frames a number of times or endlessly, or shows one frame still. The colour of
// the first frame's top-left pixel is drawn transparent, so the clip sits on the window's
// own background.

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/os/avi_clip.h"

class QTimer;

namespace slp {

class TAnimate : public QWidget {
  Q_OBJECT

 public:
  explicit TAnimate(QWidget* parent = nullptr);

  // Opens the clip in `avi`; false (and no clip) when it cannot be read. Stops any play.
  bool SetClip(std::span<const std::uint8_t> avi);
  bool Open() const { return clip_.FrameCount() > 0; }
  int FrameCount() const { return clip_.FrameCount(); }
  // Interval of the play timer in milliseconds.
  int FrameInterval() const;

  // Plays frames `fromFrame` to `toFrame` (counted from 1) `count` times, 0 for ever.
  void Play(int fromFrame, int toFrame, int count);
  void Stop();
  // Shows frame `frame` (counted from 1) still; stops a play.
  void Seek(int frame);
  bool Active() const;
  // The frame on screen, counted from 1.
  int CurrentFrame() const { return current_ + 1; }

  QSize sizeHint() const override;

 signals:
  // A new frame is on screen.
  void FrameChanged(int frame);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Show(int index);
  void Step();

  AviClip clip_;
  std::vector<QImage> images_;
  QTimer* timer_ = nullptr;
  int current_ = 0;
  int from_ = 0;
  int to_ = 0;
  int repetitions_left_ = 0;  // 0: endless
};

}  // namespace slp
