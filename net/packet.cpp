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

// Every "<" of the text that some ">" follows, in text order, with the length
// of what stands between it and the first ">" after it. "<" + tag + ">"
// occurs at a position exactly when an entry there has the tag as that text,
// and "</" + tag + ">" when it has "/" + tag; so the first entry that matches
// is the first occurrence a search of the whole text would find.
struct Packet::TagIndex {
  struct Entry {
    std::uint32_t at;
    std::uint32_t length;
  };
  // Enough for the packets of the session, so that one allocation holds it.
  static constexpr std::size_t kInline = 32;

  explicit TagIndex(std::u16string_view text) {
    thread_local std::vector<Entry> found;
    found.clear();
    std::size_t open_from = 0;  // entries from here on wait for their ">"
    auto note = [&](std::size_t i) {
      if (text[i] == u'<') {
        found.push_back({static_cast<std::uint32_t>(i), 0});
      } else {
        for (std::size_t k = open_from; k < found.size(); ++k) {
          found[k].length = static_cast<std::uint32_t>(i - found[k].at - 1);
        }
        open_from = found.size();
      }
    };
    const char16_t* t = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi16(static_cast<short>(u'<'));
    const __m128i gt = _mm_set1_epi16(static_cast<short>(u'>'));
    for (; i + 8 <= n; i += 8) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
      unsigned mask = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(a, lt), _mm_cmpeq_epi16(a, gt))));
      while (mask != 0) {
        const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
        note(i + bit / 2);
        mask &= ~(3u << bit);
      }
    }
#endif
    for (; i < n; ++i) {
      if (t[i] == u'<' || t[i] == u'>') note(i);
    }
    count_ = open_from;  // a "<" that no ">" follows starts no tag
    if (count_ <= kInline) {
      std::copy(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(count_), small_);
    } else {
      more_.assign(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(count_));
    }
  }

  // The first "<tag>" and the first "</tag>" (npos when there is none). The
  // tag holds no ">".
  void Find(std::u16string_view text, std::u16string_view tag, std::size_t& open,
            std::size_t& close) const {
    open = close = std::u16string_view::npos;
    const std::size_t m = tag.size();
    const char16_t* t = text.data();
    const Entry* entries = count_ <= kInline ? small_ : more_.data();
    for (std::size_t k = 0; k < count_; ++k) {
      const Entry& e = entries[k];
      if (e.length == m) {
        if (open == std::u16string_view::npos &&
            std::memcmp(t + e.at + 1, tag.data(), m * sizeof(char16_t)) == 0) {
          open = e.at;
          if (close != std::u16string_view::npos) return;
        }
      } else if (e.length == m + 1 && t[e.at + 1] == u'/') {
        if (close == std::u16string_view::npos &&
            std::memcmp(t + e.at + 2, tag.data(), m * sizeof(char16_t)) == 0) {
          close = e.at;
          if (open != std::u16string_view::npos) return;
        }
      }
    }
  }

 private:
  std::size_t count_ = 0;
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
  const bool indexed = index_.load(std::memory_order_acquire) != nullptr ||
                       reads_.fetch_add(1, std::memory_order_relaxed) >= kDirectReads;
  if (indexed && tag.find(u'>') == std::u16string_view::npos &&
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
