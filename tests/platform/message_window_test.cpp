#include "platform/message_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/test_window.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

using ::testing::ElementsAre;

TEST(MessageWindowTest, PostedMessagesArriveInOrderWhenPumped) {
  ManualMessageQueue queue;
  RecordingWindow window(queue);
  EXPECT_TRUE(PostMessage(window.handle(), msg::kNotify, 3014, 7));
  EXPECT_TRUE(PostMessage(window.handle(), msg::kScreenChanged, 0, 0));
  EXPECT_TRUE(window.received.empty());  // posting never runs the procedure
  EXPECT_EQ(queue.DispatchPending(), 2);
  EXPECT_EQ(window.received,
            (std::vector<RecordedMessage>{{msg::kNotify, 3014, 7}, {msg::kScreenChanged, 0, 0}}));
}

TEST(MessageWindowTest, HandlesOutliveTheirWindow) {
  ManualMessageQueue queue;
  WindowHandle handle;
  EXPECT_FALSE(handle.IsWindow());
  EXPECT_FALSE(PostMessage(handle, msg::kNotify, 1, 0));
  std::uint64_t id = 0;
  {
    RecordingWindow window(queue);
    handle = window.handle();
    id = handle.id();
    EXPECT_TRUE(handle.IsWindow());
    EXPECT_EQ(WindowHandle::FromId(id), handle);
    EXPECT_TRUE(PostMessage(handle, msg::kNotify, 1, 0));  // waits in the queue
  }
  EXPECT_FALSE(handle.IsWindow());
  EXPECT_TRUE(WindowHandle::FromId(id).IsNull());
  EXPECT_FALSE(PostMessage(handle, msg::kNotify, 1, 0));
  EXPECT_EQ(queue.DispatchPending(), 0);  // the waiting one is dropped
  EXPECT_TRUE(WindowHandle::FromId(0).IsNull());
}

// An owned value must be freed on every path that does not hand it over; the
// sanitizer builds turn a leak into a failure.
TEST(MessageWindowTest, OwnedValuesAreFreedUnlessTaken) {
  ManualMessageQueue queue;
  auto packet = std::make_unique<std::string>("taken");
  std::string* raw = packet.get();
  {
    RecordingWindow gone(queue);
    const WindowHandle h = gone.handle();
    EXPECT_TRUE(PostOwned(h, msg::kAlarmReached, std::make_unique<std::string>("0"), true, 0));
  }
  EXPECT_EQ(queue.DispatchPending(), 0);  // dropped with its packet
  EXPECT_FALSE(
      PostOwned(WindowHandle(), msg::kAlarmReached, std::make_unique<std::string>("0"), true, 0));

  struct Ignoring : MessageWindow {
    using MessageWindow::MessageWindow;
    int seen = 0;
    LResult WindowProc(WindowMessage& m) override {
      ++seen;
      return DefaultProc(m);
    }
  } ignoring(queue);
  EXPECT_TRUE(
      PostOwned(ignoring.handle(), msg::kAlarmReached, std::make_unique<std::string>("0"), true, 0));
  EXPECT_EQ(queue.DispatchPending(), 1);
  EXPECT_EQ(ignoring.seen, 1);

  RecordingWindow taker(queue);
  EXPECT_TRUE(PostOwned(taker.handle(), msg::kNotify, std::move(packet), false, 3001));
  queue.DispatchPending();
  ASSERT_EQ(taker.payloads.size(), 1u);
  EXPECT_EQ(taker.Owned<std::string>(0), raw);
  EXPECT_THAT(taker.received,
              ElementsAre(RecordedMessage{msg::kNotify, 3001, reinterpret_cast<LParam>(raw)}));
}

TEST(MessageWindowTest, SendRunsAtOnceOnlyOnTheOwningThread) {
  ManualMessageQueue queue;
  struct Answering : MessageWindow {
    using MessageWindow::MessageWindow;
    LResult WindowProc(WindowMessage& m) override {
      return m.message == msg::kSplitterMoved ? 42 : DefaultProc(m);
    }
  } window(queue);
  EXPECT_EQ(SendMessage(window.handle(), msg::kSplitterMoved, 0, 0), 42);
  EXPECT_EQ(SendMessage(window.handle(), 1, 0, 0), 0);
  LResult from_other = -1;
  std::thread([&] { from_other = SendMessage(window.handle(), msg::kSplitterMoved, 0, 0); }).join();
  EXPECT_EQ(from_other, 0);
  EXPECT_EQ(SendMessage(WindowHandle(), msg::kSplitterMoved, 0, 0), 0);
}

TEST(MessageWindowTest, VisibilityIsReadableFromAnyThread) {
  ManualMessageQueue queue;
  auto window = std::make_unique<RecordingWindow>(queue);
  const WindowHandle h = window->handle();
  EXPECT_FALSE(h.IsVisible());
  window->SetVisible(true);
  bool seen = false;
  std::thread([&] { seen = h.IsVisible(); }).join();
  EXPECT_TRUE(seen);
  window.reset();
  EXPECT_FALSE(h.IsVisible());
}

// Posting threads race the owner's pumping and the window's destruction.
TEST(MessageWindowTest, ConcurrentPostsRaceDestruction) {
  ManualMessageQueue queue;
  auto window = std::make_unique<RecordingWindow>(queue);
  const WindowHandle h = window->handle();
  std::atomic<bool> go{true};
  std::atomic<int> accepted{0};
  std::vector<std::thread> posters;
  for (int t = 0; t < 2; ++t) {
    posters.emplace_back([&, t] {
      while (go.load()) {
        if (PostOwned(h, msg::kNotify, std::make_unique<std::string>("t"), false, 0)) ++accepted;
      }
    });
  }
  int delivered = 0;
  while (delivered < 1000) delivered += queue.DispatchPending();
  window.reset();
  for (int i = 0; i < 100; ++i) queue.DispatchPending();
  go = false;
  for (auto& t : posters) t.join();
  EXPECT_EQ(queue.DispatchPending(), 0);
  EXPECT_GE(accepted.load(), delivered);
}

}  // namespace
}  // namespace velloran
