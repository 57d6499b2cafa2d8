#pragma once
// A short alert sound (a reached price alarm): played through the sound card
// by the system's player (aplay, of alsa-utils) where both exist, else the
// system bell. It never blocks the caller and never fails: a machine with
// neither stays silent.
//
// A burst of alarms is one sound, not one player each: at most one plays at
// a time, a new one starts no sooner than a second after the last, and what
// is asked for meanwhile is played once when that time has come. The pace
// is kept on the event loop's clock.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

#include "platform/clock.h"

namespace velloran {

class EventLoop;

// True while a sound started plays; any thread may end it.
using SoundPlaying = std::shared_ptr<std::atomic<bool>>;

class AlertSound {
 public:
  static constexpr std::chrono::milliseconds kMinGap{1000};
  // How often a sound asked for looks again whether the last one has ended,
  // once kMinGap has passed.
  static constexpr std::chrono::milliseconds kRecheck{250};

  explicit AlertSound(EventLoop& loop);
  ~AlertSound();
  AlertSound(const AlertSound&) = delete;
  AlertSound& operator=(const AlertSound&) = delete;

  // Plays now if it may, else once as soon as it may.
  void Play();
  // Forgets a sound asked for and not yet played (the sound was muted).
  void Cancel();
  [[nodiscard]] bool waiting() const { return waiting_; }

 private:
  void StartOrWait();
  void OnTimer();

  EventLoop& loop_;
  SoundPlaying playing_;
  bool played_any_ = false;
  Clock::SteadyTime last_start_{};
  bool waiting_ = false;
  int timer_ = 0;
};

// Tests: a sound is handed here instead of being played. The flag starts
// false (a sound over at once); a handler that stands for a longer sound sets
// it and clears it when its sound has ended.
void SetSoundHandler(std::function<void(const SoundPlaying& playing)> handler);

}  // namespace velloran
