#include "app/engine_failure.h"

#include <QTimer>

namespace slp {

void EngineFailure::Raise(const std::string& why) {
  if (failed_) return;
  failed_ = true;
  QTimer::singleShot(0, this, [this, why] {
    report_(why);
    if (window_) window_->close();
  });
}

}  // namespace slp
