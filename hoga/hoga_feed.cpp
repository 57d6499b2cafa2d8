#include "hoga/hoga_feed.h"

#include "app/book_quote.h"
#include "app/session_store.h"
#include "net/message_codes.h"
#include "net/packet_message.h"
#include "net/stock_code.h"
#include "net/text_util.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

std::u16string_view Element(const Packet& p, std::u16string_view tag) {
  std::u16string_view value;
  return p.Find(tag, value) ? value : std::u16string_view();
}

}  // namespace

CHogaFeed::CHogaFeed(const CSessionStore& store) : store_(store) {}

CHogaFeed::~CHogaFeed() {
  Stop();
  Packet* p = nullptr;
  while (queue_.try_dequeue(p)) delete p;
}

void CHogaFeed::Start() {
  if (thread_.joinable()) return;
  run_ = true;
  thread_ = std::thread([this] { Run(); });
}

void CHogaFeed::Stop() {
  if (!thread_.joinable()) return;
  run_ = false;
  queue_.enqueue(nullptr);  // wakes the thread; only it takes from the queue
  thread_.join();
}

void CHogaFeed::Run() {
  while (run_.load()) {
    Packet* p = nullptr;
    queue_.wait_dequeue(p);
    if (p == nullptr) continue;
    HandlePacket(std::unique_ptr<Packet>(p));
  }
}

void CHogaFeed::PushPacket(std::unique_ptr<Packet> packet) {
  if (!packet) return;
  if (packet->GetInt(u"GBN", 0) == code::kOrderBook) routed_code_ = packet->GetText(u"SHCODE", u"");
  queue_.enqueue(packet.release());
}

WindowHandle CHogaFeed::ReplayWindow() const {
  const WindowHandle replay = Targets().replay;
  return replay.IsWindow() ? replay : WindowHandle();
}

void CHogaFeed::SetTargets(const HogaTargets& targets) {
  const std::lock_guard hold(targets_lock_);
  targets_ = targets;
}

void CHogaFeed::SetReplay(const WindowHandle& replay) {
  const std::lock_guard hold(targets_lock_);
  targets_.replay = replay;
}

HogaTargets CHogaFeed::Targets() const {
  const std::lock_guard hold(targets_lock_);
  return targets_;
}

BookFrame CHogaFeed::Frame() const {
  BookFrame f;
  f.code = code_;
  book_.CopyTo(f);
  f.quote = quote_;
  f.base_price = master_.base_price;
  f.master = master_;
  f.trading_date = trading_date_;
  return f;
}

void CHogaFeed::HandlePacket(std::unique_ptr<Packet> packet) {
  if (!packet) return;
  const int c = packet->GetInt(u"GBN", 0);
  switch (c) {
    case code::kOrderBook:
      OnSnapshot(*packet);
      break;
    case code::kRealtime:
      OnRealtime(*packet);
      break;
    case code::kStockText:
      OnMemo(*packet);
      break;
    case code::kChartUpdate:
      PassOn(Targets().koa_view, c, std::move(packet));
      break;
    case code::kChart: {
      const HogaTargets t = Targets();
      const WindowHandle target = packet->GetInt(u"CHART_ID", 0) >= 3 ? t.replay : t.chart_view;
      PassOn(target, c, std::move(packet));
      break;
    }
    case code::kReplayData:
      PassOn(Targets().replay, c, std::move(packet));
      break;
    default:
      break;  // freed here
  }
}

void CHogaFeed::PassOn(const WindowHandle& target, int c, std::unique_ptr<Packet> packet) {
  // A missing window frees the packet.
  (void)PostPacket(target, msg::kNotify, std::move(packet), false, c);
}

void CHogaFeed::Hand(std::unique_ptr<HogaChange> change) {
  (void)PostOwned(Targets().view, msg::kHogaBook, std::move(change), true, 0);
}

void CHogaFeed::PostQuote(const WindowHandle& target, int kind) const {
  if (!target.IsWindow()) return;
  auto q = std::make_unique<BookQuote>();
  q->change = static_cast<BookQuote::Change>(kind);
  q->code = code_;
  q->quote = quote_;
  q->book_time = book_.book_time();
  q->total_bid = book_.total_bid();
  q->total_ask = book_.total_ask();
  (void)PostOwned(target, msg::kHogaChanged, std::move(q), true, 0);
}

