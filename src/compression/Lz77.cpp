// LZ77 (0x10): groups of a flag byte and up to eight items, a literal byte or a copy of
// 3 to 18 bytes from 1 to 4096 bytes back.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "compression/Codecs.h"

namespace {

constexpr size_t kWindow = 4096;
constexpr int kMinCopy = 3;
constexpr int kMaxCopy = 18;

std::uint8_t At(std::string_view data, size_t i) {
  return static_cast<std::uint8_t>(data[i]);
}

// The copy may overlap what it writes: byte by byte when it does.
void CopyBack(char* out, size_t to, size_t distance, size_t length) {
  if (distance >= length) {
    std::memcpy(out + to, out + to - distance, length);
    return;
  }
  for (size_t k = 0; k < length; ++k) out[to + k] = out[to + k - distance];
}

}  // namespace

UnpackResult UnpackLz77(std::string_view data) {
  UnpackResult r;
  const auto header = ReadStreamHeader(data);
  if (!header || header->type != StreamType::Lz77) {
    r.error = StreamError::UnknownType;
    return r;
  }
  const size_t size = header->size;
  size_t in = 4, o = 0;
  const size_t n = data.size();
  const auto fail = [&r](StreamError e) {
    r.error = e;
    r.data.clear();
    return r;
  };
  // No byte of a stream yields more than 9 bytes (a group of 17 yields at most 144), so a
  // size the data cannot reach is refused before its buffer is made.
  if (size > (n - 4) * 9 + kMaxCopy) return fail(StreamError::Truncated);
  r.data.resize(size);
  char* out = r.data.data();
  while (o < size) {
    if (in >= n) return fail(StreamError::Truncated);
    unsigned flags = At(data, in++);
    for (int bit = 0; bit < 8 && o < size; ++bit, flags <<= 1) {
      if (!(flags & 0x80)) {
        if (in >= n) return fail(StreamError::Truncated);
        out[o++] = data[in++];
        continue;
      }
      if (in + 1 >= n) return fail(StreamError::Truncated);
      const unsigned b0 = At(data, in), b1 = At(data, in + 1);
      in += 2;
      size_t length = (b0 >> 4) + kMinCopy;
      const size_t distance = ((b0 & 0x0F) << 8 | b1) + 1;
      if (distance > o) return fail(StreamError::CopyBeforeStart);
      if (length > size - o) {
        length = size - o;
        r.overran = true;
      }
      CopyBack(out, o, distance, length);
      o += length;
    }
  }
  r.packedSize = in;
  return r;
}

StreamCheck CheckLz77(std::string_view data) {
  StreamCheck c;
  const auto header = ReadStreamHeader(data);
  if (!header || header->type != StreamType::Lz77) {
    c.error = StreamError::UnknownType;
    return c;
  }
  const size_t size = header->size, n = data.size();
  size_t in = 4, o = 0;
  while (o < size) {
    if (in >= n) return c.error = StreamError::Truncated, c;
    unsigned flags = At(data, in++);
    int bit = 0;
    for (; bit < 8 && o < size; ++bit, flags <<= 1) {
      if (!(flags & 0x80)) {
        if (in >= n) return c.error = StreamError::Truncated, c;
        ++in, ++o;
        continue;
      }
      if (in + 1 >= n) return c.error = StreamError::Truncated, c;
      const unsigned b0 = At(data, in), b1 = At(data, in + 1);
      in += 2;
      const size_t length = (b0 >> 4) + kMinCopy;
      if ((((b0 & 0x0F) << 8) | b1) + 1 > o) return c.error = StreamError::CopyBeforeStart, c;
      if (length > size - o) c.overran = true;
      o += std::min(length, size - o);
    }
    if (bit < 8 && (flags & 0xFF) != 0) c.zeroTail = false;
  }
  c.packedSize = in;
  return c;
}

