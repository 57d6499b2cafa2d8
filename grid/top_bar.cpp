#include "grid/top_bar.h"

#include "app/session_data.h"
#include "grid/quote_summary.h"
#include "grid/screen_text.h"
#include "net/message_codes.h"
#include "net/packet.h"
#include "net/session_requests.h"
#include "net/stock_code.h"
#include "platform/bitmap_resources.h"
#include "platform/child_rect.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

constexpr int kBackgroundBitmap = 311;
constexpr int kPlayBitmap = 336;
constexpr int kSearchBitmap = 338;
constexpr int kDropBitmap = 337;
constexpr Rect kPlayRect{3, 7, 73, 25};
constexpr Rect kCodeBoxRect{78, 9, 168, 27};
constexpr Rect kNameBoxRect{171, 9, 261, 27};
constexpr Rect kCodeFrame{77, 8, 169, 28};
constexpr Rect kNameFrame{170, 8, 262, 28};
constexpr int kButtonTop = 7;
constexpr int kFilterTop = 8;
constexpr int kListGap = 2;
constexpr int kFilterAfterLists = 5;
constexpr int kFilterWidth = 65;
constexpr int kFilterHeight = 20;
constexpr int kCheckAfterFilter = 70;
constexpr int kCheckWidth = 100;
constexpr int kCheckHeight = 20;
constexpr int kTileAfterCheck = 115;
constexpr int kGridAfterTile = 32;
constexpr int kSeparatorTop = 8;
constexpr int kSeparatorBottomGap = 12;
constexpr int kSummaryX = 273;
constexpr int kSummaryY = 8;

struct ListButton {
  int id;
  int screen;
  const char16_t* text;
  int normal;
  int pressed;
};
constexpr ListButton kListButtons[] = {
    {CTopBar::kSurgingId, code::kScreenSurging, u"SKY", 332, 333},
    {CTopBar::kBoxRangeId, code::kScreenBoxRange, u"BOX", 328, 329},
    {CTopBar::kNewsId, code::kScreenNews, u"SOC", 334, 335},
    {CTopBar::kReverseId, code::kScreenReverse, u"SOC", 330, 331},
};

}  // namespace

CTopBar::CTopBar(CSessionData& session) : session_(session) {}

CTopBar::~CTopBar() = default;

void CTopBar::SetRelations(const FrameRelations& relations) {
  relations_ = relations;
}

CBitButton& CTopBar::list_button(int screen) {
  switch (screen) {
    case code::kScreenSurging:
      return surging_;
    case code::kScreenBoxRange:
      return box_range_;
    case code::kScreenNews:
      return news_;
    default:
      return reverse_;
  }
}

int CTopBar::OnCreate() {
  background_ = LoadBitmapResource(kBackgroundBitmap);
  if (!play_.Create(u"PLAY", {}, kPlayRect, this, kPlayId)) return -1;
  play_.LoadBitmap(kPlayBitmap);
  if (!code_box_.Create(kCodeBoxRect, this, kCodeBoxId, kSearchBitmap, kDropBitmap) ||
      !name_box_.Create(kNameBoxRect, this, kNameBoxId, 0, 0))
    return -1;
  code_box_.SetShowCode(true);
  name_box_.SetShowCode(true);
  code_box_.SetTabPartner(&name_box_);
  name_box_.SetTabPartner(&code_box_);

  for (const ListButton& button : kListButtons) {
    CBitButton& b = list_button(button.screen);
    if (!b.Create(button.text, {}, {0, 0, kListButtonWidth, 22}, this, button.id)) return -1;
    b.SetToggleBitmaps(button.normal, button.pressed);
    b.LoadBitmap(button.normal);
  }
  if (!tile_.Create(u"TILE", {}, {0, 0, 30, 20}, this, kTileId) ||
      !grid_.Create(u"GRID", {}, {0, 0, 30, 20}, this, kGridId))
    return -1;
  tile_.SetToggleBitmaps(315, 314);
  tile_.LoadBitmap(315);
  grid_.SetToggleBitmaps(317, 316);
  grid_.LoadBitmap(317);

  ButtonStyle check_style;
  check_style.kind = ButtonKind::kCheckBox;
  check_style.auto_check = false;  // the bar flips it, before its request
  check_style.transparent = true;
  if (!check_.Create(this, kCheckId, {0, 0, kCheckWidth, kCheckHeight}, u"매수강도적용",
                     check_style))
    return -1;
  check_.SetFont(Font::Points(u"굴림", 9));
  // At once, not at the start timer: a screen key pressed before it would
  // store the unchecked box as the session's check.
  check_.SetCheck(session_.screening_check() != 0);

  if (!filter_.Create(this, kFilterId, {0, 0, kFilterWidth, kFilterHeight})) return -1;
  filter_.SetFont(Font::Points(u"굴림", 9));
  for (int market = 0; market < kMarketFilters; ++market) filter_.AddString(MarketName(market));
  filter_.SetCurSel(session_.market_filter());  // as the workspace kept it

  SetTimer(kStartTimer, kStartDelayMs);
  Layout();
  return 0;
}

