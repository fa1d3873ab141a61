#include "platform/os/nested_waits.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

namespace slp {
namespace {

// An event loop of its own: posted work runs when the test says so.
struct Loop {
  std::deque<std::function<void()>> queue;
  NestedWaits waits{[this](std::function<void()> work) { queue.push_back(std::move(work)); }};
  void Run() {
    while (!queue.empty()) {
      auto work = std::move(queue.front());
      queue.pop_front();
      work();
    }
  }
};

TEST(NestedWaits, WorkRunsAtOnceOutsideAWaitAndAfterTheOutermostOneInside) {
  Loop loop;
  std::string ran;
  loop.waits.RunOrDefer([&] { ran += "a"; });
  EXPECT_EQ(ran, "a");
  {
    NestedWaits::Scope outer(loop.waits);
    {
      NestedWaits::Scope inner(loop.waits);
      loop.waits.RunOrDefer([&] { ran += "b"; });
    }
    loop.waits.RunOrDefer([&] { ran += "c"; });
    EXPECT_TRUE(loop.waits.Busy());
    EXPECT_TRUE(loop.queue.empty());  // the inner end posts nothing
  }
  EXPECT_FALSE(loop.waits.Busy());
  EXPECT_EQ(ran, "a");  // not from inside the code that waited
  loop.Run();
  EXPECT_EQ(ran, "abc");
}

TEST(NestedWaits, KeyedWorkIsPutOffOnceAndPlainWorkEveryTime) {
  Loop loop;
  std::string ran;
  {
    NestedWaits::Scope wait(loop.waits);
    for (int i = 0; i < 3; ++i) {
      loop.waits.RunOrDefer([&] { ran += "k"; }, 7);
      loop.waits.RunOrDefer([&] { ran += "p"; });
    }
  }
  loop.Run();
  EXPECT_EQ(ran, "kppp");
}

TEST(NestedWaits, WorkThatFindsANewWaitWaitsForThatOneToo) {
  Loop loop;
  std::string ran;
  {
    NestedWaits::Scope wait(loop.waits);
    // The first starts a wait of its own, in which the loop delivers the second.
    loop.waits.RunOrDefer([&] {
      NestedWaits::Scope own(loop.waits);
      auto next = std::move(loop.queue.front());
      loop.queue.pop_front();
      next();
      ran += "1";
    });
    loop.waits.RunOrDefer([&] { ran += "2"; });
  }
  loop.Run();
  EXPECT_EQ(ran, "12");
}

}  // namespace
}  // namespace slp
