#pragma once
// The replay frame the order book holds until the replay lands: a plain
// top-level window titled with the stock that tells the book when it closes.

#include <string>

#include "platform/window.h"

namespace velloran {

class CReplayStandIn : public Window {
 public:
  static constexpr Color kBackground = Rgb(58, 58, 58);

  // A top-level window titled with the stock; it sends 2031 to book when it
  // is closed.
  [[nodiscard]] bool Open(const WindowHandle& book, const std::u16string& title);
  // 2026 with a packed code: the stock to replay.
  LResult WindowProc(WindowMessage& m) override;
  [[nodiscard]] const std::u16string& stock() const { return stock_; }

 protected:
  void OnDestroy() override;

 private:
  WindowHandle book_;
  std::u16string stock_;
};

}  // namespace velloran
