#include "editor/TextSearch.h"

#include <algorithm>

TextFinder::TextFinder(std::string_view needle, bool caseSense)
    : needle_(caseSense ? Text(needle) : cp1251::Upper(needle)), caseSense_(caseSense) {}

size_t TextFinder::find(std::string_view text, size_t from) const {
  if (from > text.size()) return std::string_view::npos;
  if (caseSense_) return text.find(needle_, from);
  if (needle_.empty()) return from;
  const auto same = [](char a, char b) {
    return cp1251::ToUpper(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
  };
  const auto it =
      std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), needle_.begin(), needle_.end(), same);
  return it == text.end() ? std::string_view::npos : static_cast<size_t>(it - text.begin());
}

Text TextFinder::replaceAll(std::string_view text, std::string_view replacement, size_t& count) const {
  count = 0;
  Text out;
  if (needle_.empty()) return Text(text);
  size_t done = 0;
  for (size_t at = find(text); at != std::string_view::npos; at = find(text, done)) {
    out.append(text.substr(done, at - done)).append(replacement);
    done = at + needle_.size();
    ++count;
  }
  if (count == 0) return Text(text);
  out.append(text.substr(done));
  return out;
}
