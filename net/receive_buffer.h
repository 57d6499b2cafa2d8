#pragma once
// CMyQueue, the session's receive buffer: received bytes accumulate here and
// whole packets are cut out at their NUL terminators (a NUL right after "T>",
// the end of "</PKT>"). The buffer is allocated once and never grows; a chunk
// that does not fit drops everything held first. No lock: the socket that
// owns it appends, cuts and clears on its own thread (checked in debug builds).

#include <memory>

#include "net/packet.h"
#include "platform/thread_owner.h"

namespace velloran {

class CMyQueue {
 public:
  static constexpr int kCapacity = 16 * 1024 * 1024;

  CMyQueue();
  CMyQueue(const CMyQueue&) = delete;
  CMyQueue& operator=(const CMyQueue&) = delete;

  void Append(const char* bytes, int n);
  // The first whole packet held, or none. The caller owns it.
  [[nodiscard]] std::unique_ptr<Packet> GetPacket();
  void Clear();
  [[nodiscard]] int length() const;

 private:
  // The held bytes are data_[head_, head_ + length_). Keeping a head instead
  // of copying the remainder down after every packet (it moves down once,
  // before the next append, and only while short), and remembering how far
  // the boundary search has looked, gives the same packets in linear time.
  std::unique_ptr<char[]> data_;
  int head_ = 0;
  int length_ = 0;
  int scanned_ = kFirstEnd;  // no boundary at held positions [kFirstEnd, scanned_)
  ThreadOwner owner_;

  static constexpr int kFirstEnd = 5;  // the earliest position a boundary NUL may hold
  // Held bytes up to this many are moved to the front before an append.
  static constexpr int kCompactBytes = 4096;
};

}  // namespace velloran
