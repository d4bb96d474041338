#include "processing/ShortTextIndex.h"

#include <bit>

namespace {

std::uint32_t Pack(std::string_view upper) {
  std::uint32_t key = 0;
  for (char c : upper) key = key << 8 | static_cast<unsigned char>(c);
  return key;
}

}  // namespace

ShortTextIndex::ShortTextIndex(std::string_view dictionary) {
  const Text upper = cp1251::Upper(dictionary);
  for (size_t len = 1; len <= 3; ++len) shortSeen_[len - 1].assign(size_t{1} << (8 * len), false);
  const size_t quads = upper.size() >= 4 ? upper.size() - 3 : 0;
  slots_.assign(std::bit_ceil(quads * 2 + 2), 0);
  mask_ = static_cast<std::uint32_t>(slots_.size() - 1);
  const std::string_view text = upper;
  for (size_t i = 0; i < text.size(); ++i) {
    for (size_t len = 1; len <= kMaxLength && i + len <= text.size(); ++len) {
      const std::uint32_t key = Pack(text.substr(i, len));
      if (len < kMaxLength)
        shortSeen_[len - 1][key] = true;
      else
        insert(key);
    }
  }
}

bool ShortTextIndex::contains(std::string_view text) const {
  if (text.empty() || text.size() > kMaxLength) return false;
  const std::uint32_t key = Pack(cp1251::Upper(text));
  if (text.size() < kMaxLength) return shortSeen_[text.size() - 1][key];
  return find(key);
}

size_t ShortTextIndex::slotOf(std::uint32_t key) const {
  // Fibonacci hashing spreads the packed letters, whose low bytes vary least.
  return static_cast<size_t>((std::uint64_t{key} * 0x9E3779B97F4A7C15ull) >> 29) & mask_;
}

void ShortTextIndex::insert(std::uint32_t key) {
  if (key == 0) {
    hasZeroKey_ = true;
    return;
  }
  for (size_t s = slotOf(key);; s = (s + 1) & mask_) {
    if (slots_[s] == key) return;
    if (slots_[s] == 0) {
      slots_[s] = key;
      return;
    }
  }
}

bool ShortTextIndex::find(std::uint32_t key) const {
  if (key == 0) return hasZeroKey_;
  for (size_t s = slotOf(key);; s = (s + 1) & mask_) {
    if (slots_[s] == key) return true;
    if (slots_[s] == 0) return false;
  }
}
