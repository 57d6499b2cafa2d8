#include "net/packet.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "net/text_util.h"
#include "net/utf8.h"

namespace velloran {
namespace {

constexpr std::u16string_view kClose = u"</PKT>";

// "<" + tag + ">" or "</" + tag + ">" built on the stack for the usual short tags.
class TagText {
 public:
  TagText(std::u16string_view tag, bool closing) {
    const std::size_t need = tag.size() + (closing ? 3 : 2);
    char16_t* p = small_;
    if (need > std::size(small_)) {
      large_.resize(need);
      p = large_.data();
    }
    data_ = p;
    size_ = need;
    *p++ = u'<';
    if (closing) *p++ = u'/';
    std::memcpy(p, tag.data(), tag.size() * sizeof(char16_t));
    p[tag.size()] = u'>';
  }
  operator std::u16string_view() const { return {data_, size_}; }

 private:
  char16_t small_[40];
  std::u16string large_;
  char16_t* data_;
  std::size_t size_;
};

}  // namespace

// Every "<" of the text that some ">" follows, in text order, with what
// stands between it and the first ">" after it, summed up in a key. "<" + tag
// + ">" occurs at a position exactly when an entry there has the tag as that
// text, and "</" + tag + ">" when it has "/" + tag; so the first entry that
// matches is the first occurrence a search of the whole text would find.
struct Packet::TagIndex {
  // The length and the first, second and last characters of a name: equal
  // names have equal keys, so one compare rules out nearly every entry.
  static std::uint64_t KeyOf(const char16_t* name, std::size_t length) {
    if (length == 0) return 0;
    return std::uint64_t{std::min<std::size_t>(length, 0xFFFF)} << 48 |
           std::uint64_t{name[0]} << 32 | std::uint64_t{length > 1 ? name[1] : u'\0'} << 16 |
           std::uint64_t{name[length - 1]};
  }

  struct Entry {
    std::uint64_t key;
    std::uint32_t at;
    std::uint32_t length;
  };
  // Enough for the packets of the session, so that one allocation holds it.
  static constexpr std::size_t kInline = 32;

  explicit TagIndex(std::u16string_view text) {
    thread_local std::vector<Entry> found;
    found.clear();
    const char16_t* t = text.data();
    const std::size_t n = text.size();
    std::size_t open_from = 0;  // entries from here on wait for their ">"
    // From each "<" the name runs to the next ">" or "<"; from a ">" the
    // value runs to the next "<". Every character is looked at once.
    std::size_t i = FindChar(text, u'<');
    while (i != std::u16string_view::npos) {
      found.push_back({0, static_cast<std::uint32_t>(i), 0});
      std::size_t j = i + 1;
      while (j < n && t[j] != u'<' && t[j] != u'>') ++j;
      if (j == n) break;
      if (t[j] == u'<') {  // a "<" inside a name: both wait for the same ">"
        i = j;
        continue;
      }
      for (std::size_t k = open_from; k < found.size(); ++k) {
        Entry& e = found[k];
        e.length = static_cast<std::uint32_t>(j - e.at - 1);
        e.key = KeyOf(t + e.at + 1, e.length);
      }
      open_from = found.size();
      i = FindChar(text, u'<', j + 1);
    }
    count_ = open_from;  // a "<" that no ">" follows starts no tag
    if (count_ <= kInline) {
      std::copy(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(count_), small_);
    } else {
      more_.assign(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(count_));
    }
    std::fill(std::begin(first_), std::end(first_), kNone);
    const Entry* entries = Entries();
    for (std::size_t k = count_; k-- > 0;) {
      first_[Slot(entries[k].key)] = k < kNone ? static_cast<std::uint16_t>(k) : 0;
    }
  }

  // The first "<tag>" and the first "</tag>" (npos when there is none). The
  // tag holds no ">".
  void Find(std::u16string_view text, std::u16string_view tag, std::size_t& open,
            std::size_t& close) const {
    const std::size_t m = tag.size();
    open = First(text, KeyOf(tag.data(), m), m, [&](const char16_t* name) {
      return SameChars(name, tag.data(), m);
    });
    // The key of "/" + tag, made without building it.
    const std::uint64_t close_key = std::uint64_t{std::min<std::size_t>(m + 1, 0xFFFF)} << 48 | std::uint64_t{u'/'} << 32 |
                                    std::uint64_t{m > 0 ? tag[0] : u'\0'} << 16 |
                                    std::uint64_t{m > 0 ? tag[m - 1] : u'/'};
    close = First(text, close_key, m + 1, [&](const char16_t* name) {
      return name[0] == u'/' && SameChars(name + 1, tag.data(), m);
    });
  }

