#pragma once
// What the client keeps about one stock between packets: CQZData, the
// screening record of a stock the current screen caught, and CAlmPrcData, a
// user's two alarm prices. The dispatcher builds and updates both; the
// user-interface thread reads them under the store's lock.

#include <memory>
#include <string>
#include <string_view>

#include "chart/bar_store.h"
#include "net/packet.h"
#include "net/quote.h"

namespace velloran {

// What a record reads from the session store while it is updated.
class StockContext {
 public:
  virtual ~StockContext() = default;
  // The stock master packet of a code, or null.
  [[nodiscard]] virtual const Packet* FindMaster(std::u16string_view code) const = 0;
  [[nodiscard]] virtual std::int32_t TradingDate() const = 0;  // YYYYMMDD
  [[nodiscard]] virtual int ServerHour() const = 0;            // hour of the server time
  // KPRC of the master packet, for the quote's own fill rule.
  [[nodiscard]] CPKT::MasterPrice MasterPrices() const;
};

class CQZData {
 public:
  CQZData(const Packet& hit, const StockContext& context);
  ~CQZData();
  CQZData(const CQZData&) = delete;
  CQZData& operator=(const CQZData&) = delete;

  // A newer hit of the same stock; nothing changes when its text lacks "CPKT".
  void Update(const Packet& hit, const StockContext& context);
  // A 2002 "CPRC" quote packet.
  void UpdatePrice(const Packet& quote, const StockContext& context);
  // A quote parsed already (with its code and totals): it becomes the
  // record's, and the bars take it as they take a packet's.
  void UpdatePrice(const CPKT& quote, const StockContext& context);
  void SetReverseDate(std::u16string date) { reverse_date_ = std::move(date); }

  // 임박: within 1 % of the first price; stores the distance in imminence().
  // A first price of 0 gives a non-finite distance and false. Readers call
  // it under the store's lock, which also guards what it stores.
  [[nodiscard]] bool IsImminent() const;
  // 역상: the ask total exceeds twice the bid total; stores their ratio. A
  // bid total of 0 (none reported) gives a non-finite ratio and false.
  [[nodiscard]] bool IsReverse() const;

  [[nodiscard]] int valid() const { return valid_; }
  [[nodiscard]] const std::u16string& code() const { return code_; }
  [[nodiscard]] const std::u16string& name() const { return name_; }
  [[nodiscard]] int market() const { return market_; }
  [[nodiscard]] const std::u16string& capture_time() const { return capture_time_; }
  [[nodiscard]] const std::u16string& registration_date() const { return registration_date_; }
  [[nodiscard]] const std::u16string& start_date() const { return start_date_; }
  [[nodiscard]] const std::u16string& end_date() const { return end_date_; }
  [[nodiscard]] const std::u16string& reverse_date() const { return reverse_date_; }
  [[nodiscard]] std::int32_t first_price() const { return first_price_; }
  [[nodiscard]] std::int32_t second_price() const { return second_price_; }
  void SetAlarmPrices(std::int32_t first, std::int32_t second) {
    first_price_ = first;
    second_price_ = second;
  }
  // Null until the first quote.
  [[nodiscard]] const CPKT* quote() const { return quote_.get(); }
  [[nodiscard]] int price_changed() const { return price_changed_; }
  [[nodiscard]] std::int32_t last_price() const { return last_price_; }
  // Scaled whenever the record takes day bars: readers only read.
  [[nodiscard]] const CChartData& bars() const { return *bars_; }
  [[nodiscard]] double imminence() const { return imminence_; }
  [[nodiscard]] double reverse_ratio() const { return reverse_ratio_; }
  [[nodiscard]] std::uint8_t marker() const { return marker_; }
  [[nodiscard]] const std::u16string& memo() const { return memo_; }
  void SetMemo(std::u16string memo) { memo_ = std::move(memo); }
  [[nodiscard]] const std::u16string& source() const { return source_; }

 private:
  // The quote just taken, into the day's bars and the price change.
  void TakePrice(const StockContext& context);

  int valid_ = 0;
  std::u16string code_;
  std::u16string name_;
  int market_ = 0;
  std::u16string capture_time_;
  std::u16string registration_date_;
  std::u16string start_date_;
  std::u16string end_date_;
  std::u16string reverse_date_;
  std::int32_t first_price_ = 0;
  std::int32_t second_price_ = 0;
  std::unique_ptr<CPKT> quote_;
  int price_changed_ = 0;
  std::int32_t last_price_ = 0;
  std::unique_ptr<CChartData> bars_;
  mutable double imminence_ = 0.0;
  mutable double reverse_ratio_ = 0.0;
  std::uint8_t marker_ = 0;
  std::u16string memo_;
  std::u16string source_;
};

class CAlmPrcData {
 public:
  CAlmPrcData() = default;
  CAlmPrcData(const CAlmPrcData& other);
  CAlmPrcData& operator=(const CAlmPrcData&) = delete;

  // One "ALM" line: SEQ|SHCODE|DT|PRC|DT1|PRC1. Hit flags and quote stay.
  void Parse(std::u16string_view line);
  // A 3010 packet of the same stock; hit flags stay.
  void Update(const Packet& packet);
  // Compares a quote packet with the alarm prices (exact equality); each
  // price hits once. A hit gives a new Packet(0) with IDX 3010, SHCODE, PRC.
  [[nodiscard]] std::unique_ptr<Packet> Check(const Packet& quote, const CPKT::MasterPrice& master);

  [[nodiscard]] int sequence() const { return sequence_; }
  [[nodiscard]] const std::u16string& code() const { return code_; }
  [[nodiscard]] const std::u16string& first_time() const { return first_time_; }
  [[nodiscard]] std::int32_t first_price() const { return first_price_; }
  [[nodiscard]] const std::u16string& second_time() const { return second_time_; }
  [[nodiscard]] std::int32_t second_price() const { return second_price_; }
  [[nodiscard]] int first_hit() const { return first_hit_; }
  [[nodiscard]] int second_hit() const { return second_hit_; }
  [[nodiscard]] const CPKT* quote() const { return quote_.get(); }

 private:
  int sequence_ = 0;
  std::u16string code_;
  std::u16string first_time_;
  std::int32_t first_price_ = 0;
  std::u16string second_time_;
  std::int32_t second_price_ = 0;
  int first_hit_ = 0;
  int second_hit_ = 0;
  std::unique_ptr<CPKT> quote_;
};

}  // namespace velloran
