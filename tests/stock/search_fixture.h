#pragma once
// A stock search box in a host window under the offscreen platform, on a
// session store filled by hand and a clock the test moves: what the box
// posts its owner (2026, 2142) is kept.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/session_data.h"
#include "net/stock_code.h"
#include "platform/input_simulation.h"
#include "platform/window_messages.h"
#include "stock/stk_wnd.h"
#include "tests/platform/control_host.h"

namespace velloran::testing {

class SearchHost : public testing_host::ControlHost {
 public:
  LResult WindowProc(WindowMessage& m) override {
    switch (m.message) {
      case msg::kSelectStock:
        picks.push_back(UnpackStockCode(static_cast<std::intptr_t>(m.wparam)));
        pick_lparams.push_back(m.lparam);
        return 0;
      case msg::kRegisterPopup:
        popups.push_back(m.wparam);
        return 0;
      case msg::kSearchButton:
        ++search_presses;
        return 0;
      default:
        return ControlHost::WindowProc(m);
    }
  }
  std::vector<std::u16string> picks;
  std::vector<LParam> pick_lparams;
  std::vector<WParam> popups;  // 2142's wParam, in order
  int search_presses = 0;
};

// A master packet as the dispatcher keeps it.
inline std::unique_ptr<Packet> MasterPacket(std::u16string_view code, std::u16string_view name,
                                            int market = 1, int previous_volume = 0) {
  auto p = std::make_unique<Packet>(3002);
  p->AddText(u"SHCODE", code);
  if (!name.empty()) p->AddText(u"HNAME", name);
  p->AddInt(u"MARKET", market);
  if (previous_volume > 0) p->AddInt(u"JNILVOL", previous_volume);
  return p;
}

inline void AddMaster(CSessionData& session, std::u16string_view code, std::u16string_view name,
                      int market = 1, int previous_volume = 0) {
  const Packet* stored = nullptr;
  {
    auto data = session.store().Write();
    auto& slot = data->master[std::u16string(code)];
    slot = MasterPacket(code, name, market, previous_volume);
    stored = slot.get();
  }
  session.AddToNameList({stored});
}

// Letters, digits and syllables as the keyboard types them, the loop
// running between two keys as it does for a user.
inline void Type(Window& field, std::u16string_view text) {
  for (const char16_t c : text) {
    const WParam key = (c >= u'a' && c <= u'z') ? c - 32 : (c < 0x80 ? c : 0);
    SimulateKey(field, key, c);
    testing_host::Settle();
  }
}

class SearchRig {
 public:
  explicit SearchRig(int width = 500) {
    EXPECT_TRUE(host.Open(width, 320));
    UiLoop().SetClock(&clock);
  }
  ~SearchRig() { UiLoop().SetClock(nullptr); }
  void Step(std::chrono::milliseconds d) {
    UiLoop().Advance(clock, d);
    testing_host::Settle();
  }
  void Click(Window& w, Point in_w) {
    const Point p = host.ScreenToClient(w.ClientToScreen(in_w));
    SimulateMouse(host, sys::kLButtonDown, p);
    SimulateMouse(host, sys::kLButtonUp, p);
  }

  Application& app = testing_host::App();
  ManualClock clock;
  CSessionData session{SessionOptions{}};
  SearchHost host;
};

}  // namespace velloran::testing
