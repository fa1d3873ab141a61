#pragma once
// A window's private message (WM_USER + n), posted to itself so that it runs from the
// event loop after whatever is happening now, such as the window's first showing.

#include <QCoreApplication>
#include <QEvent>

namespace slp {

class PrivateMessage : public QEvent {
 public:
  static QEvent::Type Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  explicit PrivateMessage(int message, long long wParam = 0, long long lParam = 0)
      : QEvent(Type()), message_(message), wparam_(wParam), lparam_(lParam) {}
  int Message() const { return message_; }
  long long WParam() const { return wparam_; }
  long long LParam() const { return lparam_; }

 private:
  int message_;
  long long wparam_;
  long long lparam_;
};

inline void PostMessageToSelf(QObject* window, int message) {
  QCoreApplication::postEvent(window, new PrivateMessage(message));
}

}  // namespace slp
