#include "server/demo_server.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <future>
#include <thread>

#include <asio.hpp>
#include <asio/thread_pool.hpp>

#include "net/message_codes.h"
#include "net/text_util.h"
#include "server/book_replies.h"
#include "server/calendar.h"
#include "server/charts.h"
#include "server/http_pages.h"
#include "server/replay_desk.h"
#include "server/screens.h"
#include "server/session.h"
#include "server/sim_clock.h"
#include "server/user_book.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

constexpr int kDatesSent = 20;  // trading dates in the 3012 list
constexpr int kSavedScreenPeriodS = 300;
constexpr std::size_t kMaxRecordedCodes = 64;
constexpr const char16_t* kUnknownId = u"등록되지 않은 아이디입니다.";
constexpr const char16_t* kHelloRefused = u"지금은 접속할 수 없습니다. 잠시 후 다시 시도하십시오.";

std::u16string JoinCodes(const Market& m, const std::vector<int>& stocks) {
  std::u16string out;
  for (int i : stocks) {
    if (!out.empty()) out += u'|';
    out += Utf16(m.stock(i).code);
  }
  return out;
}

}  // namespace

class DemoServer::Impl : private SessionHost {
 public:
  explicit Impl(ServerOptions options) : options_(std::move(options)) {}
  ~Impl() override { Stop(); }

  bool Start(std::string& error);
  void Stop();
  void Advance(int seconds);
  ServerStats Stats();
  void WithMarket(const std::function<void(const Market&)>& fn);
  std::vector<std::u16string> ReceivedTexts(int code);

  std::uint16_t session_port_ = 0, http_port_ = 0;
  int date_ = 0;

 private:
  void OnPacket(Session& session, const Packet& packet) override;
  void OnClosed(Session& session) override;

  void Accept();
  void ScheduleStep();
  void Step();
  // Sends what the market made up to moment t, in time order.
  void Release(double t);
  void Dispatch(const MarketEvents& events);
  void SendTrade(const MarketEvents::Trade& trade);
  void SendBook(const MarketEvents::BookChange& change);
  void RunOnNetwork(const std::function<void()>& fn);
  void Record(int code, const Packet& packet);

  void Hello(Session& session, const Packet& packet);
  void FireAlarmNow(const UserData& user);
  void ScreenRequested(Session& session, const Packet& packet);
  void OrderBookRequested(Session& session, const Packet& packet);
  void ReplayRequested(Session& session, const Packet& packet);
  std::u16string ReplayMemo(const UserData& user, int index, int date) const;
  void Unsubscribe(Session& session);
  void SendHits(Session& session, const std::vector<Hit>& hits);
  void SendNewHits(Session& session);
  void SendSavedResults(Session& session, bool with_list);
  void CheckAlarms(const MarketEvents::Trade& trade);
  Packet IndexPacket(int market) const;
  Packet EndOfBatch() const;
  std::u16string NowText() const;

  ServerOptions options_;
  std::unique_ptr<Market> market_;
  std::unique_ptr<UserBook> users_;
  std::unique_ptr<SimClock> clock_;
  std::unique_ptr<ReplayDesk> replay_;
  std::atomic<int> market_now_{0};  // the market's second, for the replay page's threads
  // Replay answers are made here, off the network thread: a day's tape takes a moment.
  std::unique_ptr<asio::thread_pool> replay_pool_;
  SavedResults saved_;
  std::shared_ptr<const std::string> master_wire_, dates_wire_;
  // Per stock: (user, alarm) pairs watching it.
  std::vector<std::vector<std::pair<int, int>>> alarm_watch_;

  asio::io_context io_;
  asio::ip::tcp::acceptor acceptor_{io_};
  asio::steady_timer step_timer_{io_};
  std::chrono::steady_clock::time_point next_step_;
  std::vector<std::shared_ptr<Session>> sessions_;
  std::thread network_thread_;
  HttpPages http_;
  std::atomic<bool> running_{false};
  std::uint64_t session_seq_ = 0;
  std::uint64_t book_updates_ = 0;
  ServerStats stats_;  // network thread only
  // What the market made for its current second, ahead of the clock, and
  // how far into its trades and books the clock has come.
  MarketEvents pending_;
  std::size_t trades_out_ = 0, books_out_ = 0;
  MarketEvents due_;
  std::map<int, std::deque<std::u16string>> received_;  // network thread only
};

