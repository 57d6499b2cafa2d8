#pragma once
// The demo market's random numbers: a small, fast generator whose sequence is
// fixed by its seed on every platform, so the same seed always gives the same
// market. Each stock draws from its own generator, which keeps a stock's day
// the same however the clock is stepped.

#include <cmath>
#include <cstdint>

namespace velloran::server {

// Mixes several numbers into one well-spread seed.
constexpr std::uint64_t MixSeed(std::uint64_t a, std::uint64_t b, std::uint64_t c = 0) {
  std::uint64_t x = a * 0x9E3779B97F4A7C15ull ^
                    (b + 0x632BE59BD9B4E019ull) * 0xBF58476D1CE4E5B9ull ^
                    (c + 0x8CB92BA72F3D8DD7ull) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  x *= 0xD6E8FEB86659FD93ull;
  x ^= x >> 32;
  return x;
}

class SimRandom {
 public:
  explicit SimRandom(std::uint64_t seed = 1) : state_(seed) {}

  // SplitMix64.
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // In [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
  // In [0, n); n > 0.
  std::uint64_t Below(std::uint64_t n) { return Next() % n; }
  bool Chance(double p) { return Uniform() < p; }
  // Standard normal (Box-Muller, one value per call so the sequence stays simple).
  double Normal() {
    const double u1 = 1.0 - Uniform();  // (0, 1]
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }
  double Exponential(double mean) { return -mean * std::log(1.0 - Uniform()); }

 private:
  std::uint64_t state_;
};

}  // namespace velloran::server
