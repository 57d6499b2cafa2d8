#include "app/frame_workspace.h"

#include "app/main_frame.h"
#include "app/session_data.h"
#include "chart/bar_store.h"
#include "hoga/chart_view.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

// A share the splitter has not made yet (never laid out) is left to the design.
double ShareOf(const SplitterWindow::TrackInfo& track) {
  return track.share >= 0 ? track.share : -1;
}

ChartWorkspace CaptureChart(CQZChartWnd& chart) {
  ChartWorkspace c;
  c.type = chart.type();
  c.minute_index = std::max(chart.period_combo().GetCurSel(), 0);
  for (std::size_t k = 0; k < c.averages.size(); ++k)
    c.averages[k] = chart.data().AverageOn(CChartData::kPeriods[k]);
  return c;
}

void ApplyChart(const ChartWorkspace& c, CQZChartWnd& chart) {
  // The combo first: a day chart keeps its minute unit for the 분 button.
  chart.period_combo().SetCurSel(c.minute_index);
  if (!c.type.empty()) chart.SetType(c.type);
  for (std::size_t k = 0; k < c.averages.size(); ++k) {
    chart.data().SetAverageOn(CChartData::kPeriods[k], c.averages[k]);
    chart.average_button(CQZChartWnd::kFirstAverageId + static_cast<int>(k))
        .SetCheck(c.averages[k]);
  }
}

}  // namespace

Workspace CaptureWorkspace(CMainFrame& frame, const CSessionData& session) {
  Workspace w;
  w.window = frame.NormalRect();
  w.maximized = frame.IsMaximized();
  w.outer_share = ShareOf(frame.outer_splitter().ColumnInfo(0));
  w.left_share = ShareOf(frame.left_splitter().RowInfo(0));
  w.right_share = ShareOf(frame.right_splitter().RowInfo(0));
  w.display_mode = session.display_mode() == 1 ? 1 : 0;
  const int screen = session.current_screen();
  // A past minute of 현재역상 comes back as the screen itself.
  w.screen = screen >= 3004 && screen <= 3007 ? screen : 3007;
  w.market = session.market_filter();
  w.check = session.screening_check() != 0;
  const CMainFrame::ReplayPlace& replay = frame.replay_place();
  w.replay = replay.window;
  w.replay_speed = replay.speed;
  if (auto* charts = dynamic_cast<CChartView*>(&frame.chart_view())) {
    w.charts_share = charts->splitter().ratio() > 0 ? charts->splitter().ratio() : -1;
    w.charts[0] = CaptureChart(charts->left());
    w.charts[1] = CaptureChart(charts->right());
  }
  return w;
}

void ApplySessionWorkspace(const Workspace& w, CSessionData& session) {
  (void)session.SwitchScreen(w.screen);  // nothing is held before the login
  session.set_market_filter(w.market);
  session.set_screening_check(w.check ? 1 : 0);
  session.set_display_mode(w.display_mode);
}

void ApplyFrameWorkspace(const Workspace& w, CMainFrame& frame, const Rect& work_area) {
  if (const Rect place = FitWorkspaceWindow(w.window, work_area); !place.IsEmpty())
    frame.Move(place);
  frame.SetReplayPlace({FitWorkspaceWindow(w.replay, work_area), w.replay_speed});
  if (w.outer_share >= 0) frame.outer_splitter().SetColumnShare(0, w.outer_share);
  if (w.left_share >= 0) frame.left_splitter().SetRowShare(0, w.left_share);
  if (w.right_share >= 0) frame.right_splitter().SetRowShare(0, w.right_share);
  if (auto* charts = dynamic_cast<CChartView*>(&frame.chart_view())) {
    if (w.charts_share > 0 && w.charts_share < 1) {
      charts->splitter().SetRatio(w.charts_share);
      charts->Send(msg::kSplitterMoved, 0, 0);
    }
    ApplyChart(w.charts[0], charts->left());
    ApplyChart(w.charts[1], charts->right());
  }
}

}  // namespace velloran
