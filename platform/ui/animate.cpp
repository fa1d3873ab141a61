#include "platform/ui/animate.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <string>

namespace slp {

TAnimate::TAnimate(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
  timer_->setTimerType(Qt::PreciseTimer);
  connect(timer_, &QTimer::timeout, this, [this] { Step(); });
}

bool TAnimate::SetClip(std::span<const std::uint8_t> avi) {
  Stop();
  images_.clear();
  current_ = 0;
  std::string error;
  if (!clip_.Load(avi, error)) {
    update();
    return false;
  }
  QList<QRgb> colours;
  for (std::uint32_t c : clip_.Palette()) colours.push_back(c);
  colours[clip_.Frame(0).front()] &= 0x00FFFFFFu;  // the backdrop colour shows through
  for (int i = 0; i < clip_.FrameCount(); ++i) {
    const auto& pixels = clip_.Frame(i);
    QImage image(pixels.data(), clip_.Width(), clip_.Height(), clip_.Width(),
                 QImage::Format_Indexed8);
    image.setColorTable(colours);
    images_.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
  }
  timer_->setInterval(FrameInterval());
  update();
  return true;
}

int TAnimate::FrameInterval() const {
  return std::max(1, static_cast<int>((clip_.MicrosecondsPerFrame() + 500) / 1000));
}

void TAnimate::Play(int fromFrame, int toFrame, int count) {
  if (!Open()) return;
  from_ = std::clamp(fromFrame, 1, FrameCount()) - 1;
  to_ = std::clamp(toFrame, from_ + 1, FrameCount()) - 1;
  repetitions_left_ = std::max(count, 0);
  Show(from_);
  timer_->start();
}

void TAnimate::Stop() { timer_->stop(); }

void TAnimate::Seek(int frame) {
  Stop();
  if (Open()) Show(std::clamp(frame, 1, FrameCount()) - 1);
}

bool TAnimate::Active() const { return timer_->isActive(); }

QSize TAnimate::sizeHint() const {
  return Open() ? QSize(clip_.Width(), clip_.Height()) : QSize(0, 0);
}

void TAnimate::Show(int index) {
  current_ = index;
  update();
  emit FrameChanged(index + 1);
}

void TAnimate::Step() {
  if (current_ < to_) {
    Show(current_ + 1);
    return;
  }
  if (repetitions_left_ == 1) {
    Stop();
    return;
  }
  if (repetitions_left_ > 1) --repetitions_left_;
  Show(from_);
}

void TAnimate::paintEvent(QPaintEvent*) {
  if (images_.empty()) return;
  QPainter painter(this);
  const QImage& image = images_[static_cast<std::size_t>(current_)];
  // Centred in the control, as the clip keeps its own size.
  painter.drawImage((width() - image.width()) / 2, (height() - image.height()) / 2, image);
}

}  // namespace slp
