#pragma once
// What the whole-client benchmarks watch in the client they run: the longest
// stall of the user-interface thread, and the stock they put in the order
// book (the busiest of the day before).

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <string>

#include "app/session_store.h"

namespace velloran::bench {

// The longest gap between two turns of the user-interface loop while it
// runs, from a timer that asks to fire every millisecond.
class StallWatch {
 public:
  StallWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longest_ms_ = std::max(longest_ms_, static_cast<double>(clock_.nsecsElapsed()) / 1e6);
      clock_.restart();
    });
  }
  void Start() {
    longest_ms_ = 0;
    clock_.start();
    timer_.start(1);
  }
  double Stop() {
    timer_.stop();
    return longest_ms_;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  double longest_ms_ = 0;
};

// The stock whose volume was largest the day before, from the stock master;
// market gets its MARKET.
inline std::u16string BusiestStock(const StoreData& data, std::u16string& market) {
  std::u16string code;
  int most = -1;
  for (const auto& [c, master] : data.master) {
    const int volume = master->GetInt(u"JNILVOL", 0);
    if (volume <= most) continue;
    most = volume;
    code = c;
    market = master->GetText(u"MARKET", u"");
  }
  return code;
}

}  // namespace velloran::bench
