#include "platform/ui/spin_edit.h"

#include <QLineEdit>
#include <algorithm>
#include <charconv>
#include <climits>

namespace slp {

namespace {
// Digits with an optional sign, as typed; nullopt for anything else (empty text included).
std::optional<int> ParseNumber(const QString& text) {
  const std::string s = text.trimmed().toStdString();
  if (s.empty()) return std::nullopt;
  size_t start = (s[0] == '+' || s[0] == '-') ? 1 : 0;
  if (start == s.size()) return std::nullopt;
  long long value = 0;
  for (size_t i = start; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    value = std::min<long long>(value * 10 + (s[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (s[0] == '-') value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
}  // namespace

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  setKeyboardTracking(true);
  connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit Change(); });
}

void TSpinEdit::SetRange(int minimum, int maximum) {
  min_ = minimum;
  max_ = std::max(minimum, maximum);
}

int TSpinEdit::Value() const { return ParseNumber(text()).value_or(min_); }

void TSpinEdit::SetValue(int value) { ShowValue(std::clamp(value, min_, max_)); }

void TSpinEdit::ShowValue(int value) {
  const QString text = QString::number(value);
  if (lineEdit()->text() != text) lineEdit()->setText(text);
}

void TSpinEdit::stepBy(int steps) {
  const long long next = static_cast<long long>(Value()) + static_cast<long long>(steps) * step_;
  ShowValue(static_cast<int>(std::clamp<long long>(next, min_, max_)));
  selectAll();
}

QValidator::State TSpinEdit::validate(QString& input, int&) const {
  for (int i = 0; i < input.size(); ++i) {
    const QChar c = input[i];
    const bool sign = i == 0 && (c == '-' || c == '+');
    if (!sign && !c.isDigit()) return QValidator::Invalid;
  }
  return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
  StepEnabled flags = StepNone;
  if (Value() < max_) flags |= StepUpEnabled;
  if (Value() > min_) flags |= StepDownEnabled;
  return flags;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
  const std::optional<int> typed = ParseNumber(text());
  if (!typed || *typed < min_ || *typed > max_) SetValue(typed.value_or(min_));
  QAbstractSpinBox::focusOutEvent(event);
}

}  // namespace slp
