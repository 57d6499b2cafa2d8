#include "net/quote.h"

#include "net/packet.h"
#include "net/text_util.h"

namespace velloran {
namespace {

using Type = CPKT::FieldType;
constexpr std::array<Type, CPKT::kFieldCount> kTypes = {
    Type::kInt,  Type::kInt,  Type::kInt,  Type::kReal, Type::kInt,  Type::kText, Type::kInt,
    Type::kText, Type::kInt,  Type::kText, Type::kInt,  Type::kText, Type::kLong, Type::kLong,
    Type::kLong, Type::kLong, Type::kLong, Type::kLong, Type::kLong, Type::kReal, Type::kLong,
    Type::kInt,  Type::kInt,  Type::kText, Type::kLong, Type::kText,
};

// Slot of each text position in the record's text array, -1 elsewhere.
constexpr std::array<int, CPKT::kFieldCount> kTextSlot = {
    -1, -1, -1, -1, -1, 0, -1, 1, -1, 2, -1, 3, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 4, -1, 5,
};

const std::u16string kNoText;

}  // namespace

CPKT::FieldType CPKT::TypeOf(int pos) { return kTypes[pos]; }

const std::u16string& CPKT::Text(int pos) const {
  const int slot = kTextSlot[pos];
  return slot < 0 ? kNoText : text_[slot];
}

void CPKT::SetText(int pos, std::u16string v) {
  const int slot = kTextSlot[pos];
  if (slot >= 0) text_[slot] = std::move(v);
}

bool CPKT::Parse(std::u16string_view text, char16_t sep) {
  // Read into a copy first: a text of fewer than 26 fields changes nothing.
  std::array<double, kFieldCount> numbers;
  std::array<std::u16string_view, kTextCount> texts;
  FieldCursor fields(text, sep);
  for (int pos = 0; pos < kFieldCount; ++pos) {
    std::int32_t whole = 0;
    std::u16string_view piece;
    bool more = false;
    switch (kTypes[pos]) {
      case Type::kInt:
      case Type::kLong:
        more = fields.NextInt(whole);
        numbers[pos] = whole;
        break;
      case Type::kReal:
        more = fields.Next(piece);
        numbers[pos] = ToReal(piece);
        break;
      case Type::kText:
        more = fields.Next(piece);
        texts[kTextSlot[pos]] = piece;
        break;
    }
    if (!more) {
      valid_ = false;
      return false;
    }
  }
  for (int pos = 0; pos < kFieldCount; ++pos) {
    if (kTypes[pos] != Type::kText) number_[pos] = numbers[pos];
  }
  for (int slot = 0; slot < kTextCount; ++slot) text_[slot].assign(texts[slot]);
  valid_ = true;
  return true;
}

bool CPKT::ParseOrFill(std::u16string_view text, const MasterPrice& master) {
  if (!text.empty()) return Parse(text);
  const std::optional<std::int32_t> price = master ? master(code_) : std::nullopt;
  if (!price) return Parse(text);
  number_.fill(0);
  for (auto& t : text_) t.clear();
  SetInt(static_cast<int>(QuoteField::kPrice), *price);
  SetInt(static_cast<int>(QuoteField::kBestAsk), *price);
  SetInt(static_cast<int>(QuoteField::kBestBid), *price);
  SetInt(static_cast<int>(QuoteField::kTime), 80000);
  SetInt(static_cast<int>(QuoteField::kSign), 3);
  valid_ = true;
  return true;
}

void CPKT::Update(const Packet& packet, const MasterPrice& master) {
  std::u16string_view value;
  if (packet.Find(u"STKCD", value)) code_.assign(value);
  if (packet.Find(u"DATA", value) || packet.Find(u"CPKT", value)) ParseOrFill(value, master);
  bid_total_ = packet.GetInt(u"BTOT", bid_total_);
  ask_total_ = packet.GetInt(u"STOT", ask_total_);
}

CPKT CPKT::FromPacket(const Packet& packet, const MasterPrice& master) {
  CPKT quote;
  quote.Update(packet, master);
  return quote;
}

std::u16string CPKT::ToText(char16_t sep) const {
  std::u16string out;
  out.reserve(160);
  for (int pos = 0; pos < kFieldCount; ++pos) {
    if (pos > 0) out += sep;
    switch (kTypes[pos]) {
      case Type::kInt:
      case Type::kLong:
        out += FormatInt(Int(pos));
        break;
      case Type::kReal:
        out += FormatReal2(number_[pos]);
        break;
      case Type::kText:
        out += text_[kTextSlot[pos]];
        break;
    }
  }
  return out;
}

}  // namespace velloran
