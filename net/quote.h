#pragma once
// CPKT, the quote record of one stock: 26 positional fields separated by "|"
// (or "^" in replay lines), with the stock code and the order book's bid and
// ask totals beside it. A text of fewer than 26 fields leaves the record
// unchanged and invalid.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velloran {

class Packet;

// Positions the screens read; the others are kept and copied as they came.
enum class QuoteField : int {
  kTime = 0,    // hhmmss
  kSign = 1,    // 1-2 rising, 3 unchanged, 4-5 falling
  kChange = 2,  // against the previous close
  kRate = 3,    // change rate in percent
  kPrice = 4,
  kOpen = 6,
  kHigh = 8,
  kLow = 10,
  kTradeVolume = 12,  // volume of this trade
  kVolume = 13,       // the day's volume
  kStrengthDenominator = 15,
  kStrengthNumerator = 17,  // buying strength = 17 x 100 / 15
  kBestAsk = 21,
  kBestBid = 22,
};

// The mark of a sign code: "↑" (1, the upper limit), "▲" (2, up), "↓" (4, the
// lower limit), "▼" (5, down); none for 3 (unchanged) and anything else.
[[nodiscard]] constexpr std::u16string_view SignSymbol(int sign) {
  switch (sign) {
    case 1:
      return u"↑";
    case 2:
      return u"▲";
    case 4:
      return u"↓";
    case 5:
      return u"▼";
    default:
      return u"";
  }
}

class CPKT {
 public:
  static constexpr int kFieldCount = 26;
  enum class FieldType { kInt, kLong, kReal, kText };
  static FieldType TypeOf(int pos);

  // The stored price (KPRC) of a stock in the master, when the stock is there.
  using MasterPrice = std::function<std::optional<std::int32_t>(std::u16string_view code)>;

  // Parses 26 fields; fewer leave every field as it was and mark the record
  // invalid. Fields past the 26th are ignored. Returns the valid flag.
  bool Parse(std::u16string_view text, char16_t sep = u'|');

  // As Parse, except that an empty text fills the record from the stock
  // master: price, best ask and best bid become the stored price, the time
  // 08:00:00, the sign 3, everything else 0 or empty. Without a master entry
  // an empty text leaves the record as it was.
  bool ParseOrFill(std::u16string_view text, const MasterPrice& master);

  // Takes STKCD, the record from DATA (or CPKT when DATA is absent), and BTOT
  // and STOT, each kept as it was when the packet lacks it.
  void Update(const Packet& packet, const MasterPrice& master);
  static CPKT FromPacket(const Packet& packet, const MasterPrice& master);

  // The record as 26 fields joined by sep.
  [[nodiscard]] std::u16string ToText(char16_t sep = u'|') const;

  [[nodiscard]] bool valid() const { return valid_; }
  void set_valid(bool v) { valid_ = v; }
  [[nodiscard]] const std::u16string& code() const { return code_; }
  void set_code(std::u16string code) { code_ = std::move(code); }
  [[nodiscard]] std::int32_t bid_total() const { return bid_total_; }   // BTOT
  [[nodiscard]] std::int32_t ask_total() const { return ask_total_; }   // STOT
  void set_totals(std::int32_t bid, std::int32_t ask) {
    bid_total_ = bid;
    ask_total_ = ask;
  }

  // Positional access. Int reads int and long positions; Real reads any
  // numeric position; Text reads text positions (empty elsewhere).
  [[nodiscard]] std::int32_t Int(int pos) const { return static_cast<std::int32_t>(number_[pos]); }
  [[nodiscard]] double Real(int pos) const { return number_[pos]; }
  [[nodiscard]] const std::u16string& Text(int pos) const;
  void SetInt(int pos, std::int32_t v) { number_[pos] = v; }
  void SetReal(int pos, double v) { number_[pos] = v; }
  void SetText(int pos, std::u16string v);

  [[nodiscard]] std::int32_t Int(QuoteField f) const { return Int(static_cast<int>(f)); }
  [[nodiscard]] std::int32_t Time() const { return Int(QuoteField::kTime); }
  [[nodiscard]] std::int32_t Sign() const { return Int(QuoteField::kSign); }
  [[nodiscard]] std::int32_t Change() const { return Int(QuoteField::kChange); }
  [[nodiscard]] double Rate() const { return Real(static_cast<int>(QuoteField::kRate)); }
  [[nodiscard]] std::int32_t Price() const { return Int(QuoteField::kPrice); }
  [[nodiscard]] std::int32_t Open() const { return Int(QuoteField::kOpen); }
  [[nodiscard]] std::int32_t High() const { return Int(QuoteField::kHigh); }
  [[nodiscard]] std::int32_t Low() const { return Int(QuoteField::kLow); }
  [[nodiscard]] std::int32_t TradeVolume() const { return Int(QuoteField::kTradeVolume); }
  [[nodiscard]] std::int32_t Volume() const { return Int(QuoteField::kVolume); }
  [[nodiscard]] std::int32_t BestAsk() const { return Int(QuoteField::kBestAsk); }
  [[nodiscard]] std::int32_t BestBid() const { return Int(QuoteField::kBestBid); }

 private:
  static constexpr int kTextCount = 6;
  std::array<double, kFieldCount> number_{};
  std::array<std::u16string, kTextCount> text_{};
  std::u16string code_;
  std::int32_t bid_total_ = 0;
  std::int32_t ask_total_ = 0;
  bool valid_ = false;
};

}  // namespace velloran