void CTopBar::Layout() {
  if (!filter_.IsCreated()) return;
  const Rect c = ClientRect();
  int x = c.width() - kRightGroup;
  for (const ListButton& button : kListButtons) {
    CBitButton& b = list_button(button.screen);
    b.Move({x, kButtonTop, x + kListButtonWidth, kButtonTop + ChildRect(b).height()});
    x += kListButtonWidth + kListGap;
  }
  x += kFilterAfterLists - kListGap;
  filter_.Move({x, kFilterTop, x + kFilterWidth, kFilterTop + kFilterHeight});
  x += kCheckAfterFilter;
  check_.Move({x, kFilterTop, x + kCheckWidth, kFilterTop + kCheckHeight});
  x += kTileAfterCheck;
  for (CBitButton* b : {&tile_, &grid_}) {
    const Rect r = ChildRect(*b);
    b->Move({x, kButtonTop, x + r.width(), kButtonTop + r.height()});
    x += kGridAfterTile;
  }
}

void CTopBar::OnSize(int, int) {
  Layout();
  Invalidate();
}

Rect CTopBar::SummaryRect() const {
  const int right = surging_.IsCreated() ? ChildRect(surging_).left - 1 : ClientRect().right;
  return {kSummaryLeft, 0, std::max(right, kSummaryLeft), ClientRect().bottom};
}

bool CTopBar::OnEraseBackground(DrawContext& dc) {
  const Rect c = ClientRect();
  if (background_.IsNull()) return Window::OnEraseBackground(dc);
  dc.StretchBitmap(background_, {0, 0, background_.width(), background_.height()}, c);
  return true;
}

void CTopBar::OnPaint(DrawContext& dc) {
  const Rect c = ClientRect();
  const int sx = c.right - kSeparatorFromRight;
  const int bottom = c.bottom - kSeparatorBottomGap;
  if (bottom > kSeparatorTop) {
    dc.FillRect({sx, kSeparatorTop, sx + 1, bottom}, kSeparatorDark);
    dc.FillRect({sx + 1, kSeparatorTop, sx + 2, bottom}, kSeparatorLight);
  }
  dc.FrameRect(kCodeFrame, kBoxFrame);
  dc.FrameRect(kNameFrame, kBoxFrame);
  if (quote_) {
    QuoteSummary s = MakeQuoteSummary(quote_->quote, PreviousVolume());
    s.stale = !live_;
    PaintQuoteSummary(dc, s, kSummaryX, kSummaryY, SummaryRect());
  }
  if (!live_) {
    dc.SetTransparentBackground(true);
    dc.SetFont(Font::Points(u"굴림", 9, 700));
    dc.SetTextColor(kRiseColor);
    dc.DrawText(stop_text_, StaleTagRect(),
                text_flag::kSingleLine | text_flag::kVCenter | text_flag::kRight);
  }
}

Rect CTopBar::StaleTagRect() const {
  const Rect s = SummaryRect();
  return {std::max(s.left, s.right - 160), s.top, s.right - 10, s.bottom};
}

