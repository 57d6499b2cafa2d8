#include "stock/stock_records.h"

#include <cmath>

#include "net/message_codes.h"
#include "net/text_util.h"

namespace velloran {
namespace {

std::u16string Text(const Packet& p, std::u16string_view tag) {
  return p.GetText(tag, u"");
}

std::u16string_view Field(const std::vector<std::u16string_view>& fields, std::size_t i) {
  return i < fields.size() ? fields[i] : std::u16string_view();
}

}  // namespace

CPKT::MasterPrice StockContext::MasterPrices() const {
  return [this](std::u16string_view code) -> std::optional<std::int32_t> {
    const Packet* master = FindMaster(code);
    if (master == nullptr) return std::nullopt;
    return master->GetInt(u"KPRC", 0);
  };
}

CQZData::CQZData(const Packet& hit, const StockContext& context) {
  code_ = Text(hit, u"SHCODE");
  name_ = Text(hit, u"HNAME");
  if (!name_.empty()) {
    market_ = hit.GetInt(u"MARKET", 0);
  } else if (const Packet* master = context.FindMaster(code_)) {
    name_ = Text(*master, u"HNAME");
    market_ = master->GetInt(u"MARKET", 0);
  }
  start_date_ = Text(hit, u"ST_YMD");
  end_date_ = Text(hit, u"ED_YMD");
  bars_ = std::make_unique<CChartData>(code_);
  Update(hit, context);
  memo_.clear();
  source_ = Text(hit, u"SOC");
  valid_ = 1;
}

CQZData::~CQZData() = default;

void CQZData::Update(const Packet& hit, const StockContext& context) {
  if (!hit.Contains(u"CPKT")) return;
  capture_time_ = Text(hit, u"DT");
  first_price_ = hit.GetInt(u"PRC", 0);
  reverse_date_ = Text(hit, u"KOA_YMD");
  registration_date_ = Text(hit, u"REGDT");
  start_date_ = Text(hit, u"ST_YMD");
  end_date_ = Text(hit, u"ED_YMD");
  source_ = Text(hit, u"SOC");
  std::u16string_view value;
  bars_->ParseDayBars(hit.Find(u"DAY50", value) ? value : std::u16string_view());
  if (!quote_) quote_ = std::make_unique<CPKT>();

  bool merge = true;
  if (hit.Find(u"CPKT", value) && !value.empty()) {
    quote_->set_code(code_);
    quote_->Parse(value);
    quote_->set_totals(hit.GetInt(u"BTOT", 0), hit.GetInt(u"STOT", 0));
  } else {
    quote_->set_code(code_);
    if (const Packet* master = context.FindMaster(code_)) {
      const std::int32_t base = master->GetInt(u"KPRC", 0);
      for (const QuoteField f :
           {QuoteField::kOpen, QuoteField::kHigh, QuoteField::kLow, QuoteField::kPrice}) {
        quote_->SetInt(static_cast<int>(f), base);
      }
      quote_->SetInt(static_cast<int>(QuoteField::kSign), 3);
      quote_->SetInt(static_cast<int>(QuoteField::kChange), 0);
      quote_->SetInt(static_cast<int>(QuoteField::kTime), 80000);
      quote_->SetInt(static_cast<int>(QuoteField::kVolume), 0);
      quote_->set_valid(true);
    } else {
      merge = false;
    }
  }
  // A quote that did not parse would write a bar of zeros into the chart.
  if (merge && quote_->valid()) {
    bars_->MergeDayQuote(*quote_, context.TradingDate(), context.ServerHour());
  }
  // The scale of the bars just taken, so that no reader has to set it.
  if (bars_->Count() > 0) bars_->SetView(bars_->End(), bars_->Start());
  price_changed_ = 0;
}

void CQZData::UpdatePrice(const Packet& packet, const StockContext& context) {
  if (!quote_) {
    quote_ = std::make_unique<CPKT>(CPKT::FromPacket(packet, context.MasterPrices()));
  } else {
    quote_->Update(packet, context.MasterPrices());
  }
  TakePrice(context);
}

void CQZData::UpdatePrice(const CPKT& quote, const StockContext& context) {
  if (!quote_) {
    quote_ = std::make_unique<CPKT>(quote);
  } else {
    *quote_ = quote;
  }
  TakePrice(context);
}

void CQZData::TakePrice(const StockContext& context) {
  if (!quote_->valid()) return;
  bars_->MergeDayQuote(*quote_, context.TradingDate(), context.ServerHour());
  price_changed_ = last_price_ != quote_->Price() ? 1 : 0;
  last_price_ = quote_->Price();
}

bool CQZData::IsImminent() const {
  if (!quote_ || !quote_->valid()) return false;
  imminence_ = std::fabs((static_cast<double>(quote_->Price()) - first_price_) * 100.0 /
                         static_cast<double>(first_price_));
  return imminence_ <= 1.0;
}

bool CQZData::IsReverse() const {
  if (!quote_) return false;
  reverse_ratio_ =
      static_cast<double>(quote_->ask_total()) / static_cast<double>(quote_->bid_total());
  // Without a bid total (none reported) there is no ratio to judge by.
  if (quote_->bid_total() <= 0) return false;
  return 2 * static_cast<std::int64_t>(quote_->bid_total()) < quote_->ask_total();
}

CAlmPrcData::CAlmPrcData(const CAlmPrcData& other)
    : sequence_(other.sequence_),
      code_(other.code_),
      first_time_(other.first_time_),
      first_price_(other.first_price_),
      second_time_(other.second_time_),
      second_price_(other.second_price_),
      first_hit_(other.first_hit_),
      second_hit_(other.second_hit_),
      quote_(other.quote_ ? std::make_unique<CPKT>(*other.quote_) : nullptr) {}

void CAlmPrcData::Parse(std::u16string_view line) {
  const auto fields = SplitFields(line);
  sequence_ = ToInt(Field(fields, 0));
  code_.assign(Field(fields, 1));
  first_time_.assign(Field(fields, 2));
  first_price_ = ToInt(Field(fields, 3));
  second_time_.assign(Field(fields, 4));
  second_price_ = ToInt(Field(fields, 5));
}

void CAlmPrcData::Update(const Packet& packet) {
  std::u16string_view code;
  if (!packet.Find(u"SHCODE", code) || code != code_) return;
  sequence_ = packet.GetInt(u"SEQ", 0);
  first_time_ = packet.GetText(u"DT", first_time_);
  first_price_ = packet.GetInt(u"PRC", first_price_);
  second_time_ = packet.GetText(u"DT1", second_time_);
  second_price_ = packet.GetInt(u"PRC1", second_price_);
}

std::unique_ptr<Packet> CAlmPrcData::Check(const Packet& packet, const CPKT::MasterPrice& master) {
  if (first_hit_ == 1 && second_hit_ == 1) return nullptr;
  if (!quote_) {
    quote_ = std::make_unique<CPKT>(CPKT::FromPacket(packet, master));
  } else {
    quote_->Update(packet, master);
  }
  std::int32_t hit_price = 0;
  if (first_hit_ == 0 && quote_->Price() == first_price_) {
    first_hit_ = 1;
    hit_price = first_price_;
  } else if (second_hit_ == 0 && quote_->Price() == second_price_) {
    second_hit_ = 1;
    hit_price = second_price_;
  } else {
    return nullptr;
  }
  auto alarm = std::make_unique<Packet>(0);
  alarm->AddInt(u"IDX", code::kAlarm);
  alarm->AddText(u"SHCODE", code_);
  alarm->AddInt(u"PRC", hit_price);
  return alarm;
}

}  // namespace velloran
