#include "replay/play_blocks.h"

#include "net/decoder.h"
#include "net/packet.h"
#include "net/text_util.h"

namespace velloran {
namespace {

constexpr char16_t kSep = u'^';

bool IsBlank(char16_t c) {
  // The byte-order mark too: a body written with one starts the first line.
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' ||
         c == u'\u3000' || c == u'\uFEFF';
}

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A time as the records carry it: 1 to 6 digits and nothing else. Anything
// else would become a record at midnight.
bool ReadTime(std::u16string_view piece, std::int32_t& time) {
  if (piece.empty() || piece.size() > 6) return false;
  std::int32_t value = 0;
  for (const char16_t c : piece) {
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  time = value;
  return true;
}

// A packet value, decoded unless the reply came as plain text, which is
// read where it lies.
class Value {
 public:
  Value(const Packet& reply, std::u16string_view tag, bool plain, const CDecoder& decoder) {
    if (!reply.Find(tag, text_) || text_.empty() || plain) return;
    decoded_ = decoder.Decode(std::u16string(text_), kMaxReplayDecodedBytes);
    text_ = decoded_;
  }
  [[nodiscard]] std::u16string_view text() const { return text_; }

 private:
  std::u16string_view text_;
  std::u16string decoded_;
};

std::optional<std::u16string> Echo(const Packet& reply, std::u16string_view tag) {
  std::u16string_view value;
  if (!reply.Find(tag, value)) return std::nullopt;
  return std::u16string(value);
}

}  // namespace

std::vector<std::u16string_view> ReplayLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines = Split(text, u"\r\n");
  // In place: the empty pieces go, the rest keep their order.
  std::size_t kept = 0;
  for (std::u16string_view line : lines) {
    if (kept == 0) line = Trim(line);
    if (!line.empty() && line.front() == kSep) line.remove_prefix(1);
    if (!line.empty()) lines[kept++] = line;
  }
  lines.resize(kept);
  return lines;
}

bool ReadTimeLineLine(std::u16string_view line, KOA& sample) {
  FieldCursor fields(line, kSep);
  std::u16string_view key, ask, bid;
  if (!fields.Next(key)) return false;
  // The key is a date and a time: it does not fit 32 bits.
  if (ToInt64(key) <= 1000) return false;
  if (!fields.Next(ask)) ask = {};
  if (!fields.Next(bid)) bid = {};
  sample.key.assign(key);
  sample.time = key.size() > 8 ? ToInt(key.substr(8)) : 0;
  sample.ask_total = ToInt64(ask);
  sample.bid_total = ToInt64(bid);
  return true;
}

bool ReadSnapshotLine(std::u16string_view line, HogaSnapshot& snapshot) {
  std::u16string_view f[9];
  FieldCursor fields(line, kSep);
  for (std::u16string_view& piece : f) {
    if (!fields.Next(piece)) return false;
  }
  std::int32_t time = 0;
  if (!ReadTime(f[1], time)) return false;
  snapshot.field0 = ToInt(f[0]);
  snapshot.time = time;
  snapshot.field2 = ToInt(f[2]);
  snapshot.mark = f[3].empty() ? u' ' : f[3].front();
  snapshot.best_ask = ToInt(f[4]);
  snapshot.field5 = ToInt64(f[5]);
  snapshot.best_bid = ToInt(f[6]);
  snapshot.field7 = ToInt64(f[7]);
  snapshot.book.assign(f[8]);
  return true;
}

bool ReadTradeLine(std::u16string_view line, CPKT& trade) {
  std::u16string_view first;
  FieldCursor fields(line, kSep);
  std::int32_t time = 0;
  if (!fields.Next(first) || !ReadTime(first, time)) return false;
  return trade.Parse(line, kSep);
}

ReplayReply ReadReplayReply(const Packet& reply, const CDecoder& decoder) {
  ReplayReply out;
  out.echo.stock = Echo(reply, u"SHCODE");
  out.echo.ymd = Echo(reply, u"YMD");
  out.echo.htime = Echo(reply, u"HTIME");
  out.echo.type = reply.GetText(u"TYPE", u"");
  const bool plain = reply.GetText(u"ZIP", u"") == u"NO";

  if (SameIgnoringAsciiCase(out.echo.type, u"TOT")) {
    out.kind = ReplayKind::kTimeLine;
    out.soc = reply.GetText(u"SOC", u"");
    const Value data(reply, u"DATA", plain, decoder);
    const std::vector<std::u16string_view> lines = ReplayLines(data.text());
    out.time_line.reserve(lines.size());
    KOA sample;
    for (const std::u16string_view line : lines) {
      if (ReadTimeLineLine(line, sample)) out.time_line.push_back(sample);
    }
    return out;
  }
  if (!SameIgnoringAsciiCase(out.echo.type, u"HOGA")) return out;

  out.kind = ReplayKind::kBlock;
  out.ix = reply.GetInt(u"IX", 0);
  {
    const Value data(reply, u"DATA", plain, decoder);
    const std::vector<std::u16string_view> lines = ReplayLines(data.text());
    out.data_lines = lines.size();
    out.snapshots.reserve(lines.size());
    // Read in place: the book text is not copied twice.
    for (const std::u16string_view line : lines) {
      if (!ReadSnapshotLine(line, out.snapshots.emplace_back())) out.snapshots.pop_back();
    }
  }
  const Value cdata(reply, u"CDATA", plain, decoder);
  const std::vector<std::u16string_view> lines = ReplayLines(cdata.text());
  out.trades.reserve(lines.size());
  CPKT trade;
  if (out.echo.stock) trade.set_code(*out.echo.stock);
  for (const std::u16string_view line : lines) {
    if (ReadTradeLine(line, trade)) out.trades.push_back(trade);
  }
  return out;
}

}  // namespace velloran