bool DemoServer::Impl::Start(std::string& error) {
  if (running_) return true;
  int today = 0, now_s = 0;
  SeoulNow(today, now_s);
  int date = options_.clock == ClockMode::kSim && options_.date != 0 ? options_.date : today;
  market_ = std::make_unique<Market>(
      MarketConfig{options_.seed, options_.stocks, TradingDayOnOrBefore(date), options_.open_rush});
  date_ = market_->date();
  const int start = options_.clock == ClockMode::kSim
                        ? SecondsFromHhmmss(std::clamp(options_.start_time, 83000, 235959))
                        : now_s;
  MarketEvents before_start;  // the day up to the start, sent to nobody
  market_->AdvanceTo(start, before_start);
  market_now_ = market_->now();
  replay_ = std::make_unique<ReplayDesk>(*market_);
  replay_pool_ = std::make_unique<asio::thread_pool>(1);
  users_ = std::make_unique<UserBook>(options_.users, *market_);
  saved_ = EvaluateSavedRules(*market_);

  alarm_watch_.assign(market_->stocks().size(), {});
  for (int u = 0; u < static_cast<int>(users_->users().size()); ++u)
    for (int a = 0; a < static_cast<int>(users_->users()[u].alarms.size()); ++a)
      alarm_watch_[users_->users()[u].alarms[a].stock].emplace_back(u, a);

  std::u16string lines;
  for (const Stock& s : market_->stocks()) lines += MasterLine(s) + u"\n";
  Packet master(code::kStockMaster);
  master.AddText(u"DATA", Encode(lines));
  master_wire_ = std::make_shared<const std::string>(master.ToWire());
  std::u16string date_lines;
  for (int i = 0; i < kDatesSent; ++i) date_lines += DateText(market_->trading_dates()[i]) + u"\n";
  Packet dates(code::kTradingDates);
  dates.AddText(u"DATA", date_lines);
  dates_wire_ = std::make_shared<const std::string>(dates.ToWire());

  asio::error_code ec;
  const asio::ip::address address = asio::ip::make_address(options_.bind, ec);
  if (ec) {
    error = "bad bind address \"" + options_.bind + "\"";
    return false;
  }
  const asio::ip::tcp::endpoint endpoint(address, options_.port);
  acceptor_.open(endpoint.protocol(), ec);
  if (!ec) acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error = "cannot listen for sessions on " + options_.bind + ":" + std::to_string(options_.port) +
            ": " + ec.message();
    acceptor_.close(ec);
    return false;
  }
  session_port_ = acceptor_.local_endpoint().port();
  if (!http_.Start(options_.bind, options_.http_port,
                   options_.users.empty() ? Credentials{{"demo", "demo"}} : options_.users,
                   options_.faults, session_port_,
                   [this](std::string_view body) {
                     const Packet reply =
                         replay_->Answer(ReadReplayForm(body), market_now_.load(), u"",
                                         options_.faults.replay_bad_lines);
                     return Utf8(reply.Text());
                   },
                   error)) {
    acceptor_.close(ec);
    return false;
  }
  http_port_ = http_.port();

  const auto now = std::chrono::steady_clock::now();
  clock_ = std::make_unique<SimClock>(options_.clock, options_.speed, start, now);
  next_step_ = now;
  running_ = true;
  Accept();
  ScheduleStep();
  network_thread_ = std::thread([this] { io_.run(); });
  return true;
}

void DemoServer::Impl::Stop() {
  if (!running_.exchange(false)) return;
  http_.Stop();
  // No replay answer is posted to the network thread after this.
  if (replay_pool_) replay_pool_->join();
  asio::post(io_, [this] {
    asio::error_code ec;
    acceptor_.close(ec);
    step_timer_.cancel();
    const auto sessions = sessions_;
    for (const auto& s : sessions) s->Close();
  });
  // The loop ends once the closed sockets' handlers have run.
  if (network_thread_.joinable()) network_thread_.join();
  sessions_.clear();
}