namespace {

// The longest copy at every position, over every distance the window allows. Every
// earlier position in the window is chained by the hash of its first K bytes, for each K
// from 3 to 18, so "is there a copy of K bytes?" is answered by the most recent true
// match in one chain. The previous position's copy, one byte shorter, is a lower bound,
// and most positions need one or two such questions.
struct Matches {
  std::vector<std::uint8_t> length;     // 0 where no copy of 3 bytes or more exists
  std::vector<std::uint16_t> distance;  // of the longest copy
};

// Bigger tables miss the cache more, smaller ones make longer chains: 2^14 heads a length
// packed tile data fastest.
constexpr int kHashBits = 14;
constexpr size_t kTiers = kMaxCopy + 1;  // indexed by K; 0 to 2 unused
// A position whose 18 bytes repeat those of a chained position at most this far back is
// not chained itself: that position stands for it (and for every such repeat since), and
// its `latest` names the newest of them. Chain walks reach this much past the window.
constexpr size_t kTwinReach = 512;
// Links live in a ring; a slot is reused only once its position is out of every walk.
constexpr size_t kLinks = 2 * kWindow;

// Whether the k bytes at a and b agree; k is at most 18, too short for a call to pay.
bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, size_t k) {
  size_t t = 0;
  for (; t + 8 <= k; t += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a + t, 8);
    std::memcpy(&y, b + t, 8);
    if (x != y) return false;
  }
  for (; t < k; ++t)
    if (a[t] != b[t]) return false;
  return true;
}

// Calls f(std::integral_constant<size_t, k>{}) for every copy length k, unrolled: the work
// for one length is a few instructions, and a loop around it would cost as much again.
template <class F>
void ForEachLength(F f) {
  [&]<size_t... K>(std::index_sequence<K...>) {
    (f(std::integral_constant<size_t, K + kMinCopy>{}), ...);
  }(std::make_index_sequence<kMaxCopy - kMinCopy + 1>{});
}

// The first k bytes of a little-endian word.
constexpr std::array<std::uint64_t, 9> kLowBytes = {0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF, 0xFFFFFFFFFF, 0xFFFFFFFFFFFF, 0xFFFFFFFFFFFFFF, ~std::uint64_t{0}};

class PrefixChains {
 public:
  explicit PrefixChains(const std::uint8_t* p) : p_(p) {
    for (auto& h : head_) h.fill(-1);
  }
  // Hashes position i's prefixes of up to `limit` bytes for the look-ups and the entry.
  // Each prefix is hashed on its own from the bytes' three words (no chain of dependent
  // multiplies), all sixteen side by side; near the end the missing bytes read as 0, and
  // the prefixes they reach are never used.
  void at(size_t i, size_t limit) {
    std::array<std::uint8_t, kMaxCopy> tail{};
    const std::uint8_t* q = p_ + i;
    if (limit < kMaxCopy) q = static_cast<const std::uint8_t*>(std::memcpy(tail.data(), q, limit));
    std::uint64_t w0, w1;
    std::uint16_t w2;
    std::memcpy(&w0, q, 8);
    std::memcpy(&w1, q + 8, 8);
    std::memcpy(&w2, q + 16, 2);
    constexpr std::uint64_t kMul0 = 0x9E3779B97F4A7C15u, kMul1 = 0xC2B2AE3D27D4EB4Fu, kMul2 = 0x165667B19E3779F9u;
    constexpr int kShift = 64 - kHashBits;
    const std::uint64_t h8 = w0 * kMul0, h16 = h8 ^ w1 * kMul1;
    ForEachLength([&](auto k) {
      if constexpr (k <= 8)
        hash_[k] = static_cast<std::uint32_t>((w0 & kLowBytes[k]) * kMul0 >> kShift);
      else if constexpr (k <= 16)
        hash_[k] = static_cast<std::uint32_t>((h8 ^ (w1 & kLowBytes[k - 8]) * kMul1) >> kShift);
      else
        hash_[k] = static_cast<std::uint32_t>((h16 ^ (w2 & kLowBytes[k - 16]) * kMul2) >> kShift);
    });
    limit_ = limit;
  }
  // Chains position i (hashed last) under each of its prefixes.
  void enter(size_t i) {
    auto& links = prev_[i & (kLinks - 1)];
    const auto link = [&](size_t k) {
      links[k] = head_[k][hash_[k]];
      head_[k][hash_[k]] = static_cast<std::int32_t>(i);
    };
    if (limit_ == kMaxCopy)
      ForEachLength(link);
    else
      for (size_t k = kMinCopy; k <= limit_; ++k) link(k);
    latest_[i & (kLinks - 1)] = static_cast<std::int32_t>(i);
  }
  // A repeat of chained position `chained` is now far enough back to be copied from.
  void repeatReady(size_t chained, size_t repeat) { latest_[chained & (kLinks - 1)] = static_cast<std::int32_t>(repeat); }

