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

// Every "<" of a text that some ">" follows, in text order, with the first
// ">" after it. For a tag without ">", "<" + tag + ">" occurs at a position
// exactly when a "<" given here stands there and the tag is the text between
// it and its ">". Each character is looked at at most twice.
class TagCursor {
 public:
  explicit TagCursor(std::u16string_view text) : text_(text), at_(FindChar(text, u'<')) {}
  // The next such "<" at `open` and its ">" at `end`; false when none is left.
  bool Next(std::size_t& open, std::size_t& end) {
    if (at_ == std::u16string_view::npos) return false;
    if (end_ <= at_) {  // a "<" inside the last name shares its ">"
      end_ = FindChar(text_, u'>', at_ + 1);
      if (end_ == std::u16string_view::npos) {
        at_ = end_;
        return false;
      }
    }
    open = at_;
    end = end_;
    at_ = FindChar(text_, u'<', at_ + 1);
    return true;
  }

 private:
  std::u16string_view text_;
  std::size_t at_;
  std::size_t end_ = 0;
};

}  // namespace

// The tags of the text, each summed up in a key, so that the first entry that
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
    TagCursor tags(text);
    for (std::size_t at, end; tags.Next(at, end);) {
      const std::size_t length = end - at - 1;
      found.push_back({KeyOf(text.data() + at + 1, length), static_cast<std::uint32_t>(at),
                       static_cast<std::uint32_t>(length)});
    }
    count_ = found.size();
    if (count_ <= kInline) {
      std::copy(found.begin(), found.end(), small_);
    } else {
      more_.assign(found.begin(), found.end());
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

// Why the walk gives the defined reading: the text it has passed holds, after
// "<PKT>", only elements "<N>v</N>" (N without "<", ">" and a leading "/", v
// without "<"), text without "<", and closing tags "</M>" on their own where
// M is none of the tags still looked for. Every "<" there starts such a tag,
// and the first ">" after it ends that tag, so "<T>" occurs there only as
// "<N>" with N = T ("<PKT>", "</N>" and "</M>" are ruled out by T), and
// "</T>" only as the "</N>" of such an element. The first element named T
// therefore holds the first "<T>" and the first "</T>". Where a "<" has no
// ">" after it, or no "<" is left, nothing further can occur. A walk that
// stopped once the tags wanted were found goes on from where it stopped: the
// text passed keeps that form for every tag of the set not found yet.
void Packet::ReadLeading(const TagSet& tag_set, std::uint32_t wanted, std::u16string_view* values,
                         Walk& walk) const {
  constexpr std::u16string_view kStart = u"<PKT>";
  constexpr std::size_t kNone = std::u16string_view::npos;
  const std::u16string_view* const tags = tag_set.begin();
  const std::size_t n = tag_set.size();
  const std::u16string_view text = text_;
  const char16_t* const begin = text.data();
  const char16_t* const end = begin + text.size();
  std::uint32_t found = walk.found;
  std::size_t from = walk.from;
  // Where the walk cannot go on: `settled` tells whether a tag not found by
  // then occurs at all.
  const auto stop = [&](bool settled) {
    walk.found = found;
    walk.ended = true;
    walk.settled = settled;
  };
  if (from == 0) {
    if (text.size() < kStart.size() || !SameChars(begin, kStart.data(), kStart.size())) {
      return stop(false);
    }
    from = kStart.size();
  }
  // The usual packet first: short tags, their elements one right after the
  // other in the order asked for. The first element that is not the next of
  // them is left to the general walk below.
  for (std::size_t k = static_cast<unsigned>(__builtin_ctz(~found));
       (found & wanted) != wanted && k < n && tags[k].size() <= TagSet::kShortTag; ++k) {
    const std::size_t want = tags[k].size();
    const char16_t* const lt = begin + from;
    if (end - lt <= 8 || *lt != u'<' || !SameChars8(lt + 1, tag_set.closing(k) + 1, want + 1)) {
      break;
    }
    const std::size_t value_start = from + want + 2;
    const std::size_t close = FindChar(text, u'<', value_start);
    if (close == kNone || end - (begin + close) <= 8 ||
        !SameChars8(begin + close + 1, tag_set.closing(k), want + 2)) {
      break;
    }
    values[k] = std::u16string_view(begin + value_start, close - value_start);
    found |= 1u << k;
    from = close + want + 3;
  }
  while ((found & wanted) != wanted) {
    const std::size_t open =
        from < text.size() && begin[from] == u'<' ? from : FindChar(text, u'<', from);
    if (open == kNone) return stop(true);
    // The name runs to the first ">"; a "<" before it ends the walk.
    const char16_t* const name = begin + open + 1;
    const std::size_t name_end = FindEitherChar(text, u'>', u'<', open + 1);
    if (name_end == kNone) return stop(true);
    if (begin[name_end] == u'<') return stop(false);
    const std::size_t length = name_end - open - 1;
    const std::size_t next = static_cast<unsigned>(__builtin_ctz(~found));
    if (length > 0 && *name == u'/') {
      // A closing tag on its own (the "</PKT>" at the end) can only be the
      // first "</T>" of a tag T not found yet; else it is passed over.
      for (std::size_t k = next; k < n; ++k) {
        if ((found >> k & 1) == 0 && tags[k].size() + 1 == length &&
            SameChars(tags[k].data(), name + 1, length - 1)) {
          return stop(false);
        }
      }
      from = name_end + 1;
      continue;
    }
    std::size_t matched = kNone;
    for (std::size_t k = next; k < n && matched == kNone; ++k) {
      if (tags[k].size() == length && (found >> k & 1) == 0 &&
          SameChars(tags[k].data(), name, length)) {
        matched = k;
      }
    }
    const std::size_t value_start = name_end + 1;
    const std::size_t close = FindChar(text, u'<', value_start);
    if (close == kNone) return stop(true);
    // "</N>" must follow; N and the ">" after it are compared at once where
    // they fit in one compare.
    const char16_t* const c = begin + close;
    const bool closed =
        static_cast<std::size_t>(end - c) >= length + 3 && c[1] == u'/' &&
        (length < 8 && end - (c + 2) >= 8
             ? SameChars8(c + 2, name, length + 1)
             : c[2 + length] == u'>' && SameChars(c + 2, name, length));
    if (!closed) return stop(false);
    if (matched != kNone) {
      values[matched] = std::u16string_view(begin + value_start, close - value_start);
      found |= 1u << matched;
    }
    from = close + length + 3;
  }
  walk.found = found;
  walk.from = from;
  // Every tag found: nothing is left to settle.
  if (found == (1u << n) - 1) stop(true);
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
  // The first reads walk the elements the text starts with: a packet that is
  // only routed by its first elements is not worth an index.
  const bool indexed =
      index_.load(std::memory_order_acquire) != nullptr || CountRead() >= kDirectReads;
  if (!indexed && LeadingTag(tag)) {
    Walk walk;
    ReadLeading(TagSet(TagSet::Single{}, tag), 1, &value, walk);
    if (walk.found != 0) return true;
    if (walk.settled) return false;
  }
  std::size_t open, close, value_start;
  if (indexed && tag.find(u'>') == std::u16string_view::npos &&
      text.size() < std::numeric_limits<std::uint32_t>::max()) {
    Index().Find(text, tag, open, close);
    if (open == std::u16string_view::npos) return false;
    value_start = open + tag.size() + 2;
  } else {
    // Before the index, where the walk did not settle it; a tag with a ">"
    // in it, which the index cannot tell apart from the first characters of
    // its value; and a text too long for the index.
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

std::uint32_t Packet::FindEach(const TagSet& tags, std::u16string_view* values) const {
  LeadingReader reader(*this, tags);
  const std::uint32_t found = reader.Read((1u << tags.size()) - 1);
  for (std::size_t k = 0; k < tags.size(); ++k) {
    if ((found >> k & 1) != 0) values[k] = reader.value(k);
  }
  return found;
}

Packet::LeadingReader::LeadingReader(const Packet& packet, const TagSet& tags)
    : packet_(packet), tags_(tags) {
  (void)packet_.CountRead();
  // With an index, a tag is read from it directly.
  if (!tags_.walkable() || packet_.index_.load(std::memory_order_acquire) != nullptr) {
    walk_.ended = true;
  }
}

std::uint32_t Packet::LeadingReader::Read(std::uint32_t wanted) {
  if (!walk_.ended) packet_.ReadLeading(tags_, wanted, values_, walk_);
  if (walk_.ended && !walk_.settled) {
    // The walk could not tell: each tag is read on its own.
    for (std::size_t k = 0; k < tags_.size(); ++k) {
      const std::uint32_t bit = 1u << k;
      if ((wanted & bit) == 0 || (walk_.found & bit) != 0 || (asked_ & bit) != 0) continue;
      asked_ |= bit;
      if (packet_.Find(tags_.begin()[k], values_[k])) walk_.found |= bit;
    }
  }
  return walk_.found & wanted;
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
