#include "grid/grid_cells.h"

#include <cmath>
#include <utility>

#include "net/text_util.h"

namespace velloran {

namespace {

constexpr std::pair<std::u16string_view, GridCell> kTitles[] = {
    {u"종목코드", GridCell::kCode},     {u"종목명", GridCell::kName},
    {u"메모", GridCell::kMemo},         {u"포착가", GridCell::kCapturePrice},
    {u"알람가1", GridCell::kAlarm1},    {u"알람가2", GridCell::kAlarm2},
    {u"현재가", GridCell::kPrice},      {u"거래량", GridCell::kVolume},
    {u"등락률", GridCell::kRate},       {u"대비", GridCell::kChange},
    {u"매도잔량", GridCell::kAskTotal}, {u"매수잔량", GridCell::kBidTotal},
    {u"매수강도", GridCell::kStrength}, {u"재료일자", GridCell::kEndDate},
    {u"임박", GridCell::kImminent},     {u"역상", GridCell::kReverse},
};

Color SignColor(const CPKT& quote) {
  switch (quote.Sign()) {
    case 1:
    case 2:
      return grid_colors::kRise;
    case 4:
    case 5:
      return grid_colors::kFall;
    default:
      return grid_colors::kText;
  }
}

constexpr int kStrengthBase = static_cast<int>(QuoteField::kStrengthDenominator);
constexpr int kStrengthPart = static_cast<int>(QuoteField::kStrengthNumerator);

// The stored values are finite only when their divisor was not 0.
bool Imminent(const CQZData& record) {
  return record.IsImminent() && std::isfinite(record.imminence());
}
bool Reverse(const CQZData& record) {
  return record.IsReverse() && std::isfinite(record.reverse_ratio());
}

SortKey Number(double v) {
  return {SortKey::Kind::kNumber, v, {}};
}
SortKey Text(std::u16string_view v) {
  return {SortKey::Kind::kText, 0, v};
}

}  // namespace

GridCell CellOfTitle(std::u16string_view title) {
  for (const auto& [text, cell] : kTitles)
    if (text == title) return cell;
  return GridCell::kNone;
}

std::u16string DottedDate(std::u16string_view ymd) {
  if (ymd.size() <= 4) return std::u16string(ymd);
  std::u16string out(ymd.substr(0, 4));
  out += u'.';
  out += ymd.substr(4, 2);
  if (ymd.size() > 6) {
    out += u'.';
    out += ymd.substr(6);
  }
  return out;
}

void ReadCell(GridCell cell, const CQZData& record, CellContent& out) {
  out.text.clear();
  out.align = ColumnAlign::kRight;
  out.color = grid_colors::kText;
  out.badge = -1;
  const CPKT* q = record.quote();
  switch (cell) {
    case GridCell::kNone:
      return;
    case GridCell::kCode:
      out.align = ColumnAlign::kLeft;
      out.text = record.code();
      return;
    case GridCell::kName:
      out.align = ColumnAlign::kLeft;
      out.text = record.name();
      return;
    case GridCell::kMemo:
      out.align = ColumnAlign::kLeft;
      out.text = record.memo();
      return;
    case GridCell::kCapturePrice:
    case GridCell::kAlarm1:
      out.text = FormatNumber(record.first_price());
      return;
    case GridCell::kAlarm2:
      out.text = FormatNumber(record.second_price());
      return;
    case GridCell::kEndDate:
      out.align = ColumnAlign::kCenter;
      out.text = DottedDate(record.end_date());
      return;
    case GridCell::kImminent:
      if (Imminent(record)) out.badge = kImminentBadge;
      return;
    case GridCell::kReverse:
      if (Reverse(record)) out.badge = kReverseBadge;
      return;
    default:
      break;
  }
  if (q == nullptr) return;
  switch (cell) {
    case GridCell::kPrice:
      out.text = FormatNumber(q->Price());
      out.color = SignColor(*q);
      return;
    case GridCell::kVolume:
      out.text = FormatNumber(q->Volume());
      return;
    case GridCell::kRate:
      out.text = FormatReal2(q->Rate());
      out.color = SignColor(*q);
      return;
    case GridCell::kChange:
      out.text = FormatNumber(q->Change());
      out.color = SignColor(*q);
      return;
    case GridCell::kAskTotal:
      out.text = FormatNumber(q->ask_total());
      return;
    case GridCell::kBidTotal:
      out.text = FormatNumber(q->bid_total());
      return;
    case GridCell::kStrength: {
      const double base = q->Real(kStrengthBase);
      out.text = base == 0 ? u"-" : FormatReal2(std::fabs(q->Real(kStrengthPart) * 100.0 / base));
      return;
    }
    default:
      return;
  }
}

SortKey SortKeyOf(GridCell cell, const CQZData& record) {
  const CPKT* q = record.quote();
  switch (cell) {
    case GridCell::kCode:
      return Text(record.code());
    case GridCell::kName:
      return Text(record.name());
    case GridCell::kMemo:
      return Text(record.memo());
    case GridCell::kEndDate:
      return Text(record.end_date());
    case GridCell::kCapturePrice:
    case GridCell::kAlarm1:
      return Number(record.first_price());
    case GridCell::kAlarm2:
      return Number(record.second_price());
    case GridCell::kImminent:
      (void)record.IsImminent();
      if (q == nullptr || !q->valid() || !std::isfinite(record.imminence())) return {};
      return Number(record.imminence());
    case GridCell::kReverse:
      (void)record.IsReverse();
      if (q == nullptr || !std::isfinite(record.reverse_ratio())) return {};
      return Number(record.reverse_ratio());
    case GridCell::kNone:
      return {};
    default:
      break;
  }
  if (q == nullptr) return {};
  switch (cell) {
    case GridCell::kPrice:
      return Number(q->Price());
    case GridCell::kRate:
      return Number(q->Rate());
    case GridCell::kChange:
      return Number(q->Rate() < 0 ? -q->Change() : q->Change());
    case GridCell::kVolume:
      return Number(q->Volume());
    case GridCell::kBidTotal:
      return Number(q->bid_total());
    case GridCell::kAskTotal:
      return Number(q->ask_total());
    case GridCell::kStrength: {
      // The shown value, not a whole-number quotient that ties most rows.
      const double base = q->Real(kStrengthBase);
      if (base < 1) return {};
      return Number(q->Real(kStrengthPart) / base);
    }
    default:
      return {};
  }
}

int CompareKeys(const SortKey& a, const SortKey& b, int direction) {
  const bool a_missing = a.kind == SortKey::Kind::kMissing;
  const bool b_missing = b.kind == SortKey::Kind::kMissing;
  if (a_missing || b_missing) return a_missing == b_missing ? 0 : (a_missing ? 1 : -1);
  int order = 0;
  if (a.kind == SortKey::Kind::kText) {
    order = a.text < b.text ? -1 : b.text < a.text ? 1 : 0;
  } else {
    order = a.number < b.number ? -1 : b.number < a.number ? 1 : 0;
  }
  return direction < 0 ? -order : order;
}

}  // namespace velloran
