#include "hoga/hoga_view.h"

#include <algorithm>
#include <cmath>

#include "app/session_data.h"
#include "net/message_codes.h"
#include "net/packet_message.h"
#include "net/stock_code.h"
#include "net/text_util.h"
#include "platform/application.h"
#include "platform/window_messages.h"
#include "stock/stock_records.h"

namespace velloran {

CHogaView::CHogaView(CSessionData& session) : session_(session), feed_(session.store()) {
  SetBackgroundColor(kBackground);
}

CHogaView::~CHogaView() {
  feed_.Stop();
}

int CHogaView::OnCreate() {
  if (!memo_.Create(this, kMemoId, kMemoRect) ||
      !trades_.Create(this, kTradeListId, kTradeListRect) ||
      !tile_.Create(this, kTileId, kTileRect) || !tip_.Create(this, kTipDelayMs))
    return -1;
  canvas_.PaintAll(latest_);
  full_pending_ = false;
  UpdateTargets();
  Layout();
  feed_.Start();
  return 0;
}

void CHogaView::OnDestroy() {
  // Nothing of the thread's outlives the window: it ends before the
  // children go, and what it posted since is dropped with the window.
  feed_.Stop();
  pacer_.Cancel();
  if (replay_ && replay_->IsCreated()) replay_->Destroy();
  replay_.reset();
  feed_.SetTargets({});
}

WindowHandle CHogaView::ReplayWindow() const {
  return replay_ && replay_->IsCreated() ? replay_->handle() : WindowHandle();
}

void CHogaView::SetRelations(const FrameRelations& relations) {
  relations_ = relations;
  UpdateTargets();
}

bool CHogaView::VisitRecord(std::u16string_view code, const RecordVisit& visit) const {
  if (!record_ || record_->code() != code) return false;
  // The record reads the stock master as the store keeps it.
  const auto data = session_.Read();
  visit(*record_);
  return true;
}

std::int32_t CHogaView::TradingDate() const {
  return session_.TradingDate();
}

int CHogaView::CurrentScreen() const {
  return session_.current_screen();
}

void CHogaView::UpdateTargets() {
  tile_.SetTargets(relations_.top_bar, relations_.qz_view);
  feed_.SetTargets(
      {handle(), relations_.top_bar, relations_.chart_view, relations_.koa_view, ReplayWindow()});
}

LResult CHogaView::WindowProc(WindowMessage& m) {
  switch (m.message) {
    case msg::kHogaBook:
      if (auto change = m.Take<HogaChange>()) Take(std::move(change));
      return 0;
    case msg::kOpenReplay:
      OpenReplay();
      return 0;
    case msg::kReplayClosed:
      // wParam 0 comes from the frame as it closes; the frame is freed, with
      // the day it held, by the 2031 with wParam 1 the view posts itself, once
      // the frame's destruction is over.
      if (m.wparam == 0) {
        feed_.SetReplay({});
        PostMessage(handle(), msg::kReplayClosed, 1, 0);
      } else if (replay_ && !replay_->IsCreated()) {
        replay_.reset();
      }
      return 0;
    case msg::kAlarmReached:
      // The frame tells the user; until it does, the packet is freed there.
      if (auto alarm = TakePacket(m)) {
        (void)PostPacket(relations_.main_frame, msg::kAlarmReached, std::move(alarm), true, 0);
      }
      return 0;
    default:
      return Window::WindowProc(m);
  }
}

void CHogaView::Take(std::unique_ptr<HogaChange> change) {
  ++changes_;
  switch (change->kind) {
    case HogaChange::Kind::kSnapshot: {
      // Another stock's memo is not this one's: the box waits for its own.
      if (change->frame.code != shown_code_) memo_.SetText(u"");
      shown_code_ = change->frame.code;
      latest_ = std::move(change->frame);
      full_pending_ = true;
      trades_.Clear();
      for (std::size_t k = 0; k < change->trades.size(); ++k) {
        trades_.AddTrade(change->trades[k], static_cast<int>(k));
      }
      if (change->record) UpdateRecord(std::move(change->record), change->record_quote);
      (void)PostMessage(tile_.handle(), msg::kNotify, code::kRealtime, 0);
      break;
    }
    case HogaChange::Kind::kBook:
      latest_ = std::move(change->frame);
      break;
    case HogaChange::Kind::kTrade:
      latest_ = std::move(change->frame);
      if (!change->trades.empty()) trades_.AddTrade(change->trades.front(), 0);
      if (record_ && !change->trades.empty()) {
        const auto data = session_.Read();
        record_->UpdatePrice(change->trades.front(), session_.store());
      }
      (void)PostMessage(tile_.handle(), msg::kNotify, code::kRealtime, 0);
      break;
    case HogaChange::Kind::kMemo:
      if (change->frame.code == shown_code_) memo_.SetText(change->memo);
      return;
  }
  pacer_.Request();
}

void CHogaView::UpdateRecord(std::unique_ptr<CQZData> record, const CPKT& quote) {
  // The record changes under the store's guard, as the tile reads it.
  const auto data = session_.Read();
  CSessionStore& store = session_.store();
  // The tile lets go of another stock's record.
  const bool other = !record_ || record_->code() != record->code();
  record_ = std::move(record);
  if (other) {
    tile_.SetData(u"");
  }
  record_->UpdatePrice(quote, store);
  tile_.SetData(record_->code());
}

void CHogaView::SetLive(const FeedMark& mark) {
  // The rows, the trades and the tile keep their last values, veiled; the
  // label stands over the farthest bid's time, above the totals.
  SetVeil(!mark.live, mark.VeilLabel(),
          {0, CHogaCanvas::kTotalsTop - 22, ClientRect().right, CHogaCanvas::kTotalsTop});
  const std::u16string cause = mark.live ? std::u16string() : mark.cause;
  if (cause == canvas_.stale_cause()) return;
  canvas_.SetStale(cause);
  // Rare, and to be seen at once: not paced like the book's changes.
  if (!IsCreated()) return;
  canvas_.PaintAll(latest_);
  full_pending_ = false;
  Invalidate();
}

void CHogaView::PaintFrame() {
  // A row that moved under a resting mouse holds another price now.
  UpdateTip();
  if (full_pending_) {
    canvas_.PaintAll(latest_);
    full_pending_ = false;
    UpdateNow();
    return;
  }
  std::vector<Rect> changed = canvas_.PaintChanges(latest_);
  for (Rect& r : changed) r = ToClient(r);
  // To the screen in this frame, not at the loop's next pass; only the rows
  // that changed.
  UpdateNow(changed);
}

void CHogaView::OnTimer(int id) {
  (void)pacer_.OnTimer(id);
}

void CHogaView::OpenReplay() {
  (void)OpenReplayOf(shown_code_);
}

Window* CHogaView::OpenReplayOf(const std::u16string& code) {
  std::u16string name;
  bool known = false;
  {
    const auto data = session_.Read();
    const Packet* master = data->FindMaster(code);
    known = master != nullptr;
    if (master) name = master->GetText(u"HNAME", u"");
  }
  if (replay_ && replay_->IsCreated()) {
    replay_->ShowNormal();
    replay_->BringToTop();
  } else {
    if (!replay_factory_) return nullptr;
    std::u16string title = code;
    if (code == shown_code_ && !latest_.master.name.empty() && latest_.MasterShown())
      title = latest_.master.name + u" (" + code + u")";
    else if (!name.empty())
      title = name + u" (" + code + u")";
    replay_ = replay_factory_(handle(), title);
    if (!replay_ || !replay_->IsCreated()) {
      replay_.reset();
      return nullptr;
    }
    feed_.SetReplay(replay_->handle());
  }
  if (known)
    SendMessage(replay_->handle(), msg::kSelectStock, static_cast<WParam>(PackStockCode(code)), 0);
  return replay_.get();
}

// ---- layout and painting

Rect CHogaView::ToClient(const Rect& r) const {
  if (scale_ >= 1.0) return r;
  return {r.left, static_cast<int>(std::floor(r.top * scale_)), r.right,
          static_cast<int>(std::ceil(r.bottom * scale_))};
}

void CHogaView::Layout() {
  memo_.Move(ToClient(kMemoRect));
  trades_.Move(ToClient(kTradeListRect));
  tile_.Move(ToClient(kTileRect));
}

void CHogaView::OnSize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  const double scale = std::min(1.0, static_cast<double>(height) / CHogaCanvas::kHeight);
  if (scale == scale_ && scale == 1.0) return;  // nothing moves at full size
  scale_ = scale;
  Layout();
  Invalidate();
}

