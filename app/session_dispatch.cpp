// CSessionData::Dispatch and its handlers, one per message code. The store
// changes under its writer; pauses and posts happen outside it.
#include <chrono>

#include "app/session_data.h"
#include "net/message_codes.h"
#include "net/packet_message.h"
#include "net/stock_code.h"
#include "net/text_util.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

constexpr std::chrono::milliseconds kResultPause{100};

std::u16string_view Field(const std::vector<std::u16string_view>& fields, std::size_t i) {
  return i < fields.size() ? fields[i] : std::u16string_view();
}

// The element's value without a copy; empty when absent.
std::u16string_view View(const Packet& p, std::u16string_view tag) {
  std::u16string_view value;
  return p.Find(tag, value) ? value : std::u16string_view();
}

// A saved-screen entry: Packet(3009) with SEQ, SRT, GRP, SHCODES.
std::unique_ptr<Packet> SavedScreen(std::u16string_view seq, std::u16string_view srt,
                                    std::u16string_view grp, std::u16string_view shcodes) {
  auto entry = std::make_unique<Packet>(code::kSavedScreen);
  entry->AddText(u"SEQ", seq);
  entry->AddInt(u"SRT", ToInt(srt));
  entry->AddText(u"GRP", grp);
  entry->AddText(u"SHCODES", shcodes);
  return entry;
}

}  // namespace

void CSessionData::Dispatch(Packet& packet) {
  dispatch_thread_.Check();
  if (windows_version_.load() != dispatch_windows_version_) {
    std::lock_guard<std::mutex> windows(windows_lock_);
    dispatch_windows_ = windows_;
    dispatch_windows_version_ = windows_version_.load();
  }
  const int gbn = packet.GetInt(u"GBN", 0);
  switch (gbn) {
    case code::kHello:
      OnLoginAnswer(packet);
      break;
    case code::kScreenRequest:
      OnBatchEnd(packet);
      break;
    case code::kStockMaster:
      OnStockMaster(packet);
      break;
    case code::kTradingDates:
      OnTradingDates(packet);
      break;
    case code::kServerEvent:
      OnServerEvent(packet);
      break;
    case code::kRealtime:
      OnRealtime(packet);
      break;
    case code::kChart:
      break;  // SHCODE and CLS are read by nobody
    case code::kSavedScreenList:
      OnSavedScreenList(packet);
      break;
    case code::kStockDetail:
      OnStockDetail(packet);
      break;
    default:
      if (code::IsScreenCode(gbn)) {
        OnScreenHit(gbn, packet);
      } else {
        packet.AddText(u"ERR", u"이건머야");
      }
      break;
  }
}

void CSessionData::SetMarketFlag(std::u16string_view line) {
  const auto fields = SplitFields(line);
  if (!fields.empty()) store_.SetMarketFlag(ToInt(Field(fields, 0)), ToInt(Field(fields, 1)));
}

void CSessionData::OnLoginAnswer(const Packet& p) {
  const Windows& w = dispatch_windows_;
  if (View(p, u"RTN") != u"OK") {
    PostMessage(w.main_frame, msg::kNotify, 1, 0);
    return;
  }
  store_.SetServerTime(View(p, u"DT"));
  for (const auto line : SplitLines(View(p, u"JIF"))) SetMarketFlag(line);
  const std::u16string_view memo = View(p, u"MEMO");
  const std::u16string decoded_memo = memo.empty() ? std::u16string() : Decode(std::u16string(memo));
  {
    auto data = store_.Write();
    const std::u16string_view mys = View(p, u"MYS");
    if (mys.size() > 5) data->saved_screens.clear();
    for (const auto line : SplitLines(mys)) {
      const auto f = SplitFields(line);
      data->saved_screens.push_back(
          SavedScreen(Field(f, 0), Field(f, 1), Field(f, 2), Field(f, 3)));
    }

    for (const auto line : SplitLines(View(p, u"ALM"))) {
      CAlmPrcData parsed;
      parsed.Parse(line);
      auto& stored = data->alarms[parsed.code()];
      if (stored) {
        stored->Parse(line);
      } else {
        stored = std::make_unique<CAlmPrcData>(parsed);
      }
    }

    // Each login answer carries the whole closing list and every memo: a
    // reconnection replaces what the last one brought instead of adding to it.
    data->closing_list.clear();
    data->memos.clear();
    for (const auto line : SplitLines(View(p, u"JONGA"))) {
      const auto f = SplitFields(line);
      auto entry = std::make_unique<Packet>(code::kClosingWatch);
      entry->AddText(u"SHCODE", Field(f, 0));
      entry->AddInt(u"SRT", ToInt(Field(f, 1)));
      entry->AddText(u"DT", Field(f, 2));
      data->closing_list.push_back(std::move(entry));
    }
    for (const auto piece : Split(decoded_memo, u"$@$")) {
      const auto code = piece.substr(0, 6);
      data->memos[std::u16string(code)] = std::u16string(piece.substr(code.size()));
    }
  }

  const int first = store_.first_login.load();
  PostMessage(w.top_bar, msg::kNotify, 1, first);
  PostMessage(w.qz_view, msg::kNotify, 1, first);
  store_.first_login = 0;
  store_.logged_in = 1;
}

