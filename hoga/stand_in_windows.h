#pragma once
// Two windows the order book holds until their real ones land: the stock
// tile's place (it shows the book's own record: name, code and price) and
// the replay frame (a plain top-level window titled with the stock that
// tells the book when it closes).

#include <string>

#include "platform/window.h"

namespace velloran {

class CQZData;

class CTileStandIn : public Window {
 public:
  static constexpr Color kBackground = Rgb(218, 218, 218);
  static constexpr Color kText = Rgb(50, 50, 50);

  // The record shown (null: none); it must outlive the binding.
  void SetData(const CQZData* record);
  [[nodiscard]] const CQZData* data() const { return record_; }
  [[nodiscard]] int redraws() const { return redraws_; }

  // 2027 with 2002: the record's quote changed.
  LResult WindowProc(WindowMessage& m) override;

 protected:
  void OnPaint(DrawContext& dc) override;

 private:
  const CQZData* record_ = nullptr;
  int redraws_ = 0;
};

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