void DemoServer::Impl::RunOnNetwork(const std::function<void()>& fn) {
  if (!running_ || std::this_thread::get_id() == network_thread_.get_id()) {
    fn();
    return;
  }
  std::promise<void> done;
  asio::post(io_, [&] {
    fn();
    done.set_value();
  });
  done.get_future().wait();
}

void DemoServer::Impl::Advance(int seconds) {
  RunOnNetwork([&] {
    if (!clock_) return;
    clock_->Advance(seconds);
    Step();
  });
}

ServerStats DemoServer::Impl::Stats() {
  ServerStats out;
  RunOnNetwork([&] {
    out = stats_;
    out.open_sessions = 0;
    for (const auto& s : sessions_) {
      if (s->closed()) continue;
      ++out.open_sessions;
      out.packets_sent += s->packets_sent();
    }
    out.login_pages = http_.login_requests();
    out.replay_pages = http_.replay_requests();
    out.market_seconds = market_ ? market_->now() : 0;
  });
  return out;
}

void DemoServer::Impl::WithMarket(const std::function<void(const Market&)>& fn) {
  RunOnNetwork([&] {
    if (market_) fn(*market_);
  });
}

std::vector<std::u16string> DemoServer::Impl::ReceivedTexts(int code) {
  std::vector<std::u16string> out;
  RunOnNetwork([&] {
    const auto it = received_.find(code);
    if (it != received_.end()) out.assign(it->second.begin(), it->second.end());
  });
  return out;
}

void DemoServer::Impl::Record(int code, const Packet& packet) {
  auto it = received_.find(code);
  if (it == received_.end()) {
    if (received_.size() >= kMaxRecordedCodes) return;
    it = received_.emplace(code, std::deque<std::u16string>()).first;
  }
  it->second.push_back(packet.Text().substr(0, kMaxKeptChars));
  if (it->second.size() > kKeptTexts) it->second.pop_front();
}

void DemoServer::Impl::Accept() {
  acceptor_.async_accept([this](const asio::error_code& ec, asio::ip::tcp::socket socket) {
    if (!running_ || !acceptor_.is_open()) return;
    if (!ec) {
      auto s = std::make_shared<Session>(std::move(socket), static_cast<SessionHost&>(*this),
                                         options_.faults,
                                         MixSeed(options_.seed, ++session_seq_, 0x5E55));
      sessions_.push_back(s);
      ++stats_.connections;
      s->Start();
    }
    Accept();
  });
}

void DemoServer::Impl::OnClosed(Session& session) {
  stats_.packets_sent += session.packets_sent();
  Unsubscribe(session);
  // Removed later: the caller may be walking the list.
  asio::post(io_, [this] {
    std::erase_if(sessions_, [](const std::shared_ptr<Session>& s) { return s->closed(); });
  });
}

void DemoServer::Impl::ScheduleStep() {
  next_step_ += kStepPeriod;
  const auto now = std::chrono::steady_clock::now();
  if (next_step_ < now) next_step_ = now;
  step_timer_.expires_at(next_step_);
  step_timer_.async_wait([this](const asio::error_code& ec) {
    if (ec || !running_) return;
    Step();
    ScheduleStep();
  });
}

void DemoServer::Impl::Step() {
  const auto started = std::chrono::steady_clock::now();
  const double t = clock_->TimeAt(started);
  const int second = std::min(static_cast<int>(std::ceil(t)), Market::kEndOfDay);
  if (second > market_->now()) {
    market_->AdvanceTo(second, pending_);
    market_now_ = market_->now();
  }
  Release(t);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  ++stats_.steps;
  stats_.total_step_ms += ms;
  stats_.max_step_ms = std::max(stats_.max_step_ms, ms);
  if (ms > kStepPeriod.count()) ++stats_.late_steps;
}