void CSessionData::OnBatchEnd(const Packet& p) {
  const int end = p.GetInt(u"END", 0);
  {
    auto data = store_.Write();
    data->current_date_text = p.GetText(u"DT", u"");
    // The batch's own time; the server clock when it carries none.
    const std::u16string& time =
        data->current_date_text.size() >= 14 ? data->current_date_text : data->server_time_text;
    journal_.OnBatchEnd(store_.current_screen.load(), store_.market_filter.load(), time, *data);
  }
  PostMessage(dispatch_windows_.qz_view, msg::kNotify, code::kScreenRequest, end);
}

void CSessionData::OnStockMaster(const Packet& p) {
  const std::u16string decoded = Decode(p.GetText(u"DATA", u""));
  std::vector<std::unique_ptr<Packet>> entries;
  for (const auto line : SplitLines(decoded)) {
    auto entry = std::make_unique<Packet>(std::u16string(line));  // "%" replaced
    // A line that is no stock would only clutter the search list.
    if (!View(*entry, u"SHCODE").empty()) entries.push_back(std::move(entry));
  }
  {
    auto data = store_.Write();
    // New stocks are sorted into the names as they stand before this list;
    // a stock already known takes its new text in place, without moving.
    std::vector<const Packet*> added;
    std::vector<std::pair<Packet*, std::unique_ptr<Packet>>> renamed;
    for (auto& entry : entries) {
      auto& stored = data->master[std::u16string(View(*entry, u"SHCODE"))];
      if (stored) {
        renamed.emplace_back(stored.get(), std::move(entry));
      } else {
        stored = std::move(entry);
        added.push_back(stored.get());
      }
    }
    store_.AddToNameList(*data, std::move(added));
    for (auto& [stored, entry] : renamed) stored->SetWholeText(entry->Text());
    ++data->master_generation;
  }
  // The top bar may wait for a stock the login answer named before the master came.
  PostMessage(dispatch_windows_.top_bar, msg::kNotify, code::kStockMaster, 0);
}

void CSessionData::OnTradingDates(const Packet& p) {
  std::vector<std::u16string> dates;
  for (const auto line : SplitLines(View(p, u"DATA"))) dates.emplace_back(line.substr(0, 8));
  if (!dates.empty()) store_.SetTradingDate(ToInt(dates.front()));
  store_.Write()->trading_dates = std::move(dates);
}

void CSessionData::OnServerEvent(const Packet& p) {
  if (View(p, u"EVT") != u"MINUTE") return;
  store_.Write()->current_date_text = p.GetText(u"DT", u"");
  store_.SetServerTime(View(p, u"SVRTIME"));
}

void CSessionData::OnRealtime(const Packet& p) {
  const std::u16string_view res = View(p, u"RES");
  if (res == u"JIF") {
    const auto lines = SplitLines(View(p, u"DATA"));
    if (!lines.empty()) SetMarketFlag(lines.front());
  } else if (res == u"JISU") {
    auto data = store_.Write();
    auto& stored = data->index_packets[p.GetText(u"UPCODE", u"")];
    if (stored) {
      stored->SetWholeText(p.Text());
    } else {
      stored = std::make_unique<Packet>(p.Text());
    }
  } else if (res == u"CPRC") {
    OnQuote(p);
  }
}

void CSessionData::OnQuote(const Packet& p) {
  const Windows& w = dispatch_windows_;
  const std::u16string_view code = View(p, u"STKCD");
  std::unique_ptr<Packet> hit;
  {
    auto data = store_.Write();
    if (CQZData* record = data->FindRecord(code)) {
      record->UpdatePrice(p, store_);
      if (store_.display_mode.load() == 0) {
        const WindowHandle tile = data->TileWindow(code);
        if (tile.IsVisible()) PostMessage(tile, msg::kNotify, code::kRealtime, 0);
      } else if (store_.display_mode.load() == 1) {
        PostMessage(w.qz_view, msg::kNotify, code::kRealtime, PackStockCode(code));
      }
    }
    if (data->alarms.empty()) return;
    const auto alarm = data->alarms.find(std::u16string(code));
    if (alarm == data->alarms.end()) return;
    hit = alarm->second->Check(p, store_.MasterPrices());
    if (hit) {
      const Packet* master = data->FindMaster(code);
      journal_.OnAlarm(data->server_time_text, code::kAlarm, store_.market_filter.load(), code,
                       master ? master->GetText(u"HNAME", u"") : std::u16string(),
                       hit->GetInt(u"PRC", 0));
    }
  }
  // The main frame shows it to the trader; without a frame it is freed here.
  if (hit) PostPacket(w.main_frame, msg::kAlarmReached, std::move(hit), true, 0);
}