 private:
  static constexpr std::size_t kSlots = 64;
  static constexpr std::uint16_t kNone = 0xFFFF;
  static std::size_t Slot(std::uint64_t key) { return (key * 0x9E3779B97F4A7C15ull) >> 58; }
  const Entry* Entries() const { return count_ <= kInline ? small_ : more_.data(); }

  // Where the first "<" + name + ">" starts, or npos, for a name of this key
  // and length that `same` confirms.
  template <typename Same>
  std::size_t First(std::u16string_view text, std::uint64_t key, std::size_t length,
                    const Same& same) const {
    const std::uint16_t start = first_[Slot(key)];
    if (start == kNone) return std::u16string_view::npos;
    const Entry* entries = Entries();
    for (std::size_t k = start; k < count_; ++k) {
      const Entry& e = entries[k];
      if (e.key == key && e.length == length && same(text.data() + e.at + 1)) return e.at;
    }
    return std::u16string_view::npos;
  }

  std::size_t count_ = 0;
  // Per slot the first entry whose key falls there (0 past the 65,535th).
  std::uint16_t first_[kSlots];
  Entry small_[kInline];
  std::vector<Entry> more_;
};

const Packet::TagIndex& Packet::Index() const {
  if (const TagIndex* built = index_.load(std::memory_order_acquire)) return *built;
  auto fresh = std::make_unique<TagIndex>(text_);
  const TagIndex* expected = nullptr;
  // Readers on other threads may build it at the same time; the first one
  // published is kept.
  if (index_.compare_exchange_strong(expected, fresh.get(), std::memory_order_acq_rel,
                                     std::memory_order_acquire)) {
    return *fresh.release();
  }
  return *expected;
}

bool Packet::FindFirstElement(std::u16string_view tag, std::u16string_view& value) const {
  // "<PKT><" + tag + ">" at the start is the first "<tag>", and when the
  // first "<" after it begins "</" + tag + ">", that is the first "</tag>":
  // nothing before can be one. The tag holds no ">" (such a tag reads
  // differently); "<PKT>" itself stands at 0.
  constexpr std::u16string_view kStart = u"<PKT><";
  const std::u16string_view text = text_;
  const std::size_t value_start = kStart.size() + tag.size() + 1;
  if (tag.empty() || text.size() < value_start || text[kStart.size()] != tag[0] ||
      text[value_start - 1] != u'>' || tag == u"PKT" ||
      !SameChars(text.data(), kStart.data(), kStart.size()) ||
      !SameChars(text.data() + kStart.size(), tag.data(), tag.size())) {
    return false;
  }
  const std::size_t close = FindChar(text, u'<', value_start);
  if (close == std::u16string_view::npos || text.size() - close < tag.size() + 3 ||
      text[close + 1] != u'/' || !SameChars(text.data() + close + 2, tag.data(), tag.size()) ||
      text[close + 2 + tag.size()] != u'>') {
    return false;
  }
  value = text.substr(value_start, close - value_start);
  return true;
}

std::uint32_t Packet::CountRead() const {
  // Not a locked increment: readers on two threads at once may count one read
  // for two, which only puts the index off by a read.
  const std::uint32_t before = reads_.load(std::memory_order_relaxed);
  reads_.store(before + 1, std::memory_order_relaxed);
  return before;
}

void Packet::TextChanged() {
  delete index_.exchange(nullptr, std::memory_order_acq_rel);
  reads_.store(0, std::memory_order_relaxed);
}

Packet::~Packet() {
  TextChanged();
}

Packet::Packet(const Packet& other) : text_(other.text_) {}

Packet::Packet(Packet&& other) noexcept
    : text_(std::move(other.text_)),
      index_(other.index_.exchange(nullptr, std::memory_order_acq_rel)) {}

Packet& Packet::operator=(const Packet& other) {
  if (this != &other) {
    text_ = other.text_;
    TextChanged();
  }
  return *this;
}

Packet& Packet::operator=(Packet&& other) noexcept {
  if (this != &other) {
    text_ = std::move(other.text_);
    TextChanged();
    index_.store(other.index_.exchange(nullptr, std::memory_order_acq_rel),
                 std::memory_order_release);
  }
  return *this;
}

Packet::Packet(int code) {
  text_ = u"<PKT><GBN>";
  text_ += FormatInt(code);
  text_ += u"</GBN></PKT>";
}

Packet::Packet(const char* bytes, int length) {
  if (length > 0) AppendUtf8AsUtf16(bytes, static_cast<std::size_t>(length), text_);
}

Packet::Packet(std::u16string text) : text_(std::move(text)) {
  ReplacePercent(text_);
}

void Packet::SetWholeText(std::u16string text) {
  text_ = std::move(text);
  ReplacePercent(text_);
  TextChanged();
}

void Packet::AddText(std::u16string_view tag, std::u16string_view text) {
  const std::size_t at = FindText(text_, kClose);
  if (at == std::u16string::npos) return;
  std::u16string element;
  element.reserve(tag.size() * 2 + text.size() + 5);
  element += u'<';
  element += tag;
  element += u'>';
  element += text;
  element += u"</";
  element += tag;
  element += u'>';
  text_.insert(at, element);
  TextChanged();
}

void Packet::AddInt(std::u16string_view tag, std::int64_t value) {
  AddText(tag, FormatInt(value));
}

bool Packet::Find(std::u16string_view tag, std::u16string_view& value) const {
  const std::u16string_view text = text_;
  std::size_t open, close, value_start;
  // The first reads search the text as it stands: a packet that is only
  // routed by its first elements is not worth an index.
  const bool indexed =
      index_.load(std::memory_order_acquire) != nullptr || CountRead() >= kDirectReads;
  const bool plain_tag = tag.find(u'>') == std::u16string_view::npos;
  if (!indexed && plain_tag && FindFirstElement(tag, value)) return true;
  if (indexed && plain_tag &&
      text.size() < std::numeric_limits<std::uint32_t>::max()) {
    Index().Find(text, tag, open, close);
    if (open == std::u16string_view::npos) return false;
    value_start = open + tag.size() + 2;
  } else {
    // Also for a tag with a ">" in it, which the index cannot tell apart from
    // the first characters of its value, and for a text too long for it.
    open = FindText(text, TagText(tag, false));
    if (open == std::u16string_view::npos) return false;
    value_start = text.find(u'>', open) + 1;
    close = FindText(text, TagText(tag, true));
  }
  if (close == std::u16string_view::npos) return false;
  value =
      close < value_start ? std::u16string_view{} : text.substr(value_start, close - value_start);
  return true;
}

bool Packet::Contains(std::u16string_view text) const {
  return FindText(text_, text) != std::u16string::npos;
}

std::u16string Packet::GetText(std::u16string_view tag, std::u16string_view default_text) const {
  std::u16string_view value;
  return std::u16string(Find(tag, value) ? value : default_text);
}

std::int32_t Packet::GetInt(std::u16string_view tag, std::int32_t default_value) const {
  std::u16string_view value;
  if (!Find(tag, value)) return default_value;  // the formatted default reads back as itself
  return ToIntGrouped(value);
}

void Packet::SetText(std::u16string_view tag, std::u16string_view text) {
  const std::u16string old_value = GetText(tag, u"");
  std::u16string element;
  element += u'<';
  element += tag;
  element += u'>';
  element += old_value;
  element += u"</";
  element += tag;
  element += u'>';
  // One pass over the text as it was: an element formed by joining what is
  // left after a removal stays.
  std::u16string kept;
  kept.reserve(text_.size());
  std::size_t from = 0;
  for (std::size_t at = FindText(text_, element); at != std::u16string::npos;
       at = FindText(text_, element, from)) {
    kept.append(text_, from, at - from);
    from = at + element.size();
  }
  kept.append(text_, from);
  text_ = std::move(kept);
  TextChanged();
  AddText(tag, text);
}

void Packet::SetInt(std::u16string_view tag, std::int64_t value) {
  SetText(tag, FormatInt(value));
}

std::string Packet::ToWire() const {
  std::string out;
  AppendUtf16AsUtf8(text_, out);
  out.push_back('\0');
  return out;
}

}  // namespace velloran