bool CHogaView::OnEraseBackground(DrawContext& dc) {
  // Only what the canvas leaves: its copy covers the rest.
  const Rect c = ClientRect();
  const Rect canvas = ToClient({0, 0, CHogaCanvas::kWidth, CHogaCanvas::kHeight});
  dc.FillRect({canvas.right, 0, c.right, c.bottom}, kBackground);
  dc.FillRect({0, canvas.bottom, canvas.right, c.bottom}, kBackground);
  return true;
}

void CHogaView::OnPaint(DrawContext& dc) {
  const Rect full{0, 0, CHogaCanvas::kWidth, CHogaCanvas::kHeight};
  if (scale_ >= 1.0) {
    dc.DrawBitmap(canvas_.bitmap(), 0, 0);
  } else {
    canvas_.PaintScaled(dc, ToClient(full));
  }
  screen_book_time_ = canvas_.shown().book_time;
}

// ---- the price tip

std::u16string CHogaView::TipText(Point p) const {
  const Point canvas{p.x, scale_ >= 1.0 ? p.y : static_cast<int>(p.y / scale_)};
  return CHogaCanvas::PriceTipText(latest_, canvas);
}

void CHogaView::UpdateTip() {
  const std::u16string text = mouse_ ? TipText(*mouse_) : std::u16string();
  if (text != tip_.tip_text()) tip_.SetTipText(text);
}

void CHogaView::OnMouseMove(Point p, WParam) {
  mouse_ = p;
  UpdateTip();
}

void CHogaView::OnMouseLeave() {
  mouse_.reset();
  UpdateTip();
}

}  // namespace velloran