void DemoServer::Impl::Release(double t) {
  MarketEvents& p = pending_;
  due_.Clear();
  for (; trades_out_ < p.trades.size() && p.trades[trades_out_].seconds <= t; ++trades_out_)
    due_.trades.push_back(p.trades[trades_out_]);
  for (; books_out_ < p.books.size() && p.books[books_out_].seconds <= t; ++books_out_)
    due_.books.push_back(p.books[books_out_]);
  // Minutes whose boundary the clock reached, with the phase changes that
  // fall on the open's and the close's.
  std::size_t minutes = 0, phases = 0;
  for (; minutes < p.minutes.size() && p.minutes[minutes] <= t; ++minutes) {
    due_.minutes.push_back(p.minutes[minutes]);
    const bool phase = p.minutes[minutes] == Market::kOpen || p.minutes[minutes] == Market::kClose;
    if (phase && phases < p.phase_changes.size()) due_.phase_changes.push_back(p.phase_changes[phases++]);
  }
  p.minutes.erase(p.minutes.begin(), p.minutes.begin() + static_cast<std::ptrdiff_t>(minutes));
  p.phase_changes.erase(p.phase_changes.begin(),
                        p.phase_changes.begin() + static_cast<std::ptrdiff_t>(phases));
  due_.reverse_changes.swap(p.reverse_changes);
  if (trades_out_ == p.trades.size()) {
    p.trades.clear();
    trades_out_ = 0;
  }
  if (books_out_ == p.books.size()) {
    p.books.clear();
    books_out_ = 0;
  }
  if (due_.trades.empty() && due_.books.empty() && due_.minutes.empty() &&
      due_.phase_changes.empty() && due_.reverse_changes.empty())
    return;
  Dispatch(due_);
}

void DemoServer::Impl::SendTrade(const MarketEvents::Trade& trade) {
  const Market& m = *market_;
  std::shared_ptr<const std::string> wire;
  for (const auto& s : sessions_) {
    if (!s->user || s->closed()) continue;
    if (!s->listed[trade.stock] && !s->alarmed[trade.stock] && s->subscribed != trade.stock)
      continue;
    if (!wire) {
      Packet p(code::kRealtime);
      p.AddText(u"RES", u"CPRC");
      p.AddText(u"STKCD", Utf16(m.stock(trade.stock).code));
      p.AddText(u"DATA", QuoteText(trade.quote));
      p.AddInt(u"BTOT", trade.quote.bid_total);
      p.AddInt(u"STOT", trade.quote.ask_total);
      wire = std::make_shared<const std::string>(p.ToWire());
    }
    s->SendWire(wire);
  }
  CheckAlarms(trade);
}

void DemoServer::Impl::SendBook(const MarketEvents::BookChange& change) {
  std::shared_ptr<const std::string> wire;
  for (const auto& s : sessions_) {
    if (!s->user || s->closed() || s->subscribed != change.stock) continue;
    if (!wire) {
      const Packet p = BookUpdate(*market_, change.stock, change.book, change.seconds,
                                  options_.faults, book_updates_++);
      wire = std::make_shared<const std::string>(p.ToWire());
    }
    s->SendWire(wire);
  }
}

