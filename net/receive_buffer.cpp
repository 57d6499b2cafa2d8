#include "net/receive_buffer.h"

#include <cstring>

namespace velloran {

CMyQueue::CMyQueue() : data_(new char[kCapacity]) {}

void CMyQueue::Append(const char* bytes, int n) {
  if (n <= 0) return;
  owner_.Check();
  if (n > kCapacity) {
    // Larger than the whole buffer: as if it had come in buffer-sized parts,
    // only its last part is kept.
    bytes += n - kCapacity;
    n = kCapacity;
  }
  if (length_ + n > kCapacity) {
    head_ = 0;
    length_ = 0;
    scanned_ = kFirstEnd;
  } else if (head_ + length_ + n > kCapacity || (head_ > 0 && length_ <= kCompactBytes)) {
    // Also when only the start of a packet is held: moving those few bytes
    // keeps the stream in the same cache-warm front of the buffer instead of
    // passing through all 16 MiB of it.
    std::memmove(data_.get(), data_.get() + head_, static_cast<std::size_t>(length_));
    head_ = 0;
  }
  std::memcpy(data_.get() + head_ + length_, bytes, static_cast<std::size_t>(n));
  length_ += n;
}

std::unique_ptr<Packet> CMyQueue::GetPacket() {
  owner_.Check();
  if (length_ <= kFirstEnd) return nullptr;
  const char* base = data_.get() + head_;
  int i = scanned_ < kFirstEnd ? kFirstEnd : scanned_;
  int end = -1;
  while (i < length_) {
    const void* nul = std::memchr(base + i, 0, static_cast<std::size_t>(length_ - i));
    if (nul == nullptr) break;
    i = static_cast<int>(static_cast<const char*>(nul) - base);
    if (base[i - 1] == '>' && base[i - 2] == 'T') {
      end = i;
      break;
    }
    ++i;
  }
  if (end < 0) {
    scanned_ = length_;
    return nullptr;
  }
  const int n = end + 1;
  // A stray extra terminator that arrived after the previous packet was cut
  // stands in front of this one; decoding would end at it and lose the packet.
  int skip = 0;
  while (skip < n && base[skip] == '\0') ++skip;
  auto packet = std::make_unique<Packet>(base + skip, n - skip);

  head_ += n;
  length_ -= n;
  while (length_ > 0 && data_[head_] == '\0') {
    ++head_;
    --length_;
  }
  if (length_ == 0) head_ = 0;
  scanned_ = kFirstEnd;
  return packet;
}

void CMyQueue::Clear() {
  owner_.Check();
  head_ = 0;
  length_ = 0;
  scanned_ = kFirstEnd;
}

int CMyQueue::length() const {
  owner_.Check();
  return length_;
}

}  // namespace velloran
