#pragma once
// A short alert sound (a reached price alarm): played through the sound card
// by the system's player (aplay, of alsa-utils) where both exist, else the
// system bell. It never blocks the caller and never fails: a machine with
// neither stays silent.

#include <functional>

namespace velloran {

enum class SoundPath { kPlayer, kBell };

SoundPath PlayAlertSound();

// Tests: the sound is handed here instead of being played.
void SetSoundHandler(std::function<void()> handler);

}  // namespace velloran