void DemoServer::Impl::Dispatch(const MarketEvents& events) {
  const Market& m = *market_;
  // Trades and book moves in time order; a trade comes before the book it left.
  std::size_t b = 0;
  for (const MarketEvents::Trade& trade : events.trades) {
    for (; b < events.books.size(); ++b) {
      const MarketEvents::BookChange& c = events.books[b];
      if (c.seconds > trade.seconds || (c.seconds == trade.seconds && c.stock >= trade.stock))
        break;
      SendBook(c);
    }
    SendTrade(trade);
  }
  for (; b < events.books.size(); ++b) SendBook(events.books[b]);

  if (!events.reverse_changes.empty()) {
    for (const auto& s : sessions_) {
      if (!s->user || s->closed()) continue;
      std::u16string lines;
      for (int i : events.reverse_changes)
        if (s->listed[i])
          lines += Utf16(m.stock(i).code) + u"|" + DateText(m.stock(i).reverse_date) + u"\n";
      if (lines.empty()) continue;
      Packet p(code::kStockDetail);
      p.AddText(u"DATA", lines);
      s->Send(p);
    }
  }
  auto to_all = [this](const Packet& p) {
    auto wire = std::make_shared<const std::string>(p.ToWire());
    for (const auto& s : sessions_)
      if (s->user && !s->closed()) s->SendWire(wire);
  };
  for (int phase : events.phase_changes) {
    Packet p(code::kRealtime);
    p.AddText(u"RES", u"JIF");
    p.AddText(u"DATA", u"1|" + FormatInt(phase));
    to_all(p);
  }
  for (int minute : events.minutes) {
    Packet p(code::kServerEvent);
    p.AddText(u"EVT", u"MINUTE");
    p.AddText(u"DT", DateTimeText(date_, minute));
    p.AddText(u"SVRTIME", DateTimeText(date_, minute));
    to_all(p);
  }
  if (events.minutes.empty()) return;
  to_all(IndexPacket(1));
  to_all(IndexPacket(2));
  // Saved screens are looked at every five minutes: each result makes the
  // client pause its dispatching briefly.
  bool saved_changed = false;
  if (std::any_of(events.minutes.begin(), events.minutes.end(),
                  [](int minute) { return minute % kSavedScreenPeriodS == 0; })) {
    SavedResults saved = EvaluateSavedRules(m);
    saved_changed = saved != saved_;
    saved_ = std::move(saved);
  }
  for (const auto& s : sessions_) {
    if (!s->user || s->closed()) continue;
    if (saved_changed) SendSavedResults(*s, true);
    SendNewHits(*s);
  }
}

void DemoServer::Impl::CheckAlarms(const MarketEvents::Trade& trade) {
  for (const auto& [u, a] : alarm_watch_[trade.stock]) {
    UserData& user = users_->users()[u];
    Alarm& alarm = user.alarms[a];
    const int price = trade.quote.price;
    const std::u16string when = DateTimeText(date_, static_cast<int>(trade.seconds));
    // An alarm price is reached only by a trade at exactly that price, once.
    if (!alarm.hit && price == alarm.price) {
      alarm.hit = true;
      alarm.time = when;
    } else if (!alarm.hit2 && price == alarm.price2) {
      alarm.hit2 = true;
      alarm.time2 = when;
    } else {
      continue;
    }
    Hit h;
    h.stock = alarm.stock;
    h.seq = alarm.seq;
    h.price = alarm.price;
    h.price2 = alarm.price2;
    h.time = alarm.time;
    h.time2 = alarm.time2;
    h.reg_date = h.start_date = h.end_date = date_;
    const Packet p = HitPacket(code::kAlarm, *market_, h);
    for (const auto& s : sessions_)
      if (s->user == &user && !s->closed()) s->Send(p);
  }
}

void DemoServer::Impl::OnPacket(Session& session, const Packet& packet) {
  const int code = packet.GetInt(u"GBN", 0);
  ++stats_.received[code];
  Record(code, packet);
  if (code == code::kHello) {
    Hello(session, packet);
    return;
  }
  if (!session.user) return;  // nothing is served before the hello
  if (code == code::kScreenRequest) {
    ScreenRequested(session, packet);
  } else if (code == code::kOrderBook) {
    OrderBookRequested(session, packet);
  } else if (code == code::kChart) {
    session.Send(ChartReply(*market_, packet));
  } else if (code == code::kReplayData) {
    ReplayRequested(session, packet);
  }
}

std::u16string DemoServer::Impl::ReplayMemo(const UserData& user, int index, int date) const {
  if (index < 0) return {};
  for (const Memo& m : user.memos)
    if (m.stock == index) return m.text;
  const Stock& s = market_->stock(index);
  const bool news = (date == date_ && s.news_seconds >= 0) || date == s.news_past_date;
  return news ? s.headline : std::u16string();
}

