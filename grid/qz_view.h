#pragma once
// CQZView, the work area in the upper right pane: the shown screen's result
// as a wall of stock tiles (CQZTile) or as the screening grid (CQZListCtrl),
// under a header strip with the search time, the re-search button and, in
// tile mode, the four sort boxes. In the reverse-phase screens the time
// machine (CQZTime) stands at the right. It asks the server for a result on
// the first login, on a re-search, on a minute pick and after a reconnection.

#include <string>

#include "app/frame_pane.h"
#include "app/session_data.h"
#include "grid/qz_list_ctrl.h"
#include "grid/qz_tile.h"
#include "grid/qz_time.h"
#include "net/message_codes.h"
#include "platform/button_control.h"
#include "platform/thread_owner.h"
#include "platform/window.h"

namespace velloran {

class CQZView : public Window, public FramePane {
 public:
  static constexpr int kTimeId = 125;
  static constexpr int kTileWindowId = 126;
  static constexpr int kGridId = 127;
  static constexpr int kResearchId = 128;
  static constexpr int kLayoutTimer = 30001;
  static constexpr int kLayoutDelayMs = 100;
  static constexpr int kHeaderHeight = 30;
  static constexpr int kTimeWidth = 100;

  static constexpr Color kHeaderColor = Rgb(238, 227, 197);
  static constexpr Color kHeaderLine = Rgb(50, 50, 50);
  static constexpr Color kText = Rgb(50, 50, 50);
  static constexpr Color kSearchTimeColor = Rgb(207, 0, 0);
  static constexpr Color kStaleColor = Rgb(150, 150, 150);
  static constexpr Color kPastColor = Rgb(120, 40, 170);  // a past moment on show
  static constexpr Color kButtonFace = Rgb(227, 227, 227);
  static constexpr Color kTriangleOutline = Rgb(128, 128, 128);
  static constexpr Color kTriangleFill = Rgb(216, 216, 216);

  explicit CQZView(CSessionData& session);
  ~CQZView() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);
  // The top bar hears of the stocks pressed on the tiles.
  void SetRelations(const FrameRelations& relations) override;
  // While the data is not live the header says so beside the search time,
  // which greys; the tiles and rows keep the prices they last had, veiled.
  void SetLive(const FeedMark& mark) override;
  [[nodiscard]] bool live() const { return live_; }
  [[nodiscard]] Rect StaleTagRect() const;
  // The last request for a screen did not go out: the list shown stays, and
  // the header says 요청 실패 in the stale tag's place until one does.
  [[nodiscard]] bool request_failed() const { return request_failed_; }
  // A past moment of the time machine is on show: the header says which
  // minute, in a colour of its own, until a re-search returns to live.
  [[nodiscard]] bool past() const { return shown_screen_ == code::kScreenPastReverse; }
  [[nodiscard]] std::u16string PastText() const;
  [[nodiscard]] Rect PastTagRect() const;
  // What the tiles and the grid say when the result is empty: the screen and
  // its filters, "박스권 · 코스닥: 포착된 종목이 없습니다".
  [[nodiscard]] std::u16string EmptyText() const;
  // The corner of the tile wall or grid that no scroll bar and no time
  // machine covers, in view coordinates (price alarm notices stand there).
  [[nodiscard]] Rect FreeArea() const;

  // Asks again for the shown screen (the reverse phase instead of a past
  // moment); only while connected.
  void Research();
  // The sort box of a key (1 to 4), in view coordinates.
  [[nodiscard]] static Rect SortBox(int key);

  [[nodiscard]] int sort_key() const { return sort_key_; }
  [[nodiscard]] bool ascending() const { return ascending_; }
  [[nodiscard]] const std::u16string& search_time() const { return search_time_; }
  [[nodiscard]] CQZTile& tiles() { return tiles_; }
  [[nodiscard]] CQZTime& time_control() { return time_; }
  [[nodiscard]] CQZListCtrl& grid() { return grid_; }
  [[nodiscard]] ButtonControl& research_button() { return research_; }

  // 2027 with 3014 (a result), 2002 (a quote in grid mode) and 1 (login).
  LResult WindowProc(WindowMessage& m) override;

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
  void OnLButtonDown(Point p, WParam flags) override;
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  void OnResult();
  void OnLogin(bool first);
  // Shows the grid or the tiles for the shown screen; fresh: a new result.
  void Refresh(bool fresh);
  void LayoutChildren();
  [[nodiscard]] bool TimeControlWanted() const;
  // Switches to screen and sends its 3014 (with the moment for a past one);
  // false when not connected. fresh: the answer starts a new result.
  // at_login: the request answers a login.
  bool RequestScreen(int screen, const std::u16string& htime, bool fresh, bool at_login);
  void PaintHeader(DrawContext& dc);
  void PaintResearchButton(const DrawItem& item);

  CSessionData& session_;
  ThreadOwner ui_thread_;  // the refresh's, instead of a lock
  CQZTime time_;
  CQZTile tiles_;
  CQZListCtrl grid_;
  ButtonControl research_;
  std::u16string search_time_;
  bool live_ = true;
  std::u16string stop_text_;
  int sort_key_ = kSortNone;
  bool ascending_ = true;
  int shown_screen_ = 0;       // the screen of the last result
  bool request_fresh_ = true;  // a request of ours waits for its result
  bool request_failed_ = false;
  WindowHandle top_bar_;
};

}  // namespace velloran
