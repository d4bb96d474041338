#pragma once
// The texts of the translation laid end to end in one buffer, so that each dictionary
// pair costs one fast substring search over the whole translation instead of one
// search per line.
#include <functional>
#include <string_view>
#include <vector>

#include "workspace/Cp1251.h"

class TranslationTexts {
 public:
  // Only lines with an address take part; a line without a space is never touched.
  explicit TranslationTexts(const std::vector<Text>& lines);

  // Replaces every occurrence of `word` (left to right, not overlapping, the
  // replacement not searched again) in the texts that contain it. `touched` hears
  // of each such line, in line order, before anything is replaced. An empty word is
  // contained in every non-empty text and replaces nothing. Returns the lines touched.
  size_t replaceAll(std::string_view word, std::string_view replacement,
                    const std::function<void(size_t line)>& touched);

  // Puts the changed texts back behind their addresses.
  void writeBack(std::vector<Text>& lines) const;

 private:
  struct Entry {
    size_t line;
    size_t textOffset;  // where the text starts in the line, after the first space
    size_t start;       // where it starts in the buffer
    size_t len;
    bool changed = false;
  };

  size_t entryAt(size_t pos, size_t from) const;
  void rebuild(const std::vector<size_t>& hits, size_t wordLen, std::string_view replacement);

  Text buffer_;
  std::vector<Entry> entries_;
};