void DemoServer::Impl::ReplayRequested(Session& session, const Packet& packet) {
  ReplayRequest request = ReadReplayRequest(packet);
  const std::u16string memo =
      request.tot() ? ReplayMemo(*session.user, market_->Find(Utf8(request.code)), request.date)
                    : std::u16string();
  asio::post(*replay_pool_, [this, request = std::move(request), memo, now = market_->now(),
                             weak = session.weak_from_this()] {
    std::optional<Packet> info;
    const Packet reply =
        replay_->Answer(request, now, memo, options_.faults.replay_bad_lines, &info);
    auto wire = std::make_shared<const std::string>(reply.ToWire());
    auto info_wire =
        info ? std::make_shared<const std::string>(info->ToWire()) : nullptr;
    asio::post(io_, [weak, wire, info_wire] {
      const std::shared_ptr<Session> s = weak.lock();
      if (!s) return;
      s->SendWire(wire);
      if (info_wire) s->SendWire(info_wire);
    });
  });
}

void DemoServer::Impl::Hello(Session& session, const Packet& packet) {
  const std::string id = Utf8(packet.GetText(u"ID", u""));
  UserData* user = users_->Find(id);
  if (options_.faults.refuse_login || !user) {
    Packet answer(code::kHello);
    answer.AddText(u"RTN", user ? kHelloRefused : kUnknownId);
    session.Send(answer);
    ++stats_.refused_logins;
    return;
  }
  const Market& m = *market_;
  Unsubscribe(session);
  session.user = user;
  session.request = ScreenRequest{};
  session.listed.assign(m.stocks().size(), 0);
  session.alarmed.assign(m.stocks().size(), 0);
  for (const Alarm& a : user->alarms) session.alarmed[a.stock] = 1;

  Packet answer(code::kHello);
  answer.AddText(u"RTN", u"OK");
  answer.AddText(u"DT", NowText());
  answer.AddText(u"JIF", u"1|" + FormatInt(m.phase()) + u"\n");
  answer.AddText(u"MYS", UserBook::SavedScreenLines(*user));
  answer.AddText(u"ALM", UserBook::AlarmLines(*user, m));
  answer.AddText(u"JONGA", UserBook::ClosingLines(*user, m));
  answer.AddText(u"MEMO", Encode(UserBook::MemoEntries(*user, m)));
  session.Send(answer);
  session.SendWire(master_wire_);
  session.SendWire(dates_wire_);
  Packet jif(code::kRealtime);
  jif.AddText(u"RES", u"JIF");
  jif.AddText(u"DATA", u"1|" + FormatInt(m.phase()));
  session.Send(jif);
  session.Send(IndexPacket(1));
  session.Send(IndexPacket(2));
  SendSavedResults(session, false);
  ++stats_.logins;
  session.AfterStartup();
  if (options_.alarm_now) FireAlarmNow(*user);
}

void DemoServer::Impl::FireAlarmNow(const UserData& user) {
  const auto alarm =
      std::find_if(user.alarms.begin(), user.alarms.end(), [](const Alarm& a) { return !a.hit; });
  if (alarm == user.alarms.end()) return;
  MarketEvents events;
  market_->ForceTrade(alarm->stock, alarm->price, events);
  Dispatch(events);
}

void DemoServer::Impl::ScreenRequested(Session& session, const Packet& packet) {
  session.request = ReadScreenRequest(packet, date_);
  session.listed.assign(market_->stocks().size(), 0);
  if (IsServedScreen(session.request.screen))
    SendHits(session, ScreenHits(*market_, *session.user, saved_, session.request));
  session.Send(EndOfBatch());
}

void DemoServer::Impl::OrderBookRequested(Session& session, const Packet& packet) {
  const std::u16string code = packet.GetText(u"SHCODE", u"");
  const int index = market_->Find(Utf8(code));
  const int previous = market_->Find(Utf8(packet.GetText(u"P_SHOCODE", u"")));
  // The previous code drops its book unless it is the one asked for again.
  if (session.subscribed >= 0 && previous == session.subscribed && index != previous)
    Unsubscribe(session);
  if (index < 0) {
    session.Send(EmptySnapshot(code));
    return;
  }
  // One book a client: a new stock takes the place of the last.
  if (session.subscribed != index) {
    Unsubscribe(session);
    session.subscribed = index;
    market_->Watch(index);
  }
  session.Send(BookSnapshot(*market_, index, options_.faults));
  session.Send(MemoPacket(*market_, *session.user, index));
  session.Send(RatioSamples(*market_, index));
}

