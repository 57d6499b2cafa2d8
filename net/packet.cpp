#include "net/packet.h"

#include <cstring>
#include <iterator>

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

Packet::Packet(int code) {
  text_ = u"<PKT><GBN>";
  text_ += FormatInt(code);
  text_ += u"</GBN></PKT>";
}

Packet::Packet(const char* bytes, int length) {
  if (length > 0) AppendUtf8AsUtf16(bytes, static_cast<std::size_t>(length), text_);
}

Packet::Packet(std::u16string text) : text_(std::move(text)) { ReplacePercent(text_); }

void Packet::SetWholeText(std::u16string text) {
  text_ = std::move(text);
  ReplacePercent(text_);
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
}

void Packet::AddInt(std::u16string_view tag, std::int64_t value) { AddText(tag, FormatInt(value)); }

bool Packet::Find(std::u16string_view tag, std::u16string_view& value) const {
  const std::u16string_view text = text_;
  const std::size_t open = FindText(text, TagText(tag, false));
  if (open == std::u16string_view::npos) return false;
  const std::size_t value_start = text.find(u'>', open) + 1;
  const std::size_t close = FindText(text, TagText(tag, true));
  if (close == std::u16string_view::npos) return false;
  value = close < value_start ? std::u16string_view{} : text.substr(value_start, close - value_start);
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
  AddText(tag, text);
}

void Packet::SetInt(std::u16string_view tag, std::int64_t value) { SetText(tag, FormatInt(value)); }

std::string Packet::ToWire() const {
  std::string out;
  AppendUtf16AsUtf8(text_, out);
  out.push_back('\0');
  return out;
}

}  // namespace velloran
