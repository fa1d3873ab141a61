#include "platform/os/nested_waits.h"

#include <algorithm>

namespace slp {

void NestedWaits::RunOrDefer(std::function<void()> work, Key key) {
  if (depth_ == 0) {
    work();
    return;
  }
  if (key != 0 && std::any_of(deferred_.begin(), deferred_.end(),
                              [key](const auto& item) { return item.first == key; }))
    return;
  deferred_.emplace_back(key, std::move(work));
}

void NestedWaits::Leave() {
  if (--depth_ > 0 || deferred_.empty()) return;
  // Posted, not run here: the code that waited has not returned yet.
  auto items = std::move(deferred_);
  deferred_.clear();
  for (auto& [key, work] : items)
    post_(
        [this, key = key, work = std::move(work)]() mutable { RunOrDefer(std::move(work), key); });
}

}  // namespace slp
