#pragma once
// CMainFrame, the one top-level window: its own thin frame, the title bar
// over the top bar, the four panes in three splitters, the foot bar, and the
// session it keeps alive (worker a second after creation, a socket 100 ms
// later, a watch every 10 s that replaces a lost socket 1 s after seeing the
// loss). Every second it tells the foot bar and the panes whether the data
// is live: not while the session is lost, nor while an open connection
// brings nothing for 10 s in market hours. It also closes the registered
// pop-up when the user presses a mouse button anywhere else, and ends the
// program when the server refuses the login.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/alarm_center.h"
#include "app/frame_foot_bar.h"
#include "app/frame_geometry.h"
#include "app/frame_pane.h"
#include "app/journal_wnd.h"
#include "net/session_driver.h"
#include "platform/window.h"
#include "ui/my_splitter_wnd.h"
#include "ui/my_title_bar.h"

namespace velloran {

class CFrameHabits;
class CFrameKeys;
class CSessionData;

class CMainFrame : public Window {
 public:
  static constexpr Color kFrameColor = Rgb(58, 58, 58);
  static constexpr int kTitleBarId = 100;
  static constexpr int kTopBarId = 101;
  static constexpr int kFootBarId = 102;
  static constexpr int kFirstPaneId = 0xE900;
  static constexpr int kTopBarHeight = 37;  // the height of its background bitmap
  static constexpr int kStatusTimer = 10005;
  static constexpr int kStatusPeriodMs = 1000;

  CMainFrame(CSessionData& session, SessionEndpoint endpoint, SessionTimings timings = {},
             FrameMetrics metrics = {});
  ~CMainFrame() override;

  // Creates the frame where FramePlacement puts it on this screen.
  [[nodiscard]] bool CreateFrame(const Rect& work_area, const Rect& screen);

  [[nodiscard]] CSessionDriver& driver() { return *driver_; }
  [[nodiscard]] const FrameMetrics& metrics() const { return metrics_; }
  [[nodiscard]] CMyTitleBar& title_bar() { return title_bar_; }
  [[nodiscard]] CFrameFootBar& foot_bar() { return foot_bar_; }
  [[nodiscard]] Window& top_bar() { return *top_bar_; }
  [[nodiscard]] CMySplitterWnd& outer_splitter() { return outer_; }
  [[nodiscard]] CMySplitterWnd& left_splitter() { return left_; }
  [[nodiscard]] CMySplitterWnd& right_splitter() { return right_; }
  [[nodiscard]] Window& hoga_view() { return *hoga_; }
  [[nodiscard]] Window& koa_view() { return *koa_; }
  [[nodiscard]] Window& qz_view() { return *qz_; }
  [[nodiscard]] Window& chart_view() { return *chart_; }
  [[nodiscard]] FrameRelations Relations() const;
  [[nodiscard]] const WindowHandle& popup() const { return popup_; }
  [[nodiscard]] CAlarmCenter& alarms() { return *alarms_; }
  // Copy, the context menus and the export.
  [[nodiscard]] CFrameHabits& habits() { return *habits_; }
  // The screen journal's window (from the foot bar or F11): opens or closes.
  void ToggleJournal();
  [[nodiscard]] CJournalWnd* journal() { return journal_.get(); }

  // Called on the user-interface thread whenever the link state changes.
  void SetLinkObserver(std::function<void(const LinkStatus&)> observer) {
    link_observer_ = std::move(observer);
  }
  // Where the replay's data page lies ("<url>qz2_hoga_data.aspx"): each
  // day's first block downloads from it.
  void SetReplayDataUrl(std::string url) { replay_data_url_ = std::move(url); }
  // Where the replay frame opens and at what speed: the workspace's, then
  // as the user last left it (read every second while it is open).
  struct ReplayPlace {
    Rect window;  // empty: the replay's own placement
    int speed = 1;
  };
  void SetReplayPlace(const ReplayPlace& place) { replay_place_ = place; }
  [[nodiscard]] const ReplayPlace& replay_place();
  // The program ends when the frame is destroyed (the application's frame).
  void SetQuitOnDestroy(bool quit) { quit_on_destroy_ = quit; }
  // Called first when the frame is destroyed, its windows still all there
  // (the workspace is read out of them then).
  void SetBeforeDestroy(std::function<void()> before) { before_destroy_ = std::move(before); }
  // The keys of the main window (app/frame_keys.h), while the frame exists.
  [[nodiscard]] CFrameKeys* keys() { return keys_.get(); }
  // Reads the session state into the foot bar and the panes' marks now (the
  // status timer does it every second).
  void RefreshStatus();
  // What the panes were last told of their data.
  [[nodiscard]] const FeedMark& feed_mark() const { return feed_mark_; }

  // When the frame was first painted; the epoch before that.
  [[nodiscard]] std::chrono::steady_clock::time_point first_paint_at() const {
    return first_paint_at_;
  }

  LResult WindowProc(WindowMessage& m) override;

 protected:
  int OnCreate() override;
  void OnDestroy() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
  HitCode HitTest(Point p) override;
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  [[nodiscard]] bool CreateClient();
  // The views of the bars and panes; a placeholder where none is built yet.
  void MakeViews();
  // The start step, with the session's: the panes learn of each other and
  // the session socket learns where the order book is.
  void OnSessionStart();
  // What the order-book view's PLAY opens.
  [[nodiscard]] std::unique_ptr<Window> MakeReplayFrame(const WindowHandle& book,
                                                        const std::u16string& title);
  void Layout(int width, int height);
  // The panes' mark for this link state and feed.
  [[nodiscard]] FeedMark MarkFor(const LinkStatus& link) const;
  // Closes the registered pop-up when a press goes to another window.
  bool BeforeMousePress(const WindowHandle& target);

  CSessionData& session_;
  std::string replay_data_url_;
  ReplayPlace replay_place_;
  const FrameMetrics metrics_;
  std::unique_ptr<CSessionDriver> driver_;
  CMyTitleBar title_bar_;
  std::unique_ptr<Window> top_bar_;
  CFrameFootBar foot_bar_;
  CMySplitterWnd outer_;
  CMySplitterWnd left_;
  CMySplitterWnd right_;
  std::unique_ptr<Window> hoga_;
  std::unique_ptr<Window> koa_;
  std::unique_ptr<Window> qz_;
  std::unique_ptr<Window> chart_;
  std::unique_ptr<CAlarmCenter> alarms_;
  std::unique_ptr<CFrameHabits> habits_;
  std::unique_ptr<CJournalWnd> journal_;
  std::uint64_t journal_generation_ = 0;
  void RefreshJournal();
  void ReplayFrom(const JournalEntry& entry);
  WindowHandle popup_;
  int press_hook_ = 0;
  PacketRate rate_;
  std::uint64_t last_rate_ = 0;
  bool quit_on_destroy_ = false;
  std::chrono::steady_clock::time_point first_paint_at_{};
  bool have_link_ = false;
  FeedWatch feed_;
  ServerClock server_clock_;
  // What the panes were last told; they start live.
  FeedMark feed_mark_;
  LinkState last_link_ = LinkState::kWaiting;
  std::function<void(const LinkStatus&)> link_observer_;
  std::function<void()> before_destroy_;
  std::unique_ptr<CFrameKeys> keys_;
};

}  // namespace velloran
