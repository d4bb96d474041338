#include "editor/TextSearch.h"

TextFinder::TextFinder(std::string_view needle, bool caseSense) : needle_(needle), caseSense_(caseSense) {
  if (caseSense) return;
  for (size_t pos = 0; pos < needle.size();) upper_ += utf8::ToUpper(utf8::Next(needle, pos));
}

TextFinder::Match TextFinder::match(std::string_view text, size_t from) const {
  if (from > text.size()) return {};
  if (caseSense_) {
    const size_t at = text.find(needle_, from);
    return {at, needle_.size()};
  }
  if (upper_.empty()) return {from, 0};
  const char32_t first = upper_[0];
  for (size_t at = from; at < text.size();) {
    size_t pos = at;
    if (utf8::ToUpper(utf8::Next(text, pos)) == first) {
      size_t k = 1;
      size_t end = pos;
      while (k < upper_.size() && end < text.size() && utf8::ToUpper(utf8::Next(text, end)) == upper_[k]) ++k;
      if (k == upper_.size()) return {at, end - at};
    }
    at = pos;
  }
  return {};
}

Text TextFinder::replaceAll(std::string_view text, std::string_view replacement, size_t& count) const {
  count = 0;
  Text out;
  if (needle_.empty()) return Text(text);
  size_t done = 0;
  for (Match m = match(text, 0); m.at != std::string_view::npos; m = match(text, done)) {
    out.append(text.substr(done, m.at - done)).append(replacement);
    done = m.at + m.length;
    ++count;
  }
  if (count == 0) return Text(text);
  out.append(text.substr(done));
  return out;
}
