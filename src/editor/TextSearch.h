#pragma once
// Substring search in Windows-1251 text, with or without regard to letter case (Latin
// and Cyrillic letters alike).
#include <functional>
#include <string_view>

#include "workspace/Cp1251.h"

class TextFinder {
 public:
  TextFinder(std::string_view needle, bool caseSense);

  // The position of the first occurrence at or after `from`, or npos.
  size_t find(std::string_view text, size_t from = 0) const;
  bool in(std::string_view text) const { return find(text) != std::string_view::npos; }
  // Every occurrence replaced, left to right, not overlapping, the replacement not
  // searched again; `count` receives how many there were.
  Text replaceAll(std::string_view text, std::string_view replacement, size_t& count) const;

 private:
  Text needle_;  // upper-cased when the case does not matter
  bool caseSense_;
};
