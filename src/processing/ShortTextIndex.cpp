#include "processing/ShortTextIndex.h"

#include <bit>

namespace {

std::uint32_t Pack(const int* bytes, size_t len) {
  std::uint32_t key = 0;
  for (size_t k = 0; k < len; ++k) key = key << 8 | static_cast<std::uint32_t>(bytes[k]);
  return key;
}

// The characters of an upper-cased text, and the Windows-1251 byte of each (-1 for none).
struct Chars {
  std::u32string points;
  std::vector<int> bytes;
  explicit Chars(std::string_view upper) {
    points.reserve(upper.size());
    bytes.reserve(upper.size());
    for (size_t pos = 0; pos < upper.size();) {
      const char32_t cp = utf8::Next(upper, pos);
      points += cp;
      const auto byte = cp1251::Encode(cp);
      bytes.push_back(byte ? *byte : -1);
    }
  }
  bool narrow(size_t at, size_t len) const {
    for (size_t k = at; k < at + len; ++k)
      if (bytes[k] < 0) return false;
    return true;
  }
};

}  // namespace

ShortTextIndex::ShortTextIndex(std::string_view dictionary) {
  const Chars text(utf8::Upper(dictionary));
  const size_t n = text.points.size();
  for (size_t len = 1; len <= 3; ++len) shortSeen_[len - 1].assign(size_t{1} << (8 * len), false);
  const size_t quads = n >= 4 ? n - 3 : 0;
  slots_.assign(std::bit_ceil(quads * 2 + 2), 0);
  mask_ = static_cast<std::uint32_t>(slots_.size() - 1);
  for (size_t i = 0; i < n; ++i) {
    for (size_t len = 1; len <= kMaxLength && i + len <= n; ++len) {
      if (!text.narrow(i, len)) {
        wide_.insert(text.points.substr(i, len));
        continue;
      }
      const std::uint32_t key = Pack(text.bytes.data() + i, len);
      if (len < kMaxLength)
        shortSeen_[len - 1][key] = true;
      else
        insert(key);
    }
  }
}

bool ShortTextIndex::contains(std::string_view text) const {
  const Chars chars(utf8::Upper(text));
  const size_t len = chars.points.size();
  if (len == 0 || len > kMaxLength) return false;
  if (!chars.narrow(0, len)) return wide_.count(chars.points) != 0;
  const std::uint32_t key = Pack(chars.bytes.data(), len);
  if (len < kMaxLength) return shortSeen_[len - 1][key];
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
