#pragma once
// The browser engine giving up after the window is up: the user is told, then the window
// closes as the user would close it (settings saved, the engine's stores flushed) and the run
// ends with code 1. Not from inside the engine's signal: the box runs a loop of its own.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

namespace slp {

class EngineFailure : public QObject {
 public:
  // `report` tells the user (a box) and returns once they have seen it.
  explicit EngineFailure(std::function<void(const std::string&)> report)
      : report_(std::move(report)) {}

  void SetWindow(QWidget* window) { window_ = window; }

  // Called from the engine's signal; acts once, later, from the event loop.
  void Raise(const std::string& why);

  // The run's exit code, given the event loop's.
  int ExitCode(int loop_code) const { return failed_ ? 1 : loop_code; }

 private:
  std::function<void(const std::string&)> report_;
  QPointer<QWidget> window_;
  bool failed_ = false;
};

}  // namespace slp
