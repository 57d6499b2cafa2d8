// The order book's readers fed arbitrary text. The first byte picks the use:
// the pieces (split at U+0001) of a snapshot's level lines, book text and
// trade lines followed by book and trade updates, or one whole packet text
// through HandlePacket after a snapshot. Every result must stay within the
// book's bounds.
#include <memory>

#include "app/session_store.h"
#include "fuzz/fuzz_seeds.h"
#include "hoga/hoga_feed.h"
#include "net/message_codes.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/test_window.h"

namespace {

using namespace velloran;

struct Rig {
  Rig() : store(clock) {
    for (const auto& [code, market, etf] :
         {std::tuple{u"000100", 1, 0}, std::tuple{u"200100", 2, 0}, std::tuple{u"300100", 1, 1}}) {
      Packet p(code::kStockMaster);
      p.AddText(u"SHCODE", code);
      p.AddInt(u"MARKET", market);
      p.AddInt(u"ETFGUBUN", etf);
      p.AddInt(u"KPRC", 50000);
      store.Write()->master[code] = std::make_unique<Packet>(p);
    }
  }
  ManualClock clock;
  CSessionStore store;
};

void Check(const CHogaFeed& feed) {
  const CHogaBook& b = feed.book();
  if (b.ask_count() < 0 || b.ask_count() > CHogaBook::kLevels) __builtin_trap();
  if (b.bid_count() < 0 || b.bid_count() > CHogaBook::kLevels) __builtin_trap();
  if (b.map_size() > CHogaBook::kMaxMapLevels) __builtin_trap();
  if (b.largest() < 0) __builtin_trap();
  for (int i = 0; i < CHogaBook::kLevels; ++i) {
    // Filled levels have a price; the rest are empty.
    if ((i < b.ask_count()) != (b.asks()[i].price > 0) && i >= CHogaBook::kServerLevels)
      __builtin_trap();
    if (b.bids()[i].stamp.size() > CHogaBook::kMaxStamp) __builtin_trap();
    (void)StampText(b.bids()[i].stamp, i + 1, u"20240105");
  }
}

std::unique_ptr<Packet> Realtime(std::u16string_view res, std::u16string_view text) {
  auto p = std::make_unique<Packet>(code::kRealtime);
  p->AddText(u"RES", res);
  p->AddText(u"STKCD", u"000100");
  p->AddText(u"DATA", text);
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Rig* rig = new Rig;
  if (size == 0) return 0;
  const std::u16string text =
      Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  ManualMessageQueue queue;
  RecordingWindow view(queue), others(queue);
  CHogaFeed feed(rig->store);
  feed.SetTargets(
      {view.handle(), others.handle(), others.handle(), others.handle(), others.handle()});
  const std::u16string codes[] = {u"000100", u"200100", u"300100", u"999999"};
  if (data[0] % 2 == 0) {
    const std::vector<std::u16string_view> parts = SplitAll(text, u'\x01');
    const auto part = [&](std::size_t i) {
      return i < parts.size() ? std::u16string(parts[i]) : std::u16string();
    };
    auto snapshot = std::make_unique<Packet>(code::kOrderBook);
    snapshot->AddText(u"SHCODE", codes[data[0] / 2 % 4]);
    snapshot->AddText(u"CPKT", part(3));
    snapshot->AddText(u"HMAP", part(0));
    snapshot->AddText(u"HPKT", part(1));
    snapshot->AddText(u"CMAP", part(2));
    feed.HandlePacket(std::move(snapshot));
    Check(feed);
    for (std::size_t i = 4; i < parts.size(); ++i) {
      feed.HandlePacket(Realtime(i % 2 == 0 ? u"HOGA" : u"CPRC", parts[i]));
      Check(feed);
    }
  } else {
    auto snapshot = std::make_unique<Packet>(code::kOrderBook);
    snapshot->AddText(u"SHCODE", u"000100");
    snapshot->AddText(u"HPKT", u"090000|50100|50000|10|20");
    feed.HandlePacket(std::move(snapshot));
    feed.HandlePacket(std::make_unique<Packet>(std::u16string(text)));
    Check(feed);
  }
  queue.DispatchPending();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  std::string book = "093000";
  for (int k = 0; k < 10; ++k)
    book += "|" + std::to_string(50100 + 100 * k) + "|" + std::to_string(50000 - 100 * k) + "|" +
            std::to_string(100 + k) + "|" + std::to_string(200 + k);
  book += "|0|0|12345";
  const std::string quote =
      "93000|2|150|1.23|50050|0|49900|0|50200|0|49800|+|10|345678|7|200|9|"
      "300|11|0.5|12|50100|50000|t|24|t";
  const std::string levels = "20240104153000|49000|5|0\n20240105100000|51200|0|7\n|||||||||||\n";
  return {
      std::string("\x00", 1) + levels + "\x01" + book + "\x01" + quote + "\n\n1|2\n\x01" + quote +
          "\x01" + book + "\x01" + quote,
      std::string("\x02", 1) + levels + "\x01|" + book + "\x01\x01\x01" + book.substr(0, 19),
      "\x01<PKT><GBN>2002</GBN><RES>HOGA</RES><STKCD>000100</STKCD><DATA>" + book + "</DATA></PKT>",
      "\x03<PKT><GBN>3011</GBN><CHART_ID>4</CHART_ID></PKT>",
      "\x05<PKT><GBN>3013</GBN><SHCODE>000100</SHCODE><DATA>memo</DATA></PKT>"};
}
