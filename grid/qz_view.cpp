#include "grid/qz_view.h"

#include <algorithm>

#include "grid/screen_text.h"
#include "net/message_codes.h"
#include "net/session_requests.h"
#include "net/session_socket.h"
#include "net/stock_code.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

constexpr int kButtonRight = 85;  // the re-search button from the right edge
constexpr Size kButtonSize{75, 20};
constexpr int kSortBoxes = 4;
constexpr const char16_t* kSortLabels[kSortBoxes] = {u"종목명", u"역상", u"등락률", u"거래량"};

const Font& HeaderFont() {
  static const Font font = Font::Points(u"굴림", 9);
  return font;
}

// MM/DD HH:MM from the MMDDHHMM at characters 4 to 11 of a date-time text.
std::u16string SearchTimeText(const std::u16string& text) {
  if (text.size() < 12) return {};
  return text.substr(4, 2) + u"/" + text.substr(6, 2) + u" " + text.substr(8, 2) + u":" +
         text.substr(10, 2);
}

}  // namespace

CQZView::CQZView(CSessionData& session) : session_(session), time_(session), tiles_(session) {
  SetBackgroundColor(CQZTile::kBackground);
}

CQZView::~CQZView() = default;

bool CQZView::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

int CQZView::OnCreate() {
  if (!time_.Create(this, kTimeId, {0, kHeaderHeight, kTimeWidth, kHeaderHeight + 100}) ||
      !tiles_.Create(this, kTileWindowId, {0, kHeaderHeight, 200, kHeaderHeight + 200}) ||
      !grid_.Create(this, kGridId, {0, kHeaderHeight, 200, kHeaderHeight + 200}) ||
      !research_.Create(this, kResearchId, {0, 5, kButtonSize.width, 5 + kButtonSize.height},
                        u"재검색", {.kind = ButtonKind::kOwnerDrawn}))
    return -1;
  time_.Show(TimeControlWanted());
  grid_.Show(false);
  tiles_.SetTargets(top_bar_, handle());
  SetTimer(kLayoutTimer, kLayoutDelayMs);
  LayoutChildren();
  return 0;
}

void CQZView::SetRelations(const FrameRelations& relations) {
  top_bar_ = relations.top_bar;
  tiles_.SetTargets(top_bar_, handle());
  grid_.SetTopBar(top_bar_);
}

Rect CQZView::SortBox(int key) {
  static constexpr Rect kBoxes[kSortBoxes] = {
      {20, 10, 77, 28}, {77, 10, 124, 28}, {134, 10, 191, 28}, {191, 10, 248, 28}};
  return key >= 1 && key <= kSortBoxes ? kBoxes[key - 1] : Rect{};
}

bool CQZView::TimeControlWanted() const {
  const int screen = session_.current_screen();
  return screen == code::kScreenReverse || screen == code::kScreenPastReverse;
}

LResult CQZView::WindowProc(WindowMessage& m) {
  if (m.message == msg::kNotify) {
    switch (static_cast<int>(m.wparam)) {
      case code::kScreenRequest:
        OnResult();
        break;
      case code::kRealtime:
        if (grid_.IsVisible()) grid_.RedrawRecord(UnpackStockCode(m.lparam));
        break;
      case code::kHello:
        OnLogin(m.lparam != 0);
        break;
      default:
        break;
    }
    return 0;
  }
  if (m.message == ctl::kDrawItem && m.wparam == static_cast<WParam>(kResearchId)) {
    PaintResearchButton(*reinterpret_cast<const DrawItem*>(m.lparam));
    return 1;
  }
  return Window::WindowProc(m);
}

void CQZView::OnResult() {
  const int screen = session_.current_screen();
  // A batch that only continues the result shown keeps its order and place.
  const bool fresh = request_fresh_ || screen != shown_screen_;
  request_fresh_ = false;
  shown_screen_ = screen;
  {
    const auto data = session_.Read();
    search_time_ = SearchTimeText(screen == code::kScreenPastReverse ? data->time_machine_time
                                                                     : data->current_date_text);
  }
  if (fresh) {
    sort_key_ = kSortNone;
    ascending_ = true;
  }
  const std::u16string empty = EmptyText();
  tiles_.SetEmptyText(empty);
  grid_.SetEmptyText(empty);
  Refresh(fresh);
  time_.FillDates();
}

void CQZView::OnLogin(bool first) {
  if (first) {
    // The screen the workspace kept (현재역상 when none), never a past minute.
    const int kept = session_.current_screen();
    const bool listed = kept >= code::kScreenSurging && kept <= code::kScreenReverse;
    RequestScreen(listed ? kept : code::kScreenReverse, u"", true, true);
    return;
  }
  // A reconnection: the screen on show is asked for again as it stands.
  int screen = session_.current_screen();
  std::u16string htime;
  if (screen == code::kScreenPastReverse) htime = session_.Read()->time_machine_time;
  if (screen == code::kScreenPastReverse && htime.empty()) screen = code::kScreenReverse;
  RequestScreen(screen, htime, false, true);
}

