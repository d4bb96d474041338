#pragma once
// Finding the strings of a ROM: runs of consecutive bytes that all have a character.
// A ROM of random-looking data changes between text and non-text bytes every few bytes,
// which defeats a byte-by-byte loop's branch prediction; the runs are found instead
// from a bit mask of the text bytes, 64 bytes to a word. The mask is made a block at a
// time just ahead of the search, so the bytes of a run are still in the cache when its
// line is written.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class TextRunFinder {
 public:
  // minLength 0 is taken as 1: a run has at least one byte.
  TextRunFinder(std::string_view image, const std::array<bool, 256>& isText, size_t minLength);

  // Calls onRun(start, end) for every run of at least minLength text bytes, [start, end)
  // as offsets, in ascending order.
  template <class OnRun>
  void forEachRun(OnRun&& onRun);

  // The first text byte at or after `from`, or the image size when there is none.
  size_t next(size_t from);

  // Most tables give characters to a few blocks of codes (the ASCII letters, a Cyrillic
  // block); those are tested 16 bytes at a time, other tables byte by byte.
  struct CodeRanges {
    int count = 0;
    std::array<unsigned char, 4> low{};
    std::array<unsigned char, 4> span{};  // high - low
  };

 private:
  std::uint64_t word(size_t w) {
    if (w >= built_) build(w);
    return mask_[w];
  }
  void build(size_t w);
  std::uint64_t candidates(size_t w);
  size_t runEnd(size_t from);

  const unsigned char* bytes_;
  size_t size_;
  size_t minLength_;
  size_t probe_;                             // a run is first recognised by this many text bytes in a row (at most 32)
  std::array<std::uint64_t, 256> isText_{};  // 0 or 1
  std::optional<CodeRanges> ranges_;
  std::vector<std::uint64_t> mask_;  // bit k of word w: byte 64w + k is a text byte; padded with 0
  size_t built_ = 0;                 // words of mask_ made so far
};

// Bit k: bytes 64w + k to 64w + k + probe - 1 are all text bytes.
inline std::uint64_t TextRunFinder::candidates(size_t w) {
  const std::uint64_t ahead = word(w + 1);
  const std::uint64_t here = mask_[w];
  std::uint64_t c = here;
  for (size_t j = 1; j < probe_; ++j) c &= (here >> j) | (ahead << (64 - j));
  return c;
}

inline size_t TextRunFinder::runEnd(size_t from) {
  size_t w = from / 64;
  std::uint64_t gaps = ~word(w) & (~std::uint64_t{0} << (from % 64));
  while (gaps == 0) gaps = ~word(++w);  // the zero word at the end stops this
  const size_t end = 64 * w + static_cast<size_t>(std::countr_zero(gaps));
  return end < size_ ? end : size_;
}

inline size_t TextRunFinder::next(size_t from) {
  if (from >= size_) return size_;
  size_t w = from / 64;
  std::uint64_t bits = word(w) & (~std::uint64_t{0} << (from % 64));
  while (bits == 0) {
    if (++w == mask_.size()) return size_;
    bits = word(w);
  }
  return std::min(size_, 64 * w + static_cast<size_t>(std::countr_zero(bits)));
}

template <class OnRun>
void TextRunFinder::forEachRun(OnRun&& onRun) {
  // A run of length L shows as L - probe + 1 candidate bits in a row; the first of them
  // is where it starts.
  std::uint64_t carry = 0;  // the last candidate bit of the word before
  for (size_t w = 0; w + 1 < mask_.size(); ++w) {
    const std::uint64_t c = candidates(w);
    std::uint64_t starts = c & ~((c << 1) | carry);
    carry = c >> 63;
    while (starts != 0) {
      const size_t start = 64 * w + static_cast<size_t>(std::countr_zero(starts));
      starts &= starts - 1;
      const size_t end = runEnd(start + probe_);
      if (end - start >= minLength_) onRun(start, end);
    }
  }
}
