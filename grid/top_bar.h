#pragma once
// CTopBar, the strip under the main frame's title bar: PLAY, the code and
// name boxes (stock searches), the quote summary of the shown stock, the four
// screening-list buttons, the market filter, the "매수강도적용" check box and
// the TILE and GRID buttons. Every stock selection reaches it as 2026 and
// becomes the 3003 subscription; the list buttons, the filter and the check
// box switch the session's screen and ask the server with 3014.

#include <memory>
#include <optional>
#include <string>

#include "app/book_quote.h"
#include "app/frame_pane.h"
#include "platform/button_control.h"
#include "platform/thread_owner.h"
#include "platform/window.h"
#include "stock/stk_wnd.h"
#include "ui/bit_button.h"
#include "ui/qz_combo_box.h"

namespace velloran {

class CSessionData;
class Packet;

class CTopBar : public Window, public FramePane {
 public:
  static constexpr int kPlayId = 2541;
  static constexpr int kCodeBoxId = 2540;
  static constexpr int kNameBoxId = 2539;
  static constexpr int kSurgingId = 2542;   // 급등주, list 3004
  static constexpr int kBoxRangeId = 2543;  // 박스권, list 3005
  static constexpr int kNewsId = 2544;      // 재료주, list 3006
  static constexpr int kReverseId = 2545;   // 현재역상, list 3007
  static constexpr int kTileId = 2546;
  static constexpr int kGridId = 2547;
  static constexpr int kCheckId = 2548;
  static constexpr int kFilterId = 2549;
  static constexpr int kStartTimer = 10212;
  static constexpr int kStartDelayMs = 1000;
  // The right-hand group starts this far from the right edge.
  static constexpr int kRightGroup = 527;
  static constexpr int kListButtonWidth = 66;
  static constexpr int kSeparatorFromRight = 80;
  static constexpr Color kSeparatorDark = Rgb(186, 157, 89);
  static constexpr Color kSeparatorLight = Rgb(233, 217, 181);
  static constexpr Color kBoxFrame = Rgb(150, 150, 150);
  static constexpr int kSummaryLeft = 263;

  explicit CTopBar(CSessionData& session);
  ~CTopBar() override;

  // FramePane: the work area and the order-book view.
  void SetRelations(const FrameRelations& relations) override;
  // While the data is not live the summary greys and "연결 끊김 · 시세 멈춤"
  // (or "수신 지연 · 시세 멈춤") stands at its right.
  void SetLive(const FeedMark& mark) override;
  [[nodiscard]] bool live() const { return live_; }
  [[nodiscard]] Rect StaleTagRect() const;

  [[nodiscard]] CStkWnd& code_box() { return code_box_; }
  [[nodiscard]] CStkWnd& name_box() { return name_box_; }
  [[nodiscard]] CBitButton& play_button() { return play_; }
  // The button of a list identifier (3004..3007).
  [[nodiscard]] CBitButton& list_button(int screen);
  [[nodiscard]] CBitButton& tile_button() { return tile_; }
  [[nodiscard]] CBitButton& grid_button() { return grid_; }
  [[nodiscard]] ButtonControl& check_box() { return check_; }
  [[nodiscard]] CQZComboBox& filter() { return filter_; }
  [[nodiscard]] const std::u16string& previous_code() const { return previous_code_; }
  [[nodiscard]] const std::u16string& shown_code() const { return shown_code_; }
  // The registered order-book view's last quote, when one came.
  [[nodiscard]] const std::optional<BookQuote>& quote() const { return quote_; }
  // The summary's area: from x 263 to one pixel left of the first list button.
  [[nodiscard]] Rect SummaryRect() const;

  LResult WindowProc(WindowMessage& m) override;

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;
  bool OnEraseBackground(DrawContext& dc) override;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  // What a selection needs of the stock, copied from its packet.
  struct Selection {
    std::u16string code;
    std::u16string name;
    std::u16string market;
    std::int32_t previous_volume = 0;  // JNILVOL
    std::unique_ptr<Packet> packet;    // for the recent list
  };
  [[nodiscard]] std::optional<Selection> FindStock(const std::u16string& code);
  void SelectStock(const std::u16string& code);
  void OnLogin(bool first_login);
  void OnMasterArrived();
  void SendOrderBookRequest(const std::u16string& code, const std::u16string& previous,
                            const std::u16string& market);
  void OnListButton(int screen);
  void OnFilterChanged();
  void SendScreenRequest(const std::u16string& dropped, int screen);
  void StoreFilter();
  void OnDisplayMode(int mode);
  void SetListGroup(int screen);
  void SetModeGroup(int mode);
  void OnPlay();
  void Layout();
  [[nodiscard]] std::int32_t PreviousVolume() const;

  CSessionData& session_;
  FrameRelations relations_;
  CBitButton play_;
  CStkWnd code_box_;
  CStkWnd name_box_;
  CBitButton surging_;
  CBitButton box_range_;
  CBitButton news_;
  CBitButton reverse_;
  CBitButton tile_;
  CBitButton grid_;
  ButtonControl check_;
  CQZComboBox filter_;
  Bitmap background_;
  // The list and display-mode buttons are handled on it alone.
  ThreadOwner ui_thread_;
  std::u16string previous_code_;  // of the last 3003
  std::u16string shown_code_;     // what the boxes show
  std::u16string shown_market_;
  std::int32_t previous_volume_ = 0;  // JNILVOL of the shown stock, when it came with it
  // The start-up stock, when the master was not in yet at the login answer.
  std::u16string pending_code_;
  std::optional<BookQuote> quote_;
  bool live_ = true;
  std::u16string stop_text_;
};

}  // namespace velloran