void CQZView::Research() {
  int screen = session_.current_screen();
  if (screen == code::kScreenPastReverse) screen = code::kScreenReverse;
  RequestScreen(screen, u"", true, false);
}

bool CQZView::RequestScreen(int screen, const std::u16string& htime, bool fresh, bool at_login) {
  const CQZSocket* socket = session_.socket();
  if (socket == nullptr || !socket->connected()) return false;
  const Packet request = ScreenRequest(session_.Read()->RecordCodes(), screen,
                                       session_.market_filter(), session_.screening_check(), htime);
  // Sent before the list is dropped: a request that does not go out leaves
  // what is shown as it was, and the header says so.
  const bool sent = session_.Send(request);
  if (sent != !request_failed_) {
    request_failed_ = !sent;
    Invalidate({0, 0, ClientRect().right, kHeaderHeight});
  }
  if (!sent) return false;
  // At a login the queue holds the new session's start-up data (master,
  // trading dates) behind the answer: only the records go, not the queue.
  if (at_login) {
    (void)session_.store().DropRecords(screen);
  } else {
    (void)session_.SwitchScreen(screen);
  }
  if (!htime.empty()) session_.store().Write()->time_machine_time = htime;
  request_fresh_ = request_fresh_ || fresh;
  return true;
}

void CQZView::Refresh(bool fresh) {
  ui_thread_.Check();
  time_.Show(TimeControlWanted());
  if (session_.display_mode() == 1) {
    tiles_.Show(false);
    grid_.Show(true);
    grid_.Refresh(session_, session_.current_screen());
  } else {
    grid_.Show(false);
    tiles_.Show(true);
    tiles_.SetSort(sort_key_, ascending_);
    tiles_.Rebuild(fresh);
  }
  LayoutChildren();
  Invalidate({0, 0, ClientRect().right, kHeaderHeight});
}

void CQZView::LayoutChildren() {
  if (!research_.IsCreated()) return;
  const Rect c = ClientRect();
  const int right = c.right - (TimeControlWanted() ? kTimeWidth : 0);
  const int bottom = std::max(c.bottom, kHeaderHeight);
  time_.Move({right, kHeaderHeight, c.right, bottom});
  tiles_.Move({0, kHeaderHeight, right, bottom});
  grid_.Move({0, kHeaderHeight, right, bottom});
  research_.Move({c.right - kButtonRight, 5, c.right - kButtonRight + kButtonSize.width,
                  5 + kButtonSize.height});
}

void CQZView::OnSize(int, int) {
  LayoutChildren();
  Invalidate();
}

void CQZView::OnTimer(int id) {
  if (id != kLayoutTimer) return;
  KillTimer(kLayoutTimer);
  LayoutChildren();
}

void CQZView::OnLButtonDown(Point p, WParam) {
  if (session_.display_mode() != 0) return;
  for (int key = 1; key <= kSortBoxes; ++key) {
    if (!SortBox(key).Contains(p)) continue;
    ascending_ = key == sort_key_ ? !ascending_ : true;
    sort_key_ = key;
    tiles_.SetSort(sort_key_, ascending_);
    tiles_.Layout();
    Invalidate({0, 0, ClientRect().right, kHeaderHeight});
    return;
  }
}

bool CQZView::OnCommand(int id, int code, const WindowHandle&) {
  if (id == kResearchId && code == ctl::kButtonClicked) {
    Research();
    return true;
  }
  if (id == kTimeId && code == CQZTime::kPicked) {
    const std::u16string htime = time_.PickedTime();
    if (!htime.empty()) RequestScreen(code::kScreenPastReverse, htime, true, false);
    return true;
  }
  return false;
}

void CQZView::SetLive(const FeedMark& mark) {
  // The tiles and the rows keep the prices they last had, under a veil.
  tiles_.SetVeil(!mark.live, mark.VeilLabel());
  grid_.SetVeil(!mark.live, mark.VeilLabel());
  const std::u16string text = mark.live ? std::u16string() : mark.StopText();
  if (mark.live == live_ && text == stop_text_) return;
  live_ = mark.live;
  stop_text_ = text;
  Invalidate({0, 0, ClientRect().right, kHeaderHeight});
}

// Between the sort boxes and the search time, as far as there is room.
Rect CQZView::StaleTagRect() const {
  const int right = ClientRect().right;
  const int left = std::max(SortBox(kSortBoxes).right + 6, right - 400);
  return {std::min(left, right - 248), 8, right - 248, 29};
}

