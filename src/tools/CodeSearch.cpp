#include "tools/CodeSearch.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TARVELLO_AVX2_SCAN 1
#endif

namespace {

using Codes = std::bitset<256>;

// The starting codes a search tries, in order.
std::vector<int> TrialCodes(const CodeSearchRequest& r) {
  std::vector<int> codes;
  const int n = static_cast<int>(r.alphabet.size());
  if (n == 0 || n > 256 || r.map.size() != 256) return codes;
  for (int c = std::max(0, r.firstCode); c <= 256 - n; ++c) {
    const bool taken = r.freeOnly && r.map.substr(c, n).find_first_not_of('\0') != std::string_view::npos;
    if (!taken) codes.push_back(c);
  }
  return codes;
}

struct Encoded {
  Text bytes;
  bool unknown = false;
};

// Each character becomes the lowest code that carries it, or stays its own byte.
Encoded Encode(std::string_view map, std::string_view sample) {
  std::array<int, 256> first;
  first.fill(-1);
  for (int code = 255; code >= 0; --code) first[static_cast<unsigned char>(map[code])] = code;
  Encoded e;
  e.bytes.resize(sample.size());
  for (size_t k = 0; k < sample.size(); ++k) {
    const int code = first[static_cast<unsigned char>(sample[k])];
    e.unknown |= code < 0;
    e.bytes[k] = code < 0 ? sample[k] : static_cast<char>(code);
  }
  return e;
}

// How a sample position encodes for a family of starting codes: the starting code plus
// an offset (a character of the alphabet being placed), or a fixed byte.
constexpr int kVariable = 256;
using Signature = std::vector<int>;

struct Group {
  Signature signature;  // kVariable + offset, or the fixed byte
  Codes codes;
  int lowest = 256;
};

Signature SignatureOf(const Encoded& e, std::string_view alphabet, std::string_view sample, int code) {
  Signature sig(sample.size());
  for (size_t k = 0; k < sample.size(); ++k) {
    const size_t offset = alphabet.find(sample[k]);
    const int byte = static_cast<unsigned char>(e.bytes[k]);
    sig[k] = offset != std::string_view::npos && byte == code + static_cast<int>(offset)
                 ? kVariable + static_cast<int>(offset)
                 : byte;
  }
  return sig;
}

// A test one sample position pair puts to an image position: the byte at `at` minus
// the byte at `base` (0 when base < 0) must be `value`.
struct Relation {
  int at = 0;
  int base = -1;
  unsigned char value = 0;
};

class GroupMatcher {
 public:
  GroupMatcher(std::string_view image, const Group& group) : image_(image), group_(group) {
    for (size_t k = 0; k < group.signature.size(); ++k) {
      const int s = group.signature[k];
      if (s >= kVariable)
        variable_.push_back({static_cast<int>(k), s - kVariable});
      else
        fixed_.push_back({static_cast<int>(k), s});
    }
  }

  std::optional<int> lowestMatch() {
    const size_t length = group_.signature.size();
    if (length > image_.size()) return std::nullopt;
    if (variable_.empty()) return fixedPatternOccurs() ? std::optional<int>(group_.lowest) : std::nullopt;
    chooseFilters();
    if (filters_.empty()) return lowestPresentByte();
    scan(image_.size() - length + 1);
    if (best_ < 256) return best_;
    return std::nullopt;
  }

 private:
  struct Position {
    int k;
    int value;  // the offset of a variable position, the byte of a fixed one
  };

  bool fixedPatternOccurs() const {
    Text pattern;
    for (const auto& f : fixed_) pattern += static_cast<char>(f.value);
    return image_.find(pattern) != std::string_view::npos;
  }

