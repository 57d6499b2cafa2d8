#include "server/session.h"

namespace velloran::server {

Session::Session(asio::ip::tcp::socket socket, SessionHost& host, const FaultOptions& faults,
                 std::uint64_t seed)
    : socket_(std::move(socket)),
      host_(host),
      faults_(faults),
      drop_timer_(socket_.get_executor()),
      stall_timer_(socket_.get_executor()),
      queue_(std::make_unique<CMyQueue>()),
      rng_(seed) {}

void Session::Start() {
  asio::error_code ec;
  socket_.set_option(asio::ip::tcp::no_delay(true), ec);
  if (faults_.drop_every_s > 0) {
    drop_timer_.expires_after(std::chrono::seconds(faults_.drop_every_s));
    drop_timer_.async_wait([self = shared_from_this()](const asio::error_code& e) {
      if (!e) self->Close();
    });
  }
  ReadNext();
}

void Session::ReadNext() {
  socket_.async_read_some(asio::buffer(chunk_),
                          [self = shared_from_this()](const asio::error_code& ec, std::size_t n) {
                            if (ec || self->closed_) {
                              self->Close();
                              return;
                            }
                            self->queue_->Append(self->chunk_.data(), static_cast<int>(n));
                            while (!self->closed_) {
                              std::unique_ptr<Packet> p = self->queue_->GetPacket();
                              if (!p) break;
                              self->host_.OnPacket(*self, *p);
                            }
                            if (!self->closed_) self->ReadNext();
                          });
}

void Session::Send(const Packet& packet) {
  SendWire(std::make_shared<const std::string>(packet.ToWire()));
}

void Session::SendWire(std::shared_ptr<const std::string> wire) {
  if (closed_) return;
  const bool split = faults_.split && packets_sent_ % 10 == 0;
  ++packets_sent_;
  Queue(std::move(wire), split);
  if (faults_.garbage && rng_.Chance(0.125)) {
    // Bytes that can neither end a packet nor open a tag.
    auto junk = std::make_shared<std::string>(1 + rng_.Below(32), 'x');
    for (char& c : *junk) {
      do c = static_cast<char>(1 + rng_.Below(255));
      while (c == '<' || c == '>');
    }
    Queue(std::move(junk), false);
  }
  WriteNext();
}

void Session::Queue(std::shared_ptr<const std::string> bytes, bool split) {
  queued_bytes_ += bytes->size();
  out_.push_back(Out{std::move(bytes), 0, split});
  if (queued_bytes_ > kMaxQueuedBytes) Close();
}

void Session::AfterStartup() {
  if (closed_) return;
  if (faults_.oversize) {
    // Larger than the client's 16 MiB receive buffer, with no packet end inside.
    auto big = std::make_shared<std::string>("<PKT><GBN>2002</GBN><RES>PAD</RES><DATA>");
    big->append((std::size_t{17} << 20), 'x');
    big->append("</DATA></PKT>");
    big->push_back('\0');
    ++packets_sent_;
    Queue(std::move(big), false);
  }
  // The silence starts once everything queued so far has gone out.
  if (faults_.stall_s > 0) out_.push_back(Out{nullptr, 0, false});
  WriteNext();
}

void Session::WriteNext() {
  if (writing_ || stalled_ || closed_ || out_.empty()) return;
  if (!out_.front().bytes) {  // the stall marker
    out_.pop_front();
    stalled_ = true;
    stall_timer_.expires_after(std::chrono::seconds(faults_.stall_s));
    stall_timer_.async_wait([self = shared_from_this()](const asio::error_code& e) {
      if (e) return;
      self->stalled_ = false;
      self->WriteNext();
    });
    return;
  }
  // Everything queued up to the next one-byte packet or stall goes out in one
  // gathered write: one system call for many small quotes.
  std::size_t items = 0, bytes = 0;
  write_buffers_.clear();
  if (out_.front().split) {
    const Out& f = out_.front();
    write_buffers_.emplace_back(f.bytes->data() + f.offset, 1);
    // items stays 0: the packet stays queued until its last byte is written.
  } else {
    for (const Out& o : out_) {
      if (!o.bytes || o.split || items == kMaxGather || bytes >= kMaxGatherBytes) break;
      write_buffers_.emplace_back(o.bytes->data() + o.offset, o.bytes->size() - o.offset);
      bytes += o.bytes->size() - o.offset;
      ++items;
    }
  }
  writing_ = true;
  asio::async_write(socket_, write_buffers_,
                    [self = shared_from_this(), items](const asio::error_code& ec, std::size_t) {
                      self->writing_ = false;
                      if (ec || self->closed_) {
                        self->Close();
                        return;
                      }
                      if (items == 0) {
                        Out& f = self->out_.front();
                        if (++f.offset >= f.bytes->size()) {
                          self->queued_bytes_ -= f.bytes->size();
                          self->out_.pop_front();
                        }
                      }
                      for (std::size_t i = 0; i < items; ++i) {
                        self->queued_bytes_ -= self->out_.front().bytes->size();
                        self->out_.pop_front();
                      }
                      self->WriteNext();
                    });
}

void Session::Close() {
  if (closed_) return;
  closed_ = true;
  asio::error_code ec;
  drop_timer_.cancel();
  stall_timer_.cancel();
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
  socket_.close(ec);  // what is queued is freed with the session, after its handlers end
  host_.OnClosed(*this);
}

}  // namespace velloran::server
