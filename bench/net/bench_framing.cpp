// Framing and packet reading on a realistic session stream, against the bound
// (a plain NUL scan), a literal rescan-and-copy-down framer, and pugixml.
#include <pugixml.hpp>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/net/session_stream.h"
#include "bench/ratio_report.h"
#include "net/packet.h"
#include "net/receive_buffer.h"
#include "net/text_util.h"
#include "net/utf8.h"

namespace velloran {
namespace {

constexpr int kChunk = 4096;
using sample::Stream;
using sample::TheStream;

// The framing algorithm step by step: rescan from position 5 on every call,
// copy the remainder down after every packet, drop leading NULs one by one.
class LiteralQueue {
 public:
  LiteralQueue() : data_(new char[CMyQueue::kCapacity]) {}
  void Append(const char* bytes, int n) {
    if (length_ + n > CMyQueue::kCapacity) length_ = 0;
    std::memcpy(data_.get() + length_, bytes, n);
    length_ += n;
  }
  std::unique_ptr<Packet> GetPacket() {
    if (length_ <= 5) return nullptr;
    int i = 5;
    for (; i < length_; ++i) {
      if (data_[i] == 0 && data_[i - 1] == '>' && data_[i - 2] == 'T') break;
    }
    if (i >= length_) return nullptr;
    const int n = i + 1;
    auto packet = std::make_unique<Packet>(data_.get(), n);
    std::memmove(data_.get(), data_.get() + n, length_ - n);
    length_ -= n;
    while (length_ > 0 && data_[0] == 0) {
      std::memmove(data_.get(), data_.get() + 1, length_ - 1);
      --length_;
    }
    return packet;
  }

 private:
  std::unique_ptr<char[]> data_;
  int length_ = 0;
};

template <class Queue>
void FeedChunks(benchmark::State& state, const std::string& bytes, std::size_t expected) {
  auto queue = std::make_unique<Queue>();
  for (auto _ : state) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < bytes.size(); at += kChunk) {
      const int n = static_cast<int>(std::min<std::size_t>(kChunk, bytes.size() - at));
      queue->Append(bytes.data() + at, n);
      while (auto p = queue->GetPacket()) {
        benchmark::DoNotOptimize(p->Text().data());
        ++count;
      }
    }
    if (count != expected) state.SkipWithError("wrong packet count");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * expected));
}

void BM_Frame_Memchr(benchmark::State& state) {
  const Stream& s = TheStream();
  for (auto _ : state) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < s.bytes.size(); at += kChunk) {
      const char* p = s.bytes.data() + at;
      const char* end = p + std::min<std::size_t>(kChunk, s.bytes.size() - at);
      while ((p = static_cast<const char*>(std::memchr(p, 0, end - p))) != nullptr) {
        ++count;
        ++p;
      }
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.bytes.size()));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.packets.size()));
}

void BM_Frame_Ours(benchmark::State& state) {
  FeedChunks<CMyQueue>(state, TheStream().bytes, TheStream().packets.size());
}

void BM_Frame_Literal(benchmark::State& state) {
  FeedChunks<LiteralQueue>(state, TheStream().bytes, TheStream().packets.size());
}

// One packet of 1 MiB arriving in 4096-byte chunks.
const std::string& LargePacket() {
  static const std::string wire = [] {
    Packet p(3001);
    p.AddText(u"DATA", std::u16string(1 << 20, u'x'));
    return p.ToWire();
  }();
  return wire;
}

void BM_LargePacket_Ours(benchmark::State& state) {
  FeedChunks<CMyQueue>(state, LargePacket(), 1);
}
void BM_LargePacket_Literal(benchmark::State& state) {
  FeedChunks<LiteralQueue>(state, LargePacket(), 1);
}

// Reading the three tags the router and dispatcher read first.
void BM_ReadTags_Ours(benchmark::State& state) {
  const Stream& s = TheStream();
  std::vector<Packet> packets;
  for (const auto& w : s.packets) packets.emplace_back(w.data(), static_cast<int>(w.size()));
  std::size_t total = 0;
  for (auto _ : state) {
    for (const Packet& p : packets) {
      total += p.GetInt(u"GBN", 0);
      std::u16string_view v;
      total += p.Find(u"STKCD", v) ? v.size() : 0;
      total += p.Find(u"DATA", v) ? v.size() : 0;
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * packets.size()));
}

void BM_ReadTags_DecodeAndOurs(benchmark::State& state) {
  const Stream& s = TheStream();
  std::size_t total = 0;
  for (auto _ : state) {
    for (const auto& w : s.packets) {
      Packet p(w.data(), static_cast<int>(w.size()));
      total += p.GetInt(u"GBN", 0);
      std::u16string_view v;
      total += p.Find(u"STKCD", v) ? v.size() : 0;
      total += p.Find(u"DATA", v) ? v.size() : 0;
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.packets.size()));
}

void BM_ReadTags_Pugixml(benchmark::State& state) {
  const Stream& s = TheStream();
  std::size_t total = 0;
  pugi::xml_document doc;
  for (auto _ : state) {
    for (const auto& w : s.packets) {
      doc.load_buffer(w.data(), w.size() - 1, pugi::parse_minimal);
      const pugi::xml_node pkt = doc.child("PKT");
      total += pkt.child("GBN").text().as_int();
      total += std::strlen(pkt.child("STKCD").child_value());
      total += std::strlen(pkt.child("DATA").child_value());
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.packets.size()));
}

BENCHMARK(BM_Frame_Memchr);
BENCHMARK(BM_Frame_Ours);
BENCHMARK(BM_Frame_Literal);
BENCHMARK(BM_LargePacket_Ours);
BENCHMARK(BM_LargePacket_Literal);
BENCHMARK(BM_ReadTags_Ours);
BENCHMARK(BM_ReadTags_DecodeAndOurs);
BENCHMARK(BM_ReadTags_Pugixml);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv,
                                 {{"BM_Frame_Ours", "BM_Frame_Memchr"},
                                  {"BM_Frame_Literal", "BM_Frame_Memchr"},
                                  {"BM_LargePacket_Ours", "BM_LargePacket_Literal"},
                                  {"BM_ReadTags_Ours", "BM_ReadTags_Pugixml"},
                                  {"BM_ReadTags_DecodeAndOurs", "BM_ReadTags_Pugixml"}});
}
