#pragma once
// The screens the demo server answers: the rule of each screen on the market,
// the filter of a request (market, buying strength), and the hit packets that
// carry a stock of a screen to the client.

#include <array>
#include <string>
#include <vector>

#include "net/packet.h"
#include "server/market.h"
#include "server/user_book.h"

namespace velloran::server {

struct ScreenRequest {
  int screen = 0;
  int market = 0;        // 0 all, 1 KOSPI, 2 KOSDAQ
  int chk = 0;           // 1: only stocks whose buying outweighs selling
  int past_date = 0;     // 3016: the day asked for
  int past_seconds = 0;  // 3016: the time of day asked for
};

// Reads IDX, MARKET, CHK and HTIME ("hhmmss" or "YYYYMMDDhhmmss") of a 3014.
ScreenRequest ReadScreenRequest(const Packet& request, int today);

// One stock of a screen and what its hit packet reports.
struct Hit {
  int stock = 0;
  int seconds = 0;  // capture time of day
  int date = 0;     // capture date
  int price = 0;    // capture price (PRC)
  int reg_date = 0, start_date = 0, end_date = 0;
  std::u16string source = u"1";
  // Alarm and saved-screen fields.
  int seq = 0;
  int price2 = 0;
  std::u16string time, time2;
  int srt = 0;
};

// Results of the saved-screen rules, by rule.
using SavedResults = std::array<std::vector<int>, kSavedRuleCount>;
SavedResults EvaluateSavedRules(const Market& market);

[[nodiscard]] bool IsServedScreen(int screen);
[[nodiscard]] bool PassesFilter(const Stock& stock, const ScreenRequest& request);

// The stocks that answer the request now, in code order.
std::vector<Hit> ScreenHits(const Market& market, const UserData& user, const SavedResults& saved,
                            const ScreenRequest& request);

// The hit packet: the screen's code, SHCODE, CPKT, BTOT, STOT and the record fields.
Packet HitPacket(int screen, const Market& market, const Hit& hit);

}  // namespace velloran::server