void CTopBar::SetLive(const FeedMark& mark) {
  const std::u16string text = mark.live ? std::u16string() : mark.StopText();
  if (mark.live == live_ && text == stop_text_) return;
  live_ = mark.live;
  stop_text_ = text;
  Invalidate(SummaryRect());
}

void CTopBar::OnTimer(int id) {
  if (id != kStartTimer) return;
  KillTimer(id);
  Layout();
  SetListGroup(session_.current_screen());
  SetModeGroup(session_.display_mode());
  check_.SetCheck(session_.screening_check() != 0);
}

LResult CTopBar::WindowProc(WindowMessage& m) {
  switch (m.message) {
    case msg::kSelectStock:
      SelectStock(UnpackStockCode(static_cast<std::intptr_t>(m.wparam)));
      return 0;
    case msg::kNotify:
      if (m.wparam == 1) {
        OnLogin(m.lparam != 0);
      } else if (m.wparam == static_cast<WParam>(code::kStockMaster)) {
        OnMasterArrived();
      }
      return 0;
    case msg::kHogaChanged:
      // A quote of the stock shown before, still on its way, is not this one's.
      if (auto q = m.Take<BookQuote>(); q && q->code == shown_code_) {
        quote_ = std::move(*q);
        Invalidate(SummaryRect());
      }
      return 0;
    default:
      return Window::WindowProc(m);
  }
}

bool CTopBar::OnCommand(int id, int code, const WindowHandle&) {
  switch (id) {
    case kPlayId:
      if (code == ctl::kButtonClicked) OnPlay();
      return true;
    case kSurgingId:
    case kBoxRangeId:
    case kNewsId:
    case kReverseId:
      if (code == ctl::kButtonClicked) {
        for (const ListButton& button : kListButtons)
          if (button.id == id) OnListButton(button.screen);
      }
      return true;
    case kTileId:
    case kGridId:
      if (code == ctl::kButtonClicked) OnDisplayMode(id == kTileId ? 0 : 1);
      return true;
    case kCheckId:
      if (code == ctl::kButtonClicked) {
        check_.SetCheck(!check_.IsChecked());
        OnFilterChanged();
      }
      return true;
    case kFilterId:
      if (code == ctl::kComboSelChange) OnFilterChanged();
      return true;
    default:
      return false;
  }
}

// ---- selection

std::optional<CTopBar::Selection> CTopBar::FindStock(const std::u16string& code) {
  std::unique_ptr<Packet> copy;
  {
    const auto data = session_.Read();
    if (const Packet* master = data->FindMaster(code)) copy = std::make_unique<Packet>(*master);
  }
  // Before the master came (or for a stock it lacks), the recent entry.
  if (!copy) {
    if (const Packet* recent = session_.lists().FindRecent(code))
      copy = std::make_unique<Packet>(*recent);
  }
  if (!copy) return std::nullopt;
  Selection s;
  s.code = copy->GetText(u"SHCODE", u"");
  s.name = copy->GetText(u"HNAME", u"");
  s.market = copy->GetText(u"MARKET", u"");
  s.previous_volume = copy->GetInt(u"JNILVOL", 0);
  s.packet = std::move(copy);
  return s;
}

void CTopBar::SelectStock(const std::u16string& code) {
  if (code.empty()) return;
  std::optional<Selection> s = FindStock(code);
  if (!s) return;
  pending_code_.clear();
  // The summary of the stock before would stand beside this one's name
  // until its book comes: it goes at once.
  if (s->code != shown_code_ && quote_) {
    quote_.reset();
    Invalidate(SummaryRect());
  }
  shown_code_ = s->code;
  shown_market_ = s->market;
  previous_volume_ = s->previous_volume;
  code_box_.ShowText(s->code);
  name_box_.ShowText(s->name);
  if (session_.socket() == nullptr) return;
  SendOrderBookRequest(s->code, previous_code_, s->market);
  previous_code_ = s->code;
  session_.AddRecent(*s->packet);
}

void CTopBar::SendOrderBookRequest(const std::u16string& code, const std::u16string& previous,
                                   const std::u16string& market) {
  session_.Send(BookRequest(code, previous, market));
}

