#pragma once
// Every text of one to four characters that occurs anywhere in a dictionary, ignoring
// case, so that the vocabulary check asks about each translation line without
// searching the whole dictionary again.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "workspace/Cp1251.h"

class ShortTextIndex {
 public:
  static constexpr size_t kMaxLength = 4;

  explicit ShortTextIndex(std::string_view dictionary);
  // Whether `text` (1 to kMaxLength characters) occurs in the dictionary, case ignored.
  bool contains(std::string_view text) const;

 private:
  // Texts of Windows-1251 characters go by their bytes: those of one to three characters
  // fit a bitmap over all their byte values.
  std::array<std::vector<bool>, 3> shortSeen_;
  // Four-character texts as 32-bit keys in an open-addressing set; 0 marks a free
  // slot, so the key 0 (four NUL bytes) is kept aside.
  std::vector<std::uint32_t> slots_;
  std::uint32_t mask_ = 0;
  bool hasZeroKey_ = false;
  // Texts holding any other character (kana, kanji, ...), as their code points.
  std::unordered_set<std::u32string> wide_;

  void insert(std::uint32_t key);
  bool find(std::uint32_t key) const;
  size_t slotOf(std::uint32_t key) const;
};
