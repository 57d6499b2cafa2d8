#pragma once
// One packet of the session protocol and of most local records: a flat tagged
// text "<PKT><GBN>code</GBN>...</PKT>" that grows by "<TAG>value</TAG>"
// elements in front of "</PKT>". Reading never fails: a missing element gives
// the caller's default.

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
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
  // Tags read together by FindEach, at most kMax of them. Whether one walk
  // over the leading elements can read them all is settled where the set is
  // made: while compiling, for a constexpr set.
  class TagSet {
   public:
    static constexpr std::size_t kMax = 8;
    // The longest tag whose "/T>" fits one 8-character compare.
    static constexpr std::size_t kShortTag = 6;
    constexpr TagSet(std::initializer_list<std::u16string_view> tags) : size_(tags.size()) {
      if (tags.size() > kMax) throw std::length_error("a tag set holds at most 8 tags");
      for (auto& row : closing_) {
        for (char16_t& c : row) c = 0;
      }
      std::size_t k = 0;
      for (const std::u16string_view tag : tags) {
        walkable_ = walkable_ && LeadingTag(tag);
        for (std::size_t j = 0; j < k; ++j) walkable_ = walkable_ && tags_[j] != tag;
        SetTag(k++, tag);
      }
    }
    [[nodiscard]] constexpr std::size_t size() const { return size_; }
    [[nodiscard]] constexpr const std::u16string_view* begin() const { return tags_; }
    [[nodiscard]] constexpr const std::u16string_view* end() const { return tags_ + size_; }
    // Distinct tags, each one LeadingTag takes.
    [[nodiscard]] constexpr bool walkable() const { return walkable_; }
    // For tag k of at most kShortTag characters: "/T>" and zeros, 9 in all,
    // so that both "/T>" and "T>" can be loaded 8 characters at a time.
    [[nodiscard]] const char16_t* closing(std::size_t k) const { return closing_[k]; }

   private:
    friend class Packet;
    // A single tag that LeadingTag takes, as Find reads it: nothing to check
    // and only one row to fill.
    struct Single {};
    TagSet(Single, std::u16string_view tag) : size_(1) {
      for (char16_t& c : closing_[0]) c = 0;
      SetTag(0, tag);
    }
    constexpr void SetTag(std::size_t k, std::u16string_view tag) {
      tags_[k] = tag;
      if (tag.size() > kShortTag) return;
      closing_[k][0] = u'/';
      for (std::size_t i = 0; i < tag.size(); ++i) closing_[k][1 + i] = tag[i];
      closing_[k][1 + tag.size()] = u'>';
    }

    std::u16string_view tags_[kMax];
    char16_t closing_[kMax][kShortTag + 3];
    std::size_t size_;
    bool walkable_ = true;
  };

  // Several elements in one pass over the text, each read as Find reads
  // it: for the few leading elements a packet is routed by. Bit k of the
  // result is set when tag k was found and values[k] holds its value;
  // values of tags not found are left as they were.
  std::uint32_t FindEach(const TagSet& tags, std::u16string_view* values) const;
  // FindEach a few tags at a time: the walk stops once the tags asked for
  // are found and goes on from there when more are asked for. For a packet
  // routed by its first element whose next ones matter only for some codes.
  // Valid while the packet lives unchanged.
  class LeadingReader {
   public:
    // Both are read by reference for the reader's whole life.
    LeadingReader(const Packet& packet, const TagSet& tags);
    LeadingReader(const Packet& packet, TagSet&& tags) = delete;
    // Reads the tags of `wanted` (bit k: tag k) not read yet; returns which
    // of them are found.
    std::uint32_t Read(std::uint32_t wanted);
    // The value of tag k when Read found it, else empty.
    [[nodiscard]] std::u16string_view value(std::size_t k) const { return values_[k]; }

   private:
    const Packet& packet_;
    const TagSet& tags_;
    struct Walk {
      std::size_t from = 0;       // where the walk goes on; 0 before "<PKT>"
      std::uint32_t found = 0;    // bit k: tag k found
      bool ended = false;         // the walk cannot go on
      bool settled = false;       // once ended: a tag not found does not occur
    } walk_;
    std::uint32_t asked_ = 0;  // tags read on their own
    std::u16string_view values_[TagSet::kMax];
    friend class Packet;
  };
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
  // A tag the walk over the leading elements can read: neither "<" nor ">"
  // in it, no leading "/", not "PKT".
  static constexpr bool LeadingTag(std::u16string_view tag) {
    if (tag == u"PKT" || (!tag.empty() && tag[0] == u'/')) return false;
    for (const char16_t c : tag) {
      if (c == u'<' || c == u'>') return false;
    }
    return true;
  }
  // Walks on over the elements the text starts with, for a walkable tag
  // set, until the tags of `wanted` are found or the text stops being a
  // plain run of elements.
  using Walk = LeadingReader::Walk;
  void ReadLeading(const TagSet& tags, std::uint32_t wanted, std::u16string_view* values,
                   Walk& walk) const;
  // Counts a read without the index; returns the count before it.
  std::uint32_t CountRead() const;
  void TextChanged();

  std::u16string text_;
  mutable std::atomic<const TagIndex*> index_{nullptr};
  mutable std::atomic<std::uint32_t> reads_{0};  // reads without the index
};

}  // namespace velloran