void CHogaFeed::OnSnapshot(const Packet& p) {
  code_ = p.GetText(u"SHCODE", u"");
  const HogaTargets t = Targets();
  // The side charts ask for the new stock's bars at once.
  if (const std::intptr_t packed = PackStockCode(code_); packed != 0) {
    (void)PostMessage(t.chart_view, msg::kNotify, code::kOrderBook, packed);
  }
  trading_date_ = FormatInt(store_.TradingDate());
  auto change = std::make_unique<HogaChange>();
  change->kind = HogaChange::Kind::kSnapshot;
  {
    const auto data = store_.Read();
    // Without one, the stock before's master stays (its tick rule with it);
    // its panel values are then not shown.
    if (const Packet* master = data->FindMaster(code_)) master_ = MasterInfo::FromPacket(*master);
    // The record and its quote read the master as they are made; a snapshot
    // without a quote leaves the record's invalid.
    change->record = std::make_unique<CQZData>(p, store_);
    if (p.Contains(u"CPKT")) {
      change->record_quote.set_code(code_);
      (void)change->record_quote.ParseOrFill(Element(p, u"CPKT"), store_.MasterPrices());
    }
  }
  quote_ = CPKT();
  (void)quote_.Parse(Element(p, u"CPKT"));
  quote_.set_code(code_);

  book_.StartStock(Element(p, u"HMAP"));
  book_.set_book_time(FormatInt06(quote_.Time()));
  if (!book_.Apply(Element(p, u"HPKT"), quote_, master_)) book_.FillFromMap(quote_, master_);
  quote_.set_totals(book_.total_bid(), book_.total_ask());
  change->record_quote.set_totals(book_.total_bid(), book_.total_ask());

  change->frame = Frame();
  // The current quote on top of the trades before it; lines that are no
  // quote make no row.
  if (quote_.valid() && quote_.Price() > 0) change->trades.push_back(quote_);
  LineCursor lines(Element(p, u"CMAP"));
  std::u16string_view line;
  while (static_cast<int>(change->trades.size()) < kMaxTrades && lines.Next(line)) {
    CPKT trade;
    if (!trade.Parse(line) || trade.Price() <= 0) continue;
    trade.set_code(code_);
    change->trades.push_back(std::move(trade));
  }
  Hand(std::move(change));
  PostQuote(t.top_bar, static_cast<int>(BookQuote::Change::kSnapshot));
  PostQuote(t.koa_view, static_cast<int>(BookQuote::Change::kSnapshot));
}

void CHogaFeed::OnRealtime(const Packet& packet) {
  const std::u16string_view res = Element(packet, u"RES");
  if (code_.empty() || Element(packet, u"STKCD") != code_) return;
  const HogaTargets t = Targets();
  if (res == u"HOGA") {
    if (!book_.Apply(Element(packet, u"DATA"), quote_, master_)) return;
    auto change = std::make_unique<HogaChange>();
    change->kind = HogaChange::Kind::kBook;
    change->frame = Frame();
    Hand(std::move(change));
    PostQuote(t.koa_view, static_cast<int>(BookQuote::Change::kBook));
  } else if (res == u"CPRC") {
    // A record the server cut short (or left out) is no trade: it would put
    // a stale or empty row on top of the list.
    CPKT next = quote_;
    next.Update(packet, {});
    if (!next.valid() || next.Price() <= 0) return;
    quote_ = std::move(next);
    auto change = std::make_unique<HogaChange>();
    change->kind = HogaChange::Kind::kTrade;
    change->frame = Frame();
    change->trades.push_back(quote_);
    Hand(std::move(change));
    PostQuote(t.chart_view, static_cast<int>(BookQuote::Change::kTrade));
    PostQuote(t.top_bar, static_cast<int>(BookQuote::Change::kTrade));
  }
  // "JHO", "UHO", "YK" and the rest: nothing.
}

void CHogaFeed::OnMemo(const Packet& p) {
  if (code_.empty() || Element(p, u"SHCODE") != code_) return;
  auto change = std::make_unique<HogaChange>();
  change->kind = HogaChange::Kind::kMemo;
  change->frame = Frame();
  change->memo = p.GetText(u"DATA", u"");
  Hand(std::move(change));
}

}  // namespace velloran