  struct Found {
    std::int32_t chained = -1;  // the chained position, -1 when none
    size_t source = 0;          // where to copy from: it or its newest repeat
  };
  // A position in the window, at least `minDistance` back, whose first k bytes are
  // position i's (hashed last).
  Found find(size_t i, size_t k, size_t minDistance) const {
    for (std::int32_t j = head_[k][hash_[k]]; j >= 0 && i - j <= kWindow + kTwinReach;
         j = prev_[j & (kLinks - 1)][k]) {
      const size_t source = static_cast<size_t>(latest_[j & (kLinks - 1)]);
      if (i - source <= kWindow && i - source >= minDistance && SameBytes(p_ + source, p_ + i, k))
        return {j, source};
    }
    return {};
  }

 private:
  const std::uint8_t* p_;
  std::array<std::array<std::int32_t, size_t{1} << kHashBits>, kTiers> head_;
  std::array<std::array<std::int32_t, kTiers + 1>, kLinks> prev_{};  // by position, then K: one line a position
  std::array<std::int32_t, kLinks> latest_{};
  std::array<std::uint32_t, kTiers> hash_{};
  size_t limit_ = 0;
};

Matches FindLongestMatches(std::string_view in, size_t minDistance) {
  const size_t n = in.size();
  Matches m{std::vector<std::uint8_t>(n, 0), std::vector<std::uint16_t>(n, 0)};
  const auto* p = reinterpret_cast<const std::uint8_t*>(in.data());
  auto chains = std::make_unique<PrefixChains>(p);
  size_t known = 0, knownDistance = 0;  // the previous position's copy, one shorter
  // Repeats not chained, each waiting until it may be copied from (minDistance back).
  std::array<std::pair<size_t, size_t>, 2> waiting{};
  size_t waitingCount = 0;
  for (size_t i = 0; i + kMinCopy <= n; ++i) {
    while (waitingCount > 0 && i - waiting[0].second >= minDistance) {
      chains->repeatReady(waiting[0].first, waiting[0].second);
      waiting[0] = waiting[1];
      --waitingCount;
    }
    const size_t limit = std::min<size_t>(kMaxCopy, n - i);
    chains->at(i, limit);
    // lo: a length reached (with its distance); hi: the first length known unreachable.
    size_t lo = std::min(known, limit), distance = knownDistance, hi = limit + 1;
    if (lo < kMinCopy - 1) lo = kMinCopy - 1;
    std::int32_t fullRepeatOf = -1;
    const auto reach = [&](size_t k) {
      const PrefixChains::Found f = chains->find(i, k, minDistance);
      if (f.chained < 0) return hi = k, false;
      lo = k, distance = i - f.source;
      if (k == kMaxCopy) fullRepeatOf = f.chained;
      return true;
    };
    if (lo < limit && reach(lo + 1) && lo < limit) reach(limit);
    while (lo + 1 < hi) reach((lo + hi) / 2);
    if (lo >= kMinCopy) {
      m.length[i] = static_cast<std::uint8_t>(lo);
      m.distance[i] = static_cast<std::uint16_t>(distance);
    }
    known = lo >= kMinCopy ? lo - 1 : 0, knownDistance = distance;
    if (fullRepeatOf >= 0 && i - fullRepeatOf <= kTwinReach)
      waiting[waitingCount++] = {static_cast<size_t>(fullRepeatOf), i};
    else
      chains->enter(i);
  }
  return m;
}

}  // namespace

