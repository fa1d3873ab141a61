#include "platform/ui/anchors.h"

#include <QWidget>

namespace slp {

QRect AnchoredRect(const QRect& design, unsigned anchors, const QSize& designParent,
                   const QSize& parent) {
  const int dw = parent.width() - designParent.width();
  const int dh = parent.height() - designParent.height();
  QRect r = design;
  if ((anchors & akLeft) && (anchors & akRight))
    r.setWidth(design.width() + dw);
  else if (anchors & akRight)
    r.moveLeft(design.left() + dw);
  if ((anchors & akTop) && (anchors & akBottom))
    r.setHeight(design.height() + dh);
  else if (anchors & akBottom)
    r.moveTop(design.top() + dh);
  if (r.width() < 0) r.setWidth(0);
  if (r.height() < 0) r.setHeight(0);
  return r;
}

QPoint SnapToEdges(const QRect& frame, const QRect& screen, int buffer) {
  QPoint p = frame.topLeft();
  if (std::abs(frame.left() - screen.left()) <= buffer) p.setX(screen.left());
  else if (std::abs(frame.right() - screen.right()) <= buffer)
    p.setX(screen.right() - frame.width() + 1);
  if (std::abs(frame.top() - screen.top()) <= buffer) p.setY(screen.top());
  else if (std::abs(frame.bottom() - screen.bottom()) <= buffer)
    p.setY(screen.bottom() - frame.height() + 1);
  return p;
}

void AnchorLayout::Place(QWidget* child, const QRect& design, unsigned anchors) {
  items_.push_back({child, design, anchors});
  child->setGeometry(design);
}

void AnchorLayout::Apply(const QSize& parent) const {
  for (const Item& item : items_)
    item.child->setGeometry(AnchoredRect(item.design, item.anchors, design_parent_, parent));
}

}  // namespace slp