  // The most selective tests first: a difference of two letters that are not the same,
  // then a fixed byte; equal neighbours ("ll") and long runs of one byte would pass
  // everywhere in the filled parts of an image.
  void chooseFilters() {
    const Position anchor = variable_.front();
    std::vector<Relation> strong, weak;
    for (size_t i = 1; i < variable_.size(); ++i) {
      const Relation r{variable_[i].k, anchor.k, static_cast<unsigned char>(variable_[i].value - anchor.value)};
      (r.value != 0 ? strong : weak).push_back(r);
    }
    for (const auto& f : fixed_) {
      const Relation r{f.k, -1, static_cast<unsigned char>(f.value)};
      (r.value != 0 && r.value != 0xFF ? strong : weak).push_back(r);
    }
    strong.insert(strong.end(), weak.begin(), weak.end());
    if (strong.size() > 2) strong.resize(2);
    filters_ = strong;
  }

  bool passes(const Relation& r, size_t x) const {
    const auto* p = reinterpret_cast<const unsigned char*>(image_.data()) + x;
    const unsigned char base = r.base < 0 ? 0 : p[r.base];
    return static_cast<unsigned char>(p[r.at] - base) == r.value;
  }

  // Tells whether the sample occurs at x and records the starting code it implies.
  void verify(size_t x) {
    const auto* p = reinterpret_cast<const unsigned char*>(image_.data()) + x;
    const int code = p[variable_.front().k] - variable_.front().value;
    if (code < 0 || code >= best_ || !group_.codes.test(code)) return;
    for (const auto& v : variable_)
      if (p[v.k] != code + v.value) return;
    for (const auto& f : fixed_)
      if (p[f.k] != f.value) return;
    best_ = code;
  }

#if defined(__SSE2__)
  __m128i passes16(const Relation& r, const unsigned char* p) const {
    __m128i at = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + r.at));
    if (r.base >= 0) at = _mm_sub_epi8(at, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + r.base)));
    return _mm_cmpeq_epi8(at, _mm_set1_epi8(static_cast<char>(r.value)));
  }
#endif

#if defined(TARVELLO_AVX2_SCAN)
  // The same scan 32 bytes wide, for processors that have it: the image is read at
  // more than twice the rate of the 16-byte scan.
  __attribute__((target("avx2"))) size_t scanAvx2(size_t count) {
    const auto* data = reinterpret_cast<const unsigned char*>(image_.data());
    const bool two = filters_.size() > 1;
    const auto hits32 = [&](size_t at) __attribute__((target("avx2"))) {
      __m256i hit = passes32(filters_[0], data + at);
      return two ? _mm256_and_si256(hit, passes32(filters_[1], data + at)) : hit;
    };
    size_t x = 0;
    for (; x + 64 <= count && best_ > group_.lowest; x += 64) {
      const __m256i low = hits32(x), high = hits32(x + 32);
      const __m256i any = _mm256_or_si256(low, high);
      if (_mm256_testz_si256(any, any)) continue;
      for (unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(low)); bits != 0; bits &= bits - 1)
        verify(x + static_cast<size_t>(__builtin_ctz(bits)));
      for (unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(high)); bits != 0; bits &= bits - 1)
        verify(x + 32 + static_cast<size_t>(__builtin_ctz(bits)));
    }
    return x;
  }

  __attribute__((target("avx2"))) static __m256i passes32(const Relation& r, const unsigned char* p) {
    __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + r.at));
    if (r.base >= 0) at = _mm256_sub_epi8(at, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + r.base)));
    return _mm256_cmpeq_epi8(at, _mm256_set1_epi8(static_cast<char>(r.value)));
  }
