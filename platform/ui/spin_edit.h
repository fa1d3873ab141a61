#pragma once
// An integer field with arrows whose typed text applies at every keystroke, even outside
// its range; leaving the field brings the value back into the range. Text that is not a
// number reads as the minimum.

#include <QAbstractSpinBox>

namespace slp {

class TSpinEdit : public QAbstractSpinBox {
  Q_OBJECT

 public:
  explicit TSpinEdit(QWidget* parent = nullptr);

  void SetRange(int minimum, int maximum);
  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  void SetIncrement(int step) { step_ = step; }
  int Increment() const { return step_; }

  // The text read as a number (saturated to int); the minimum when it is not a number.
  int Value() const;
  // Shows `value` limited to the range.
  void SetValue(int value);

  void stepBy(int steps) override;

 signals:
  // Raised at every change of the text, typed or set.
  void Change();

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  StepEnabled stepEnabled() const override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowValue(int value);

  int min_ = 0;
  int max_ = 100;
  int step_ = 1;
};

}  // namespace slp
