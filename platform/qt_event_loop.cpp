#include "platform/qt_event_loop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <vector>

#include "platform/sanitizer_hand_off.h"

namespace velloran {

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::User + 101);
const QEvent::Type kTaskEvent = static_cast<QEvent::Type>(QEvent::User + 102);

struct MessageEvent : QEvent {
  MessageEvent(WindowHandle t, WindowMessage m)
      : QEvent(kMessageEvent), target(std::move(t)), message(std::move(m)) {}
  WindowHandle target;
  WindowMessage message;  // its packet is freed with the event if not taken
};

struct TaskEvent : QEvent {
  explicit TaskEvent(EventLoop::Task t) : QEvent(kTaskEvent), task(std::move(t)) {}
  EventLoop::Task task;
};

// Lives on the loop's thread; Qt queues the events for it in posting order
// and deletes those still waiting when it is destroyed.
class Receiver : public QObject {
 public:
  bool event(QEvent* e) override {
    TakeOverEvent(e);
    if (e->type() == kMessageEvent) {
      auto* m = static_cast<MessageEvent*>(e);
      DeliverMessage(m->target, m->message);
      return true;
    }
    if (e->type() == kTaskEvent) {
      static_cast<TaskEvent*>(e)->task();
      return true;
    }
    return QObject::event(e);
  }
};

// Qt objects that may be inside their own signal when they are dropped are
// stopped at once and deleted later.
template <typename T>
void Retire(std::unique_ptr<T>& object) {
  if (!object) return;
  object->disconnect();
  object.release()->deleteLater();
}

}  // namespace

struct QtEventLoop::Impl {
  struct Watch {
    unsigned interest = 0;
    std::uint64_t generation = 0;
    std::shared_ptr<FdCallback> callback;
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
  };
  std::unique_ptr<Receiver> receiver = std::make_unique<Receiver>();
  std::map<int, Watch> watches;
  std::uint64_t next_generation = 1;
  // Fires when the loop's next timer is due.
  std::unique_ptr<QTimer> wake;
  bool running_timers = false;
  std::vector<QEventLoop*> running;
  std::atomic<bool> quit_pending{false};

  void Notify(int fd, std::uint64_t generation, unsigned kind) {
    const auto it = watches.find(fd);
    if (it == watches.end() || it->second.generation != generation) return;
    if (!(it->second.interest & kind)) return;
    const auto callback = it->second.callback;
    (*callback)(fd, kind);
  }

  void Apply(int fd, Watch& w) {
    const bool want_read = (w.interest & fd_event::kReadable) != 0;
    const bool want_write = (w.interest & fd_event::kWritable) != 0;
    const auto generation = w.generation;
    if (want_read && !w.read) {
      w.read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
      QObject::connect(w.read.get(), &QSocketNotifier::activated, receiver.get(),
                       [this, fd, generation] { Notify(fd, generation, fd_event::kReadable); });
    }
    if (want_write && !w.write) {
      w.write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
      QObject::connect(w.write.get(), &QSocketNotifier::activated, receiver.get(),
                       [this, fd, generation] { Notify(fd, generation, fd_event::kWritable); });
    }
    if (w.read) w.read->setEnabled(want_read);
    if (w.write) w.write->setEnabled(want_write);
  }

  void Drop(Watch& w) {
    if (w.read) w.read->setEnabled(false);
    if (w.write) w.write->setEnabled(false);
    Retire(w.read);
    Retire(w.write);
  }
};

QtEventLoop::QtEventLoop() : impl_(std::make_unique<Impl>()) {
  impl_->wake = std::make_unique<QTimer>();
  impl_->wake->setTimerType(Qt::PreciseTimer);
  impl_->wake->setSingleShot(true);
  QObject::connect(impl_->wake.get(), &QTimer::timeout, impl_->receiver.get(), [this] {
    impl_->running_timers = true;
    RunDueTimers();
    impl_->running_timers = false;
    TimersChanged();
  });
}

QtEventLoop::~QtEventLoop() {
  for (auto& [fd, w] : impl_->watches) impl_->Drop(w);
  impl_->wake->stop();
  Retire(impl_->wake);
  // Destroying the receiver deletes the events still waiting for it.
  impl_->receiver.reset();
}

void QtEventLoop::Push(WindowHandle target, WindowMessage message) {
  auto* event = new MessageEvent(std::move(target), std::move(message));
  HandOverEvent(event);
  QCoreApplication::postEvent(impl_->receiver.get(), event);
}

void QtEventLoop::Post(Task task) {
  auto* event = new TaskEvent(std::move(task));
  HandOverEvent(event);
  QCoreApplication::postEvent(impl_->receiver.get(), event);
}

void QtEventLoop::WatchFd(int fd, unsigned interest, FdCallback callback) {
  auto it = impl_->watches.find(fd);
  if (it != impl_->watches.end()) {
    impl_->Drop(it->second);
    impl_->watches.erase(it);
  }
  auto& w = impl_->watches[fd];
  w.interest = interest;
  w.generation = impl_->next_generation++;
  w.callback = std::make_shared<FdCallback>(std::move(callback));
  impl_->Apply(fd, w);
}

void QtEventLoop::SetFdInterest(int fd, unsigned interest) {
  const auto it = impl_->watches.find(fd);
  if (it == impl_->watches.end()) return;
  it->second.interest = interest;
  impl_->Apply(fd, it->second);
}

void QtEventLoop::UnwatchFd(int fd) {
  const auto it = impl_->watches.find(fd);
  if (it == impl_->watches.end()) return;
  impl_->Drop(it->second);
  impl_->watches.erase(it);
}

void QtEventLoop::TimersChanged() {
  // While the timers run, the re-arming waits for them all.
  if (!impl_ || !impl_->wake || impl_->running_timers) return;
  const std::chrono::milliseconds next = UntilNextTimer();
  if (next.count() < 0) {
    impl_->wake->stop();
    return;
  }
  impl_->wake->start(static_cast<int>(std::min<std::int64_t>(next.count(), 24LL * 3600 * 1000)));
}

void QtEventLoop::Run() {
  if (impl_->quit_pending.exchange(false)) return;
  QEventLoop loop;
  impl_->running.push_back(&loop);
  loop.exec();
  impl_->running.pop_back();
  impl_->quit_pending = false;
}

void QtEventLoop::ProcessEvents(std::chrono::milliseconds max_wait) {
  // A clock moved on by hand has made timers due that no Qt timer knows of.
  RunDueTimers();
  if (max_wait.count() <= 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // The timer only makes the wait end; processEvents returns after handling
  // whatever arrived first.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(static_cast<int>(max_wait.count()));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtEventLoop::Quit() {
  impl_->quit_pending = true;
  Impl* impl = impl_.get();
  Post([impl] {
    if (!impl->running.empty()) {
      impl->running.back()->quit();
    }
  });
}

}  // namespace velloran
