#pragma once
// A wait that pumps events (reading the page source, a message box) lets any handler run
// inside the code that waits. Work that would disturb such a wait is put off instead and
// handed back to the event loop once the outermost wait has ended.

#include <functional>
#include <utility>
#include <vector>

namespace slp {

class NestedWaits {
 public:
  // Queues work on the event loop, to run after what runs now; work queued by an owner that
  // is gone by then must be dropped (a queued call on the owner's QObject does that).
  using Post = std::function<void(std::function<void()>)>;

  explicit NestedWaits(Post post) : post_(std::move(post)) {}
  NestedWaits(const NestedWaits&) = delete;
  NestedWaits& operator=(const NestedWaits&) = delete;

  // Marks a wait for as long as it lives. Leaving the outermost one posts the work put off
  // meanwhile, in the order it was put off.
  class Scope {
   public:
    explicit Scope(NestedWaits& waits) : waits_(waits) { ++waits_.depth_; }
    ~Scope() { waits_.Leave(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    NestedWaits& waits_;
  };

  // Whether a wait is under way.
  bool Busy() const { return depth_ > 0; }

  // Keys for work that needs to run only once however often it is put off; 0 for work
  // where every occurrence counts.
  using Key = int;

  // Runs `work` now when no wait is under way. Otherwise it runs after the outermost wait
  // has ended, from the event loop, and is put off again if another wait is under way then.
  // Work with a non-zero key that is already waiting is not queued twice.
  void RunOrDefer(std::function<void()> work, Key key = 0);

 private:
  void Leave();

  Post post_;
  int depth_ = 0;
  std::vector<std::pair<Key, std::function<void()>>> deferred_;
};

}  // namespace slp
