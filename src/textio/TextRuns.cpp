#include "textio/TextRuns.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr size_t kProbeLimit = 32;
constexpr size_t kBlockWords = 256;  // 16 KiB of image at a time

using CodeRanges = TextRunFinder::CodeRanges;

std::optional<CodeRanges> RangesOf(const std::array<bool, 256>& isText) {
  CodeRanges r;
  for (int code = 0; code < 256;) {
    if (!isText[static_cast<size_t>(code)]) {
      ++code;
      continue;
    }
    int last = code;
    while (last + 1 < 256 && isText[static_cast<size_t>(last + 1)]) ++last;
    if (r.count == 4) return std::nullopt;
    r.low[static_cast<size_t>(r.count)] = static_cast<unsigned char>(code);
    r.span[static_cast<size_t>(r.count)] = static_cast<unsigned char>(last - code);
    ++r.count;
    code = last + 1;
  }
  return r;
}

// Eight 0/1 bytes, gathered into the eight low bits by one multiplication: every byte's
// bit lands in the top byte at its own place and no two partial products meet.
std::uint64_t PackBits(std::uint64_t bytesOf01) {
  return (bytesOf01 * 0x0102040810204080ULL) >> 56;
}

std::uint64_t LookupMask(const unsigned char* b, size_t count, const std::array<std::uint64_t, 256>& text) {
  std::uint64_t word = 0;
  if (count < 64) {
    for (size_t k = 0; k < count; ++k) word |= text[b[k]] << k;
    return word;
  }
  for (size_t k = 0; k < 64; k += 8, b += 8) {
    const std::uint64_t eight = text[b[0]] | text[b[1]] << 8 | text[b[2]] << 16 | text[b[3]] << 24 | text[b[4]] << 32 |
                                text[b[5]] << 40 | text[b[6]] << 48 | text[b[7]] << 56;
    word |= PackBits(eight) << k;
  }
  return word;
}

#ifdef __SSE2__
std::uint64_t RangeMask(const unsigned char* b, const CodeRanges& r) {
  std::uint64_t word = 0;
  for (size_t k = 0; k < 64; k += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k));
    __m128i in = _mm_setzero_si128();
    for (int i = 0; i < r.count; ++i) {
      // low <= v <= high exactly when v - low, wrapping, is at most high - low.
      const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(r.low[static_cast<size_t>(i)])));
      const __m128i span = _mm_set1_epi8(static_cast<char>(r.span[static_cast<size_t>(i)]));
      in = _mm_or_si128(in, _mm_cmpeq_epi8(_mm_min_epu8(d, span), d));
    }
    word |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(in))) << k;
  }
  return word;
}
#endif

}  // namespace

TextRunFinder::TextRunFinder(std::string_view image, const std::array<bool, 256>& isText, size_t minLength)
    : bytes_(reinterpret_cast<const unsigned char*>(image.data())),
      size_(image.size()),
      minLength_(std::max<size_t>(minLength, 1)),
      probe_(std::min(minLength_, kProbeLimit)),
      ranges_(RangesOf(isText)) {
  for (size_t code = 0; code < 256; ++code) isText_[code] = isText[code] ? 1 : 0;
  // Words 0 .. size / 64 cover the image (the last one partly or not at all); one more
  // zero word ends every run and every look-ahead.
  mask_.assign(size_ / 64 + 2, 0);
}

void TextRunFinder::build(size_t w) {
  const size_t full = size_ / 64;
  const size_t until = std::min(std::max(w + 1, built_ + kBlockWords), mask_.size());
  for (; built_ < until; ++built_) {
    const unsigned char* b = bytes_ + 64 * built_;
    if (built_ >= full) {
      mask_[built_] = built_ == full ? LookupMask(b, size_ % 64, isText_) : 0;
      continue;
    }
#ifdef __SSE2__
    mask_[built_] = ranges_ ? RangeMask(b, *ranges_) : LookupMask(b, 64, isText_);
#else
    mask_[built_] = LookupMask(b, 64, isText_);
#endif
  }
}
