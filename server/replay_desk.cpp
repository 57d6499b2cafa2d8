#include "server/replay_desk.h"

#include "server/wire_text.h"

namespace velloran::server {

const DayTape* ReplayDesk::Tape(int index, int date, int now_seconds) {
  if (index < 0 || date <= 0 || date > market_.date()) return nullptr;
  const int until = date == market_.date() ? now_seconds : Market::kClose;
  for (auto it = tapes_.begin(); it != tapes_.end(); ++it) {
    if ((*it)->index() != index || (*it)->date() != date) continue;
    tapes_.splice(tapes_.begin(), tapes_, it);
    tapes_.front()->RunTo(market_, until);
    return tapes_.front().get();
  }
  auto tape = std::make_unique<DayTape>();
  if (!tape->Start(market_, index, date)) return nullptr;
  tape->RunTo(market_, until);
  tapes_.push_front(std::move(tape));
  if (tapes_.size() > kKeptTapes) tapes_.pop_back();
  return tapes_.front().get();
}

Packet ReplayDesk::Answer(const ReplayRequest& request, int now_seconds,
                          std::u16string_view memo, bool bad_lines, std::optional<Packet>* info) {
  const std::lock_guard lock(mutex_);
  const int index = market_.Find(Utf8(request.code));
  const DayTape* tape = Tape(index, request.date, now_seconds);
  if (info && tape && request.tot() && request.date < market_.date()) *info = DayInfo(*tape);
  return ReplayReply(request, tape, memo, bad_lines, block_lines_);
}

}  // namespace velloran::server
