// A busy stock's whole day in one 3001 block - 40,000 order-book snapshots
// with 30-level books and 20,000 trades - read into records, against the
// least any reader must do: find DATA and CDATA and cut them into lines.
// The encoded form is timed against its decoding alone.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/ratio_report.h"
#include "decoder/qz_comm_dec.h"
#include "net/decoder.h"
#include "net/packet.h"
#include "net/text_util.h"
#include "replay/play_blocks.h"

namespace velloran {
namespace {

constexpr int kSnapshots = 40000;
constexpr int kTrades = 20000;
constexpr int kLevels = 30;

std::u16string Time(int i) {
  // One snapshot every half second from 09:00:00.
  const int s = 9 * 3600 + i / 2;
  return FormatInt06((s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60);
}

std::u16string SnapshotLines() {
  std::u16string text;
  for (int i = 0; i < kSnapshots; ++i) {
    const int best = 50000 + (i % 200) * 50;
    text += u"1^" + Time(i) + u"^2^" + (i % 2 ? u"B" : u"S") + u"^" + FormatInt(best + 50) +
            u"^" + FormatInt(1000000 + i) + u"^" + FormatInt(best) + u"^" + FormatInt(2000000 - i) +
            u"^";
    for (int level = 0; level < kLevels; ++level) {
      if (level > 0) text += u",";
      const bool ask = level < kLevels / 2;
      const int price = ask ? best + 50 * (kLevels / 2 - level) : best - 50 * (level - kLevels / 2);
      text += (ask ? u"S" : u"B") + FormatInt(level + 1) + u"|" + FormatInt(price) + u"|" +
              FormatInt(ask ? 100 + level * 7 + i % 13 : 0) + u"|" +
              FormatInt(ask ? 0 : 90 + level * 5 + i % 11);
    }
    text += u"\r\n";
  }
  return text;
}

std::u16string TradeLines() {
  std::u16string text;
  for (int i = 0; i < kTrades; ++i) {
    const int price = 50000 + (i % 200) * 50;
    text += Time(i * 2) + u"^2^" + FormatInt(price - 49000) + u"^2.04^" + FormatInt(price);
    for (int f = 5; f < 26; ++f) text += u"^" + FormatInt(f * 1000 + i % 97);
    text += u"\r\n";
  }
  return text;
}

struct Day {
  Day() {
    (void)decoder.Load(VELLORAN_DECODER_DIR);
    const std::u16string data = SnapshotLines();
    const std::u16string cdata = TradeLines();
    for (Packet* p : {&plain, &encoded}) {
      p->AddText(u"SHCODE", u"005930");
      p->AddText(u"YMD", u"20261209");
      p->AddText(u"TYPE", u"HOGA");
      p->AddInt(u"IX", 0);
    }
    plain.AddText(u"ZIP", u"NO");
    plain.AddText(u"DATA", data);
    plain.AddText(u"CDATA", cdata);
    encoded.AddText(u"ZIP", u"YES");
    encoded.AddText(u"DATA", GB_ENC(data.c_str()));
    encoded.AddText(u"CDATA", GB_ENC(cdata.c_str()));
  }
  CDecoder decoder;
  Packet plain{3001};
  Packet encoded{3001};
};

const Day& TheDay() {
  static const Day* day = new Day;
  return *day;
}

void BM_ReadBusyDay(benchmark::State& state) {
  const Day& day = TheDay();
  std::size_t records = 0;
  for (auto _ : state) {
    const ReplayReply reply = ReadReplayReply(day.plain, day.decoder);
    records = reply.snapshots.size() + reply.trades.size();
    benchmark::DoNotOptimize(records);
  }
  if (records != kSnapshots + kTrades) state.SkipWithError("records lost");
  state.counters["records"] = static_cast<double>(records);
}

void BM_SplitBusyDayBaseline(benchmark::State& state) {
  const Day& day = TheDay();
  for (auto _ : state) {
    std::u16string_view data, cdata;
    (void)day.plain.Find(u"DATA", data);
    (void)day.plain.Find(u"CDATA", cdata);
    const auto a = Split(data, u"\r\n");
    const auto b = Split(cdata, u"\r\n");
    benchmark::DoNotOptimize(a.size() + b.size());
  }
}

void BM_ReadBusyDayEncoded(benchmark::State& state) {
  const Day& day = TheDay();
  if (!day.decoder.loaded()) state.SkipWithError("no decoder");
  for (auto _ : state) {
    const ReplayReply reply = ReadReplayReply(day.encoded, day.decoder);
    benchmark::DoNotOptimize(reply.snapshots.size());
  }
}

void BM_DecodeBusyDayBaseline(benchmark::State& state) {
  const Day& day = TheDay();
  if (!day.decoder.loaded()) state.SkipWithError("no decoder");
  for (auto _ : state) {
    const std::u16string a = day.decoder.Decode(day.encoded.GetText(u"DATA", u""),
                                                kMaxReplayDecodedBytes);
    const std::u16string b = day.decoder.Decode(day.encoded.GetText(u"CDATA", u""),
                                                kMaxReplayDecodedBytes);
    benchmark::DoNotOptimize(a.size() + b.size());
  }
}

BENCHMARK(BM_ReadBusyDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitBusyDayBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBusyDayEncoded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBusyDayBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv,
                                 {{"BM_ReadBusyDay", "BM_SplitBusyDayBaseline"},
                                  {"BM_ReadBusyDayEncoded", "BM_DecodeBusyDayBaseline"}});
}