std::string PackLz77(std::string_view input, bool vramSafe) {
  if (input.size() > kMaxUnpackedSize) throw std::length_error("LZ77 input above 16 MiB");
  const size_t n = input.size();
  const Matches m = FindLongestMatches(input, vramSafe ? 2 : 1);
  // A stream of L literals and C copies takes ceil((L + C) / 8) flag bytes and L + 2C
  // more, which is ceil(b / 8) for b = 9L + 17C, the bits the items take with their flag
  // bits. Rounding up keeps order, so a parse with the fewest bits is a smallest stream:
  // the shortest path runs over positions alone, a literal weighing 9 and a copy 17.
  // Copies of every length up to the longest are tried, so the parse is exact, not greedy.
  //
  // A copy at i ends anywhere from i + 3 to i + longest(i). The longest match at i, less
  // its first byte, matches at i + 1 from the same distance, so that far end never moves
  // right as i falls (where no copy exists, i + 2 bounds it). The cheapest end is kept by a
  // queue of ends whose costs rise from the far end to the near one: an end is dropped once
  // a nearer one costs no more (every later range holding it holds the nearer one too) or
  // once it lies past the far end.
  std::vector<std::uint32_t> bits(n + 1, 0);
  std::vector<std::uint8_t> choice(n, 0);  // the copy's length, 0 for a literal
  constexpr size_t kQueue = 32;            // a power of two above the 16 ends of a range, plus one
  std::array<std::uint32_t, kQueue> ends{};
  size_t farSlot = 0, nearSlot = 0;        // the queue is ends[farSlot, nearSlot), wrapping
  for (size_t i = n; i-- > 0;) {
    if (i + kMinCopy <= n) {
      const size_t end = i + kMinCopy;
      while (nearSlot != farSlot && bits[ends[(nearSlot - 1) % kQueue]] >= bits[end]) --nearSlot;
      ends[nearSlot++ % kQueue] = static_cast<std::uint32_t>(end);
    }
    const size_t longest = m.length[i], farEnd = i + std::max<size_t>(longest, kMinCopy - 1);
    while (nearSlot != farSlot && ends[farSlot % kQueue] > farEnd) ++farSlot;
    bits[i] = bits[i + 1] + 9;
    if (longest >= kMinCopy && bits[ends[farSlot % kQueue]] + 17 < bits[i]) {
      bits[i] = bits[ends[farSlot % kQueue]] + 17;
      choice[i] = static_cast<std::uint8_t>(ends[farSlot % kQueue] - i);
    }
  }
  std::string out = StreamHeaderBytes(StreamType::Lz77, static_cast<std::uint32_t>(n));
  out.reserve(out.size() + n + n / 8 + 1);
  size_t flagAt = 0;
  for (size_t i = 0, j = 0; i < n; j = (j + 1) & 7) {
    if (j == 0) flagAt = out.size(), out += '\0';
    const size_t len = choice[i];
    if (len == 0) {
      out += input[i++];
      continue;
    }
    const unsigned d = m.distance[i] - 1u;
    out[flagAt] = static_cast<char>(static_cast<std::uint8_t>(out[flagAt]) | (0x80u >> j));
    out += static_cast<char>(((len - kMinCopy) << 4) | (d >> 8));
    out += static_cast<char>(d & 0xFF);
    i += len;
  }
  return out;
}
