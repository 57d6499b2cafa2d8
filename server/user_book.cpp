#include "server/user_book.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "net/text_util.h"
#include "server/calendar.h"
#include "server/tick_size.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

// The alarms' stocks trade at least every 15 s on average, and the market
// reaches the first alarm's prices within two minutes of the start.
constexpr double kBusyGapS = 15;
constexpr int kAlarmWindowsS[] = {120, 300, 900, 1800, 3600};

std::uint64_t HashId(std::string_view id) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : id) h = (h ^ c) * 1099511628211ull;
  return h;
}

// Distinct stocks drawn for a user: non-ETF stocks, and busy ones when asked.
std::vector<int> PickStocks(const Market& market, SimRandom& rng, int count, bool busy = false) {
  std::vector<int> picked;
  const int n = static_cast<int>(market.stocks().size());
  for (int tries = 0; static_cast<int>(picked.size()) < count && tries < 50 * count; ++tries) {
    const int i = static_cast<int>(rng.Below(n));
    const Stock& s = market.stock(i);
    if ((s.etf || (busy && s.mean_gap_s > kBusyGapS)) && tries < 40 * count) continue;
    if (std::find(picked.begin(), picked.end(), i) == picked.end()) picked.push_back(i);
  }
  return picked;
}

// Prices a user's alarm is set at, among those the stock trades at within
// window seconds of now, so that both are reached and spread over the
// window: the first the price the stock reaches last (first traded latest),
// the second the one it first reaches nearest the window's middle (a tick
// lower when it trades at one price only). When it will not trade in that
// time, a few ticks either side of its price.
void AlarmPrices(const Market& market, int i, int window_s, SimRandom& rng, Alarm& a) {
  const Stock& s = market.stock(i);
  const std::vector<int> ahead = market.PricesAhead(i, window_s);
  const int up = 1 + static_cast<int>(rng.Below(4)), down = 1 + static_cast<int>(rng.Below(4));
  if (!ahead.empty()) {
    std::map<int, std::size_t> first;  // price -> the trade that first reaches it
    for (std::size_t k = 0; k < ahead.size(); ++k) first.emplace(ahead[k], k);
    const auto latest = std::max_element(first.begin(), first.end(),
                                         [](auto& x, auto& y) { return x.second < y.second; });
    a.price = latest->first;
    const auto middle = static_cast<std::ptrdiff_t>(ahead.size() / 2);
    a.price2 = 0;
    std::ptrdiff_t best = -1;
    for (const auto& [price, k] : first) {
      const std::ptrdiff_t distance = std::abs(static_cast<std::ptrdiff_t>(k) - middle);
      if (price == a.price || (best >= 0 && distance >= best)) continue;
      best = distance;
      a.price2 = price;
    }
    if (a.price2 == 0) a.price2 = std::max(TickDown(a.price, s.market, s.etf), s.lower_limit);
    return;
  }
  a.price = a.price2 = s.quote.price;
  for (int k = up; k > 0; --k) a.price = std::min(TickUp(a.price, s.market, s.etf), s.upper_limit);
  for (int k = down; k > 0; --k)
    a.price2 = std::max(TickDown(a.price2, s.market, s.etf), s.lower_limit);
}

}  // namespace

std::optional<std::vector<std::pair<std::string, std::string>>> ParseUsers(std::string_view text,
                                                                           std::string& error) {
  std::vector<std::pair<std::string, std::string>> users;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && blank(line[i])) ++i;
      const std::size_t start = i;
      while (i < line.size() && !blank(line[i])) ++i;
      if (i > start) words.push_back(line.substr(start, i - start));
    }
    if (words.empty() || words[0][0] == '#') continue;
    if (words.size() != 2) {
      error = "users file line " + std::to_string(number) + ": expected \"ID PASSWORD\"";
      return std::nullopt;
    }
    users.emplace_back(std::string(words[0]), std::string(words[1]));
  }
  return users;
}

UserBook::UserBook(std::vector<std::pair<std::string, std::string>> users, const Market& market) {
  if (users.empty()) users.emplace_back("demo", "demo");
  const int yesterday = market.trading_dates()[1];
  for (auto& [id, password] : users) {
    UserData u;
    u.id = id;
    u.password = password;
    SimRandom rng(MixSeed(market.config().seed, HashId(id), 0xA1A2));
    u.screens = {{1, 1, u"상승률 상위", SavedRule::kTopRate},
                 {2, 2, u"거래량 상위", SavedRule::kTopVolume},
                 {3, 3, u"코스닥 역상", SavedRule::kKosdaqReverse}};
    // Alarms the day reaches, the first within minutes of the start.
    int seq = 1;
    for (int i : PickStocks(market, rng, 5, true)) {
      Alarm a;
      a.stock = i;
      AlarmPrices(market, i, kAlarmWindowsS[seq - 1], rng, a);
      a.seq = seq++;
      a.time = a.time2 = DateTimeText(yesterday, 15 * 3600 + 40 * 60);
      u.alarms.push_back(a);
    }
    int srt = 1;
    for (int i : PickStocks(market, rng, 5)) u.closing.push_back({i, srt++, yesterday});
    constexpr const char16_t* kMemos[] = {u"목표가 도달 시 분할 매도", u"실적 발표 확인",
                                          u"거래량 급증 주시", u"손절가 점검"};
    int k = 0;
    for (int i : PickStocks(market, rng, 3)) u.memos.push_back({i, kMemos[k++ % 4]});
    users_.push_back(std::move(u));
  }
}

UserData* UserBook::Find(std::string_view id) {
  for (UserData& u : users_)
    if (u.id == id) return &u;
  return nullptr;
}

const UserData* UserBook::Find(std::string_view id) const {
  return const_cast<UserBook*>(this)->Find(id);
}

bool UserBook::CheckPassword(std::string_view id, std::string_view password) const {
  const UserData* u = Find(id);
  return u && u->password == password;
}

std::u16string UserBook::SavedScreenLines(const UserData& user) {
  // The results follow as 3009 packets: a "|"-separated code list would not
  // survive the line's own "|" fields.
  std::u16string out;
  for (const SavedScreen& s : user.screens)
    out += FormatInt(s.seq) + u"|" + FormatInt(s.srt) + u"|" + s.grp + u"|\n";
  return out;
}

std::u16string UserBook::AlarmLines(const UserData& user, const Market& market) {
  std::u16string out;
  for (const Alarm& a : user.alarms)
    out += FormatInt(a.seq) + u"|" + Utf16(market.stock(a.stock).code) + u"|" + a.time + u"|" +
           FormatInt(a.price) + u"|" + a.time2 + u"|" + FormatInt(a.price2) + u"\n";
  return out;
}

std::u16string UserBook::ClosingLines(const UserData& user, const Market& market) {
  std::u16string out;
  for (const ClosingItem& c : user.closing)
    out += Utf16(market.stock(c.stock).code) + u"|" + FormatInt(c.srt) + u"|" + DateText(c.date) +
           u"\n";
  return out;
}

std::u16string UserBook::MemoEntries(const UserData& user, const Market& market) {
  std::u16string out;
  for (const Memo& m : user.memos) {
    if (!out.empty()) out += u"$@$";
    out += Utf16(market.stock(m.stock).code) + m.text;
  }
  return out;
}

}  // namespace velloran::server