std::u16string CQZView::PastText() const {
  if (!past() || search_time_.size() < 5) return {};
  return u"과거 " + search_time_.substr(search_time_.size() - 5) + u" · 재검색으로 실시간";
}

std::u16string CQZView::EmptyText() const {
  std::u16string text = code::ScreenName(session_.current_screen());
  text += u" · ";
  text += MarketName(session_.market_filter());
  if (session_.screening_check() == 1) text += u" · 매수강도적용";
  return text + u": 포착된 종목이 없습니다";
}

Rect CQZView::FreeArea() const {
  const Rect c = ClientRect();
  const int right = c.right - (TimeControlWanted() ? kTimeWidth : 0);
  // Clear of the vertical and the horizontal scroll bar.
  constexpr int kBar = CQZTile::kBarWidth + 2;
  return {0, kHeaderHeight, std::max(0, right - kBar), std::max(kHeaderHeight, c.bottom - kBar)};
}

// The stale tag's place, widened to the left as far as the sort boxes.
Rect CQZView::PastTagRect() const {
  const Rect stale = StaleTagRect();
  return {std::min(stale.left, std::max(SortBox(kSortBoxes).right + 6, stale.right - 230)),
          stale.top, stale.right, stale.bottom};
}

void CQZView::OnPaint(DrawContext& dc) {
  PaintHeader(dc);
}

void CQZView::PaintHeader(DrawContext& dc) {
  const int right = ClientRect().right;
  dc.FillRect({0, 0, right, kHeaderHeight}, kHeaderColor);
  dc.FillRect({0, kHeaderHeight - 1, right, kHeaderHeight}, kHeaderLine);
  dc.SetFont(HeaderFont());
  dc.SetTransparentBackground(true);
  const unsigned one_line = text_flag::kSingleLine | text_flag::kVCenter | text_flag::kNoPrefix;
  dc.SetTextColor(kText);
  dc.DrawText(u"검색시간", {right - 240, 8, right - 184, 29}, one_line | text_flag::kCenter);
  dc.SetTextColor(!live_ ? kStaleColor : past() ? kPastColor : kSearchTimeColor);
  dc.DrawText(search_time_, {right - 184, 8, right - 50, 29}, one_line);
  if (!live_ || request_failed_) {
    dc.SetTextColor(kSearchTimeColor);
    dc.DrawText(live_ ? std::u16string(u"요청 실패") : stop_text_, StaleTagRect(),
                one_line | text_flag::kRight);
  } else if (past()) {
    // Live prices stand beside a past result: the header says so plainly.
    dc.SetFont(Font::Points(u"굴림", 9, 700));
    dc.SetTextColor(kPastColor);
    dc.DrawText(PastText(), PastTagRect(), one_line | text_flag::kRight | text_flag::kEndEllipsis);
    dc.SetFont(HeaderFont());
  }
  if (session_.display_mode() != 0) return;
  for (int key = 1; key <= kSortBoxes; ++key) {
    const Rect box = SortBox(key);
    dc.FillRect(box, kHeaderColor);
    dc.SetTextColor(kText);
    // The label keeps clear of the triangle's place.
    dc.DrawText(kSortLabels[key - 1], {box.left, box.top, box.right - 10, box.bottom},
                one_line | text_flag::kCenter);
    if (key != sort_key_) continue;
    // Down for ascending, up for descending, 5 pixels from the right end.
    const int x = box.right - 5 - 7;
    const int mid = (box.top + box.bottom) / 2;
    const std::vector<Point> down{{x, mid - 2}, {x + 6, mid - 2}, {x + 3, mid + 2}};
    const std::vector<Point> up{{x, mid + 2}, {x + 6, mid + 2}, {x + 3, mid - 2}};
    dc.SetPen({kTriangleOutline, 1, PenStyle::kSolid});
    dc.SetBrush(kTriangleFill);
    dc.Polygon(ascending_ ? down : up);
  }
}

void CQZView::PaintResearchButton(const DrawItem& item) {
  const Rect r = item.rect;
  item.dc.FillRect(r, kButtonFace);
  item.dc.FrameRect(r, item.pressed ? kHeaderLine : kTriangleOutline);
  item.dc.SetFont(HeaderFont());
  item.dc.SetTextColor(kText);
  item.dc.SetTransparentBackground(true);
  const Rect text = item.pressed ? r.Offset(1, 1) : r;
  item.dc.DrawText(
      u"재검색", text,
      text_flag::kSingleLine | text_flag::kVCenter | text_flag::kCenter | text_flag::kNoPrefix);
}

}  // namespace velloran