void DemoServer::Impl::Unsubscribe(Session& session) {
  if (session.subscribed < 0) return;
  if (market_) market_->Unwatch(session.subscribed);
  session.subscribed = -1;
}

void DemoServer::Impl::SendHits(Session& session, const std::vector<Hit>& hits) {
  for (const Hit& h : hits) {
    session.Send(HitPacket(session.request.screen, *market_, h));
    session.listed[h.stock] = 1;
  }
}

void DemoServer::Impl::SendNewHits(Session& session) {
  const int screen = session.request.screen;
  // A past moment does not change.
  if (!IsServedScreen(screen) || screen == code::kScreenPastReverse) return;
  std::vector<Hit> hits = ScreenHits(*market_, *session.user, saved_, session.request);
  std::erase_if(hits, [&](const Hit& h) { return session.listed[h.stock] != 0; });
  if (hits.empty()) return;
  SendHits(session, hits);
  session.Send(EndOfBatch());
}

void DemoServer::Impl::SendSavedResults(Session& session, bool with_list) {
  const Market& m = *market_;
  const UserData& user = *session.user;
  if (with_list) {
    std::u16string lines;
    for (const SavedScreen& s : user.screens)
      lines += FormatInt(s.srt) + u"|" + FormatInt(s.seq) + u"|" + s.grp + u"|" +
               JoinCodes(m, saved_[static_cast<int>(s.rule)]) + u"\n";
    Packet list(code::kSavedScreenList);
    list.AddInt(u"IDX", code::kSavedScreen);
    list.AddText(u"DATA", lines);
    session.Send(list);
  }
  for (const SavedScreen& s : user.screens) {
    Packet p(code::kSavedScreen);
    p.AddInt(u"SEQ", s.seq);
    p.AddInt(u"SRT", s.srt);
    p.AddText(u"GRP", s.grp);
    p.AddText(u"SHCODES", JoinCodes(m, saved_[static_cast<int>(s.rule)]));
    session.Send(p);
  }
}

Packet DemoServer::Impl::IndexPacket(int market) const {
  double value = 0, prev = 0;
  market_->IndexValue(market, value, prev);
  const double change = value - prev;
  Packet p(code::kRealtime);
  p.AddText(u"RES", u"JISU");
  p.AddText(u"UPCODE", market == 1 ? u"001" : u"301");
  p.AddText(u"HNAME", market == 1 ? u"코스피" : u"코스닥");
  p.AddInt(u"TIME", HhmmssFromSeconds(market_->now()));
  p.AddText(u"PRC", FormatReal2(value));
  p.AddText(u"CHANGE", FormatReal2(change));
  p.AddText(u"RATE", FormatReal2(prev > 0 ? change * 100 / prev : 0));
  p.AddInt(u"SIGN", change > 0.005 ? 2 : change < -0.005 ? 5 : 3);
  return p;
}

Packet DemoServer::Impl::EndOfBatch() const {
  Packet p(code::kScreenRequest);
  p.AddInt(u"END", 1);
  p.AddText(u"DT", NowText());
  return p;
}

std::u16string DemoServer::Impl::NowText() const {
  return DateTimeText(date_, market_->now());
}

DemoServer::DemoServer(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

DemoServer::~DemoServer() = default;

bool DemoServer::Start(std::string& error) {
  return impl_->Start(error);
}
void DemoServer::Stop() {
  impl_->Stop();
}
std::uint16_t DemoServer::session_port() const {
  return impl_->session_port_;
}
std::uint16_t DemoServer::http_port() const {
  return impl_->http_port_;
}
int DemoServer::market_date() const {
  return impl_->date_;
}
void DemoServer::Advance(int seconds) {
  impl_->Advance(seconds);
}
ServerStats DemoServer::Stats() {
  return impl_->Stats();
}
void DemoServer::WithMarket(const std::function<void(const Market&)>& fn) {
  impl_->WithMarket(fn);
}
std::vector<std::u16string> DemoServer::ReceivedTexts(int code) {
  return impl_->ReceivedTexts(code);
}

}  // namespace velloran::server
