#pragma once
// One packet of the session protocol and of most local records: a flat tagged
// text "<PKT><GBN>code</GBN>...</PKT>" that grows by "<TAG>value</TAG>"
// elements in front of "</PKT>". Reading never fails: a missing element gives
// the caller's default.

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace velloran {

class Packet {
 public:
  explicit Packet(int code);
  // UTF-8 bytes of one framed packet, length counting its terminating NUL;
  // the text ends at the first NUL.
  Packet(const char* bytes, int length);
  // Wraps a whole tagged text, every "%" replaced by the full-width "％".
  explicit Packet(std::u16string text);
  ~Packet();
  Packet(const Packet& other);
  Packet(Packet&& other) noexcept;
  Packet& operator=(const Packet& other);
  Packet& operator=(Packet&& other) noexcept;

  void AddText(std::u16string_view tag, std::u16string_view text);
  void AddInt(std::u16string_view tag, std::int64_t value);
  [[nodiscard]] std::u16string GetText(std::u16string_view tag,
                                       std::u16string_view default_text) const;
  [[nodiscard]] std::int32_t GetInt(std::u16string_view tag, std::int32_t default_value) const;
  void SetText(std::u16string_view tag, std::u16string_view text);
  void SetInt(std::u16string_view tag, std::int64_t value);

  // The value of the first element, or none; the same reading as GetText
  // without a copy. Valid while the packet is unchanged. Safe to call from
  // several threads at once, as every const operation is.
  [[nodiscard]] bool Find(std::u16string_view tag, std::u16string_view& value) const;
  // Several elements in one pass over the text, each read as Find reads
  // it: for the few leading elements a packet is routed by. Bit k of the
  // result is set when tags[k] was found and values[k] holds its value;
  // values of tags not found are left as they were.
  std::uint32_t FindEach(std::initializer_list<std::u16string_view> tags,
                         std::u16string_view* values) const;
  [[nodiscard]] bool Contains(std::u16string_view text) const;

  [[nodiscard]] const std::u16string& Text() const { return text_; }
  // Replaces the whole text, every "%" replaced by "％".
  void SetWholeText(std::u16string text);

  // The UTF-8 bytes of the text followed by the one NUL of the wire framing.
  [[nodiscard]] std::string ToWire() const;

 private:
  // Where every "<...>" of the text starts, so that a packet read for many
  // tags is scanned once instead of twice per tag. Built by the read after
  // the first kDirectReads, dropped by every change of the text.
  struct TagIndex;
  static constexpr std::uint32_t kDirectReads = 3;
  [[nodiscard]] const TagIndex& Index() const;
  // Reads tags[0..n) (n at most kMaxLeading, distinct, each a tag
  // LeadingTag takes) by walking the elements the text starts with, until
  // each is found or the text stops being a plain run of elements. Returns
  // the bit mask of FindEach; `settled` tells that a tag not found does not
  // occur at all.
  static constexpr std::size_t kMaxLeading = 8;
  std::uint32_t ReadLeading(const std::u16string_view* tags, std::size_t n,
                            std::u16string_view* values, bool& settled) const;
  // Counts a read without the index; returns the count before it.
  std::uint32_t CountRead() const;
  void TextChanged();

  std::u16string text_;
  mutable std::atomic<const TagIndex*> index_{nullptr};
  mutable std::atomic<std::uint32_t> reads_{0};  // reads without the index
};

}  // namespace velloran
