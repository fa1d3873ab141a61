#pragma once
// Children placed at design coordinates keep their distances to the anchored sides of
// their parent when it is resized.

#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace slp {

enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// Where a child with design rectangle `design` in a parent of design size `designParent`
// goes when the parent measures `parent`.
QRect AnchoredRect(const QRect& design, unsigned anchors, const QSize& designParent,
                   const QSize& parent);

// The frame's top-left corner moved onto any screen edge that lies within `buffer` pixels.
QPoint SnapToEdges(const QRect& frame, const QRect& screen, int buffer);

class AnchorLayout {
 public:
  explicit AnchorLayout(QSize designParent) : design_parent_(designParent) {}
  // Places `child` at `design` now and remembers how it follows the parent.
  void Place(QWidget* child, const QRect& design, unsigned anchors);
  void Apply(const QSize& parent) const;

 private:
  struct Item {
    QWidget* child;
    QRect design;
    unsigned anchors;
  };
  QSize design_parent_;
  std::vector<Item> items_;
};

}  // namespace slp