#endif

  void scan(size_t count) {
    size_t x = 0;
#if defined(TARVELLO_AVX2_SCAN)
    if (__builtin_cpu_supports("avx2")) x = scanAvx2(count);
#endif
#if defined(__SSE2__)
    const auto* data = reinterpret_cast<const unsigned char*>(image_.data());
    const bool two = filters_.size() > 1;
    const auto hits16 = [&](size_t at) {
      __m128i hit = passes16(filters_[0], data + at);
      return two ? _mm_and_si128(hit, passes16(filters_[1], data + at)) : hit;
    };
    // Four blocks at a time: almost every block passes no filter, so one test of the
    // four together decides most of the image.
    for (; x + 64 <= count && best_ > group_.lowest; x += 64) {
      const __m128i h0 = hits16(x), h1 = hits16(x + 16), h2 = hits16(x + 32), h3 = hits16(x + 48);
      const __m128i any = _mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3));
      if (_mm_movemask_epi8(any) == 0) continue;
      const __m128i blocks[] = {h0, h1, h2, h3};
      for (size_t b = 0; b < 4; ++b)
        for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(blocks[b])); bits != 0; bits &= bits - 1)
          verify(x + 16 * b + static_cast<size_t>(__builtin_ctz(bits)));
    }
    for (; x + 16 <= count && best_ > group_.lowest; x += 16)
      for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hits16(x))); bits != 0; bits &= bits - 1)
        verify(x + static_cast<size_t>(__builtin_ctz(bits)));
#endif
    for (; x < count && best_ > group_.lowest; ++x)
      if (std::all_of(filters_.begin(), filters_.end(), [&](const Relation& r) { return passes(r, x); })) verify(x);
  }

  // A one-character sample: any byte of the image is an occurrence.
  std::optional<int> lowestPresentByte() const {
    std::array<bool, 256> seen{};
    for (char c : image_) seen[static_cast<unsigned char>(c)] = true;
    const int offset = variable_.front().value;
    for (int code = 0; code < 256; ++code)
      if (group_.codes.test(code) && code + offset < 256 && seen[code + offset]) return code;
    return std::nullopt;
  }

  std::string_view image_;
  const Group& group_;
  std::vector<Position> variable_;
  std::vector<Position> fixed_;
  std::vector<Relation> filters_;
  int best_ = 256;
};

std::vector<Group> GroupTrials(const CodeSearchRequest& r, const std::vector<int>& codes, Codes& unknown) {
  std::vector<Group> groups;
  for (int code : codes) {
    const Encoded e = Encode(PlaceAlphabet(r.map, r.alphabet, code), r.sample);
    if (e.unknown) unknown.set(code);
    Signature sig = SignatureOf(e, r.alphabet, r.sample, code);
    auto it = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.signature == sig; });
    if (it == groups.end()) it = groups.insert(groups.end(), Group{std::move(sig), {}, code});
    it->codes.set(code);
  }
  return groups;  // in order of their lowest code, since the codes come in order
}

bool UnknownUpTo(const Codes& unknown, int lastCode) {
  for (int c = 0; c <= lastCode && c < 256; ++c)
    if (unknown.test(c)) return true;
  return false;
}

}  // namespace

Text PlaceAlphabet(std::string_view map, std::string_view alphabet, int code) {
  Text placed(map);
  for (size_t i = 0; i < alphabet.size() && code + i < placed.size(); ++i) placed[code + i] = alphabet[i];
  return placed;
}

CodeSearchResult FindAlphabetCode(const CodeSearchRequest& r) {
  Codes unknown;
  const std::vector<Group> groups = GroupTrials(r, TrialCodes(r), unknown);
  std::optional<int> best;
  for (const Group& group : groups) {
    if (best && group.lowest >= *best) break;
    const std::optional<int> found = GroupMatcher(r.image, group).lowestMatch();
    if (found && (!best || *found < *best)) best = found;
  }
  return {best, UnknownUpTo(unknown, best.value_or(255))};
}

CodeSearchResult FindAlphabetCodeOrdered(const CodeSearchRequest& r) {
  CodeSearchResult result;
  for (int code : TrialCodes(r)) {
    const Encoded e = Encode(PlaceAlphabet(r.map, r.alphabet, code), r.sample);
    result.unknownChars |= e.unknown;
    if (r.image.find(e.bytes) != std::string_view::npos) {
      result.code = code;
      return result;
    }
  }
  return result;
}