void CSessionData::OnSavedScreenList(const Packet& p) {
  if (p.GetInt(u"IDX", 0) != code::kSavedScreen) return;
  {
    auto data = store_.Write();
    data->saved_screens.clear();
    for (const auto line : SplitLines(View(p, u"DATA"))) {
      const auto f = SplitFields(line);
      auto entry = std::make_unique<Packet>(code::kSavedScreen);
      entry->AddInt(u"SRT", ToInt(Field(f, 0)));
      entry->AddText(u"SEQ", Field(f, 1));
      entry->AddText(u"GRP", Field(f, 2));
      entry->AddText(u"SHCODES", Field(f, 3));
      data->saved_screens.push_back(std::move(entry));
    }
  }
  PostMessage(dispatch_windows_.qz_view, msg::kNotify, code::kSavedScreenList, code::kSavedScreen);
}

void CSessionData::OnStockDetail(const Packet& p) {
  auto data = store_.Write();
  for (const auto line : SplitLines(View(p, u"DATA"))) {
    const auto f = SplitFields(line);
    const auto value = Field(f, 1);
    if (value.empty()) continue;
    CQZData* record = data->FindRecord(Field(f, 0));
    if (record == nullptr) continue;
    record->SetReverseDate(std::u16string(value));
    const WindowHandle tile = data->TileWindow(record->code());
    if (!tile.IsNull()) PostMessage(tile, msg::kNotify, code::kStockDetail, 0);
  }
}

void CSessionData::OnScreenHit(int gbn, const Packet& p) {
  const Windows w = dispatch_windows_;
  const std::u16string code = p.GetText(u"SHCODE", u"");

  // 1. The record of the shown screen. The screen and the filter are read
  // under the store's lock, which a screen switch holds while it drops the
  // records: a hit of the screen just left cannot land in the new one.
  // 2. An alarm result updates the alarm (and the shown record's prices);
  // its post follows those of 3.
  bool alarm_known = false, alarm_record_shown = false;
  int screen = 0;
  {
    auto data = store_.Write();
    screen = store_.current_screen.load();
    const auto alarm_it = data->alarms.find(code);
    CAlmPrcData* alarm = alarm_it == data->alarms.end() ? nullptr : alarm_it->second.get();
    if (gbn == screen && p.Contains(u"CPKT") && !code.empty() && InMarketFilter(p)) {
      auto& record = data->records[code];
      if (record) {
        record->Update(p, store_);
      } else {
        record = std::make_unique<CQZData>(p, store_);
      }
      if (gbn == code::kAlarm && alarm) {
        record->SetAlarmPrices(alarm->first_price(), alarm->second_price());
      }
      record->SetMemo(data->Memo(code));
      journal_.NoteHit(data->screen_switches);
    }
    if (gbn == code::kAlarm && p.GetInt(u"SEQ", 0) > 0 && alarm) {
      alarm_known = true;
      alarm->Update(p);
      if (screen == code::kAlarm) {
        if (CQZData* record = data->FindRecord(code)) {
          record->SetAlarmPrices(alarm->first_price(), alarm->second_price());
          alarm_record_shown = true;
        }
      }
    }
  }

  // 3. A saved screen's result replaces every entry it belongs to, each
  // followed by a pause and a post. The pauses hold back only these posts,
  // never the packets behind this one.
  if (gbn == code::kSavedScreen && p.Contains(u"SHCODES")) {
    const int seq = p.GetInt(u"SEQ", 0);
    std::size_t matched = 0;
    {
      auto data = store_.Write();
      for (const auto& entry : data->saved_screens) {
        const int entry_seq = entry->GetInt(u"SEQ", 0);
        if (entry_seq != 0 && entry_seq != seq) continue;
        entry->SetWholeText(p.Text());
        ++matched;
      }
    }
    for (std::size_t i = 0; i < matched; ++i) {
      pipeline_.PostAfter(kResultPause, [this, w] {
        if (store_.current_screen.load() == code::kSavedScreen) {
          PostMessage(w.qz_view, msg::kScreenChanged, 0, 0);
          PostMessage(w.top_bar, msg::kScreenChanged, code::kSavedScreen, 0);
        } else {
          PostMessage(w.top_bar, msg::kNotify, code::kScreenRequest, code::kSavedScreen);
        }
      });
    }
  }

  if (alarm_known) {
    if (screen == code::kAlarm) {
      if (alarm_record_shown) {
        pipeline_.PostAfter(kResultPause,
                            [w] { PostMessage(w.qz_view, msg::kScreenChanged, 0, 0); });
      }
    } else {
      pipeline_.PostAfter(kResultPause, [w] {
        PostMessage(w.top_bar, msg::kNotify, code::kScreenRequest, code::kAlarm);
      });
    }
  }
}

bool CSessionData::InMarketFilter(const Packet& hit) const {
  // A request of another market may still have hits on the way: a hit names
  // its market, and one that the filter in force leaves out is no hit of it.
  const int filter = store_.market_filter.load();
  const int market = hit.GetInt(u"MARKET", 0);
  return filter == 0 || market == 0 || market == filter;
}

}  // namespace velloran