std::int32_t CTopBar::PreviousVolume() const {
  if (previous_volume_ > 0 || shown_code_.empty()) return previous_volume_;
  // The master may have come after the selection.
  const auto data = session_.Read();
  const Packet* master = data->FindMaster(shown_code_);
  return master != nullptr ? master->GetInt(u"JNILVOL", 0) : 0;
}

void CTopBar::OnLogin(bool first_login) {
  code_box_.SetSources(&session_);
  name_box_.SetSources(&session_);
  const auto& recent = session_.recent();
  if (code_box_.Text().empty() && !recent.empty()) {
    const std::u16string code = recent.back()->GetText(u"SHCODE", u"");
    bool in_master = false;
    {
      const auto data = session_.Read();
      in_master = data->FindMaster(code) != nullptr;
    }
    // The master follows the login answer: the stock is selected once it is in.
    if (in_master) {
      PostMessage(handle(), msg::kSelectStock, static_cast<WParam>(PackStockCode(code)), 0);
    } else {
      pending_code_ = code;
    }
    return;
  }
  // A new session streams nothing yet: ask again for the book on show.
  if (!first_login && !shown_code_.empty() && session_.socket() != nullptr) {
    SendOrderBookRequest(shown_code_, u"", shown_market_);
    previous_code_ = shown_code_;
  }
}

void CTopBar::OnMasterArrived() {
  if (pending_code_.empty()) return;
  {
    const auto data = session_.Read();
    if (data->FindMaster(pending_code_) == nullptr) return;
  }
  const std::u16string code = std::move(pending_code_);
  pending_code_.clear();
  PostMessage(handle(), msg::kSelectStock, static_cast<WParam>(PackStockCode(code)), 0);
}

// ---- lists, filter, modes

void CTopBar::OnListButton(int screen) {
  ui_thread_.Check();
  if (screen == session_.current_screen()) return;
  // Stored first, as for a filter change: the request carries the filter
  // stored.
  StoreFilter();
  const std::u16string dropped = session_.SwitchScreen(screen);
  SendScreenRequest(dropped, screen);
  SetListGroup(screen);
}

void CTopBar::OnFilterChanged() {
  const int screen = session_.current_screen();
  // Stored first: a hit the worker holds while the list is dropped is judged
  // by the filter now in force.
  StoreFilter();
  const std::u16string dropped = session_.SwitchScreen(screen);
  SendScreenRequest(dropped, screen);
}

void CTopBar::StoreFilter() {
  session_.set_screening_check(check_.IsChecked() ? 1 : 0);
  session_.set_market_filter(filter_.GetCurSel());
}

void CTopBar::SendScreenRequest(const std::u16string& dropped, int screen) {
  if (session_.socket() == nullptr) return;
  // A past moment of the time machine is asked for as that moment again:
  // without it the market has no moment to answer for.
  const std::u16string htime =
      screen == code::kScreenPastReverse ? session_.Read()->time_machine_time : std::u16string();
  session_.Send(ScreenRequest(dropped, screen, session_.market_filter(),
                              session_.screening_check(), htime));
}

void CTopBar::SetListGroup(int screen) {
  CBitButton& pressed = list_button(screen);
  for (const ListButton& button : kListButtons) {
    CBitButton& b = list_button(button.screen);
    b.SetToggle(&b == &pressed ? 1 : 0);
  }
}

void CTopBar::SetModeGroup(int mode) {
  tile_.SetToggle(mode == 0 ? 1 : 0);
  grid_.SetToggle(mode == 1 ? 1 : 0);
}

void CTopBar::OnDisplayMode(int mode) {
  ui_thread_.Check();
  session_.set_display_mode(mode);
  SetModeGroup(mode);
  PostMessage(relations_.qz_view, msg::kNotify, static_cast<WParam>(code::kScreenRequest), 0);
}

void CTopBar::OnPlay() {
  if (quote_ && relations_.hoga_view.IsWindow())
    PostMessage(relations_.hoga_view, msg::kOpenReplay, 0, 0);
}

}  // namespace velloran
