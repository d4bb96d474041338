#pragma once
// Substring search in the program's text, with or without regard to letter case (of
// every script: Latin and Cyrillic as always, the rest by Unicode's simple mapping).
#include <functional>
#include <string>
#include <string_view>

#include "workspace/Cp1251.h"

class TextFinder {
 public:
  TextFinder(std::string_view needle, bool caseSense);

  // The position of the first occurrence at or after `from`, or npos.
  size_t find(std::string_view text, size_t from = 0) const { return match(text, from).at; }
  bool in(std::string_view text) const { return find(text) != std::string_view::npos; }
  // Every occurrence replaced, left to right, not overlapping, the replacement not
  // searched again; `count` receives how many there were.
  Text replaceAll(std::string_view text, std::string_view replacement, size_t& count) const;

 private:
  // An occurrence and its length in bytes, which without case may differ from the
  // needle's (a letter and its other case can take different numbers of bytes).
  struct Match {
    size_t at = std::string_view::npos;
    size_t length = 0;
  };
  Match match(std::string_view text, size_t from) const;

  Text needle_;
  std::u32string upper_;  // the needle's characters upper-cased, when the case does not matter
  bool caseSense_;
};
