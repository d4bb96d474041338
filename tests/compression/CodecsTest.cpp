#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <random>

#include "compression/Codecs.h"

namespace {

using Bytes = std::string;

// An unpacker written from the format description alone, sharing nothing with the
// program's: it also records the shortest LZ77 copy distance it met.
struct Reference {
  Bytes out;
  bool ok = false;
  size_t minDistance = SIZE_MAX;
};

unsigned U8(const Bytes& s, size_t i) {
  return static_cast<unsigned char>(s.at(i));
}

Reference RefUnpack(const Bytes& s) {
  Reference r;
  try {
    const unsigned type = U8(s, 0);
    const size_t size = U8(s, 1) | U8(s, 2) << 8 | U8(s, 3) << 16;
    size_t in = 4;
    if (type == 0x10) {
      while (r.out.size() < size) {
        const unsigned flags = U8(s, in++);
        for (int bit = 7; bit >= 0 && r.out.size() < size; --bit) {
          if (!(flags >> bit & 1)) {
            r.out += s.at(in++);
            continue;
          }
          const unsigned b0 = U8(s, in++), b1 = U8(s, in++);
          const size_t len = (b0 >> 4) + 3, dist = ((b0 & 15) << 8 | b1) + 1;
          if (dist > r.out.size() || r.out.size() + len > size) return r;
          r.minDistance = std::min(r.minDistance, dist);
          for (size_t k = 0; k < len; ++k) r.out += r.out[r.out.size() - dist];
        }
      }
    } else if (type == 0x30) {
      while (r.out.size() < size) {
        const unsigned f = U8(s, in++);
        if (f & 0x80) {
          r.out.append((f & 0x7F) + 3, s.at(in++));
        } else {
          for (unsigned k = 0; k <= (f & 0x7F); ++k) r.out += s.at(in++);
        }
      }
      if (r.out.size() != size) return r;
    } else if (type == 0x24 || type == 0x28) {
      if (size == 0) return r.ok = true, r;
      const size_t treeEnd = 4 + (U8(s, 4) + 1) * 2;
      std::vector<unsigned> symbols;
      const size_t want = type == 0x28 ? size : size * 2;
      size_t node = 5;
      for (size_t w = treeEnd; symbols.size() < want; w += 4) {
        const std::uint32_t word = U8(s, w) | U8(s, w + 1) << 8 | U8(s, w + 2) << 16 | U8(s, w + 3) << 24;
        for (int b = 31; b >= 0 && symbols.size() < want; --b) {
          const unsigned bit = word >> b & 1, v = U8(s, node);
          const size_t child = (node / 2 * 2) + (v & 63) * 2 + 2 + bit;
          if (child >= treeEnd) return r;
          if (v & (bit ? 0x40 : 0x80)) {
            symbols.push_back(U8(s, child));
            node = 5;
          } else {
            node = child;
          }
        }
      }
      for (size_t i = 0; i < symbols.size(); ++i) {
        if (type == 0x28) r.out += static_cast<char>(symbols[i]);
        else if (i % 2 == 0) r.out += static_cast<char>(symbols[i]);
        else r.out.back() = static_cast<char>(U8(r.out, r.out.size() - 1) | symbols[i] << 4);
      }
    } else {
      return r;
    }
  } catch (const std::out_of_range&) {
    return r;
  }
  r.ok = true;
  return r;
}

Bytes Random(size_t n, unsigned alphabet, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() % alphabet);
  return s;
}

// 4bpp tiles of a font: strokes on a background, many tiles alike.
Bytes Tiles(size_t tiles, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes s;
  for (size_t t = 0; t < tiles; ++t)
    for (int row = 0; row < 8; ++row) {
      const unsigned pattern = rng() % 6 == 0 ? rng() : 0x11111111u * (rng() % 3);
      for (int k = 0; k < 4; ++k) s += static_cast<char>(pattern >> (8 * k));
    }
  return s;
}

Bytes Runs(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes s;
  while (s.size() < n) s.append(std::min<size_t>(1 + rng() % 300, n - s.size()), static_cast<char>(rng() % 4));
  return s;
}

Bytes AllBytes(size_t repeats) {
  Bytes s;
  for (size_t r = 0; r < repeats; ++r)
    for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
  return s;
}

Bytes TextSample() {
  Bytes s;
  for (int i = 0; i < 400; ++i) s += "The hero takes the potion. Герой берёт зелье! " + std::to_string(i * 37) + "\n";
  return s;
}

std::vector<std::pair<const char*, Bytes>> Inputs() {
  return {{"empty", ""},
          {"one", "A"},
          {"two", "AB"},
          {"three same", "ZZZ"},
          {"random small", Random(37, 256, 1)},
          {"random 64K", Random(65536, 256, 2)},
          {"low alphabet", Random(20000, 3, 3)},
          {"tiles", Tiles(512, 4)},
          {"text", TextSample()},
          {"runs", Runs(50000, 5)},
          {"all 256 values", AllBytes(3)},
          {"zeros", Bytes(70000, '\0')}};
}

using Packer = std::function<Bytes(const Bytes&)>;

const std::vector<std::pair<const char*, Packer>>& Packers() {
  static const std::vector<std::pair<const char*, Packer>> packers = {
      {"LZ77", [](const Bytes& s) { return PackLz77(s, true); }},
      {"LZ77WRAM", [](const Bytes& s) { return PackLz77(s, false); }},
      {"RLE", [](const Bytes& s) { return PackRle(s); }},
      {"HUFF4", [](const Bytes& s) { return PackHuffman(s, 4); }},
      {"HUFF8", [](const Bytes& s) { return PackHuffman(s, 8); }},
  };
  return packers;
}

TEST(Codecs, EveryPackerRoundTripsThroughBothUnpackers) {
  for (const auto& [packerName, pack] : Packers())
    for (const auto& [inputName, input] : Inputs()) {
      SCOPED_TRACE(std::string(packerName) + " / " + inputName);
      const Bytes stream = pack(input);
      if (input.empty()) {
        EXPECT_EQ(stream.size(), 4u);
      }
      const Reference ref = RefUnpack(stream);
      ASSERT_TRUE(ref.ok);
      EXPECT_EQ(ref.out, input);
      const UnpackResult ours = Unpack(stream);
      ASSERT_EQ(ours.error, StreamError::None);
      EXPECT_FALSE(ours.overran);
      EXPECT_EQ(ours.data, input);
      EXPECT_EQ(ours.packedSize, stream.size());
      if (std::string(packerName) == "LZ77") {
        EXPECT_GE(ref.minDistance, 2u);
      }
    }
}

TEST(Codecs, OneMebibyteOfTilesRoundTrips) {
  const Bytes input = Tiles(32768, 9);
  for (const auto& [name, pack] : Packers()) {
    SCOPED_TRACE(name);
    const Reference ref = RefUnpack(pack(input));
    ASSERT_TRUE(ref.ok);
    EXPECT_TRUE(ref.out == input);
  }
}

// The smallest LZ77 stream by trying every parse: each position a literal or any copy
// that matches, at every distance and length.
size_t BruteLz77(const Bytes& s, size_t i, int slot, size_t minDistance) {
  if (i == s.size()) return 0;
  const size_t flag = slot == 0 ? 1 : 0;
  size_t best = flag + 1 + BruteLz77(s, i + 1, (slot + 1) % 8, minDistance);
  for (size_t d = minDistance; d <= i && d <= 4096; ++d)
    for (size_t len = 1; len <= 18 && i + len <= s.size(); ++len) {
      if (s[i + len - 1] != s[i + len - 1 - d]) break;
      if (len >= 3) best = std::min(best, flag + 2 + BruteLz77(s, i + len, (slot + 1) % 8, minDistance));
    }
  return best;
}

size_t BruteRle(const Bytes& s, size_t i) {
  if (i == s.size()) return 0;
  size_t best = SIZE_MAX;
  for (size_t k = 1; k <= 128 && i + k <= s.size(); ++k) best = std::min(best, 1 + k + BruteRle(s, i + k));
  for (size_t k = 2; k <= 130 && i + k <= s.size() && s[i + k - 1] == s[i]; ++k)
    if (k >= 3) best = std::min(best, 2 + BruteRle(s, i + k));
  return best;
}

TEST(Codecs, LzAndRleSizesMatchEveryParseTried) {
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    const size_t n = 1 + rng() % 11;
    const Bytes s = Random(n, 1 + rng() % 3, rng());
    SCOPED_TRACE(testing::PrintToString(s));
    EXPECT_EQ(PackLz77(s, true).size(), 4 + BruteLz77(s, 0, 0, 2));
    EXPECT_EQ(PackLz77(s, false).size(), 4 + BruteLz77(s, 0, 0, 1));
    EXPECT_EQ(PackRle(s).size(), 4 + BruteRle(s, 0));
  }
}

// The smallest LZ77 size by the plain rules: every distance of the window tried at
// every position, then the cheapest parse over positions and flag slots.
size_t PlainSmallestLz77(const Bytes& s, size_t minDistance) {
  const size_t n = s.size();
  std::vector<size_t> longest(n, 0);
  for (size_t i = 0; i < n; ++i)
    for (size_t d = minDistance; d <= i && d <= 4096 && longest[i] < 18; ++d) {
      size_t len = 0;
      while (len < 18 && i + len < n && s[i + len] == s[i + len - d]) ++len;
      longest[i] = std::max(longest[i], len);
    }
  std::vector<std::array<size_t, 8>> cost(n + 1);
  cost[n].fill(0);
  for (size_t i = n; i-- > 0;)
    for (size_t slot = 0; slot < 8; ++slot) {
      const size_t next = (slot + 1) % 8, flag = slot == 0;
      size_t best = flag + 1 + cost[i + 1][next];
      for (size_t len = 3; len <= longest[i]; ++len) best = std::min(best, flag + 2 + cost[i + len][next]);
      cost[i][slot] = best;
    }
  return 4 + cost[0][0];
}

TEST(Codecs, LzSizeMatchesThePlainSearchAcrossTheWindow) {
  // Long repeats and repeats exactly a window apart, where a faster match finder could lose one.
  Bytes periodic;
  for (size_t i = 0; i < 6000; ++i) periodic += static_cast<char>(i % 4096 < 40 ? i % 4096 : (i * 7) % 13);
  std::vector<Bytes> inputs = {Tiles(160, 21), Runs(5000, 22), Random(5000, 2, 23), periodic};
  // Few symbols: copies of every length start and end everywhere, and the cheapest ends
  // change place from one position to the next.
  std::mt19937 rng(24);
  for (int round = 0; round < 40; ++round) inputs.push_back(Random(1 + rng() % 2000, 1 + rng() % 4, rng()));
  for (const Bytes& input : inputs) {
    SCOPED_TRACE(input.size());
    EXPECT_EQ(PackLz77(input, true).size(), PlainSmallestLz77(input, 2));
    EXPECT_EQ(PackLz77(input, false).size(), PlainSmallestLz77(input, 1));
  }
}

// Huffman's bits are the sum of the weights of the inner nodes of any optimal tree.
size_t OptimalBits(std::map<unsigned, size_t> counts) {
  if (counts.size() == 1) return counts.begin()->second;
  std::multiset<size_t> w;
  for (const auto& [symbol, c] : counts) w.insert(c);
  size_t bits = 0;
  while (w.size() > 1) {
    const size_t a = *w.begin();
    w.erase(w.begin());
    const size_t b = *w.begin();
    w.erase(w.begin());
    bits += a + b;
    w.insert(a + b);
  }
  return bits;
}

TEST(Codecs, HuffmanIsOptimalAndItsTreeFitsForEveryShape) {
  Bytes fibonacci;  // the deepest tree an input of this size can give
  for (size_t a = 1, b = 1, sym = 0; sym < 24; ++sym, std::tie(a, b) = std::make_pair(b, a + b))
    fibonacci.append(a, static_cast<char>(sym * 7));
  Bytes geometric;
  for (int sym = 0; sym < 256; ++sym) geometric.append(1 + (sym % 17) * (sym % 17) * 3, static_cast<char>(sym));
  for (const Bytes& input : {AllBytes(4), fibonacci, geometric, Random(30000, 256, 7), Bytes(999, 'q'), TextSample()})
    for (int bits : {4, 8}) {
      std::map<unsigned, size_t> counts;
      for (char c : input) {
        const unsigned b = static_cast<unsigned char>(c);
        if (bits == 8) ++counts[b];
        else ++counts[b & 15], ++counts[b >> 4];
      }
      const Bytes stream = PackHuffman(input, bits);
      const size_t leaves = std::max<size_t>(counts.size(), 2);
      EXPECT_EQ(stream.size(), 4 + 2 * leaves + (OptimalBits(counts) + 31) / 32 * 4) << bits;
      const Reference ref = RefUnpack(stream);
      ASSERT_TRUE(ref.ok);
      EXPECT_TRUE(ref.out == input);
      EXPECT_EQ(HuffmanTreeUnusedBytes(stream), 0u);
    }
}

Bytes Stream(unsigned type, size_t size, Bytes body) {
  return Bytes{static_cast<char>(type), static_cast<char>(size), static_cast<char>(size >> 8),
               static_cast<char>(size >> 16)} + body;
}

TEST(Codecs, BadStreamsAreRefusedWithTheirReason) {
  struct Case {
    const char* what;
    Bytes stream;
    StreamError error;
  };
  const Case cases[] = {
      {"unknown type", Stream(0x20, 1, "x"), StreamError::UnknownType},
      {"short header", Bytes("\x10\x01", 2), StreamError::Truncated},
      {"size past the data", Stream(0x10, 100, Bytes(5, '\0')), StreamError::Truncated},
      {"copy before the start", Stream(0x10, 8, Bytes("\x40" "A\x00\x05", 4)), StreamError::CopyBeforeStart},
      {"RLE literals past the data", Stream(0x30, 10, Bytes("\x09" "abc", 4)), StreamError::Truncated},
      {"Huffman child out of the tree", Stream(0x28, 1, Bytes("\x01\xC3\x41\x42\x00\x00\x00\x00", 8)),
       StreamError::TreeOutOfRange},
      {"empty tree", Stream(0x28, 1, Bytes("\x00\xC0\x00\x00\x00\x00", 6)), StreamError::EmptyTree},
      {"4-bit leaf above 15", Stream(0x24, 1, Bytes("\x01\xC0\x41\x42\x00\x00\x00\x00", 8)),
       StreamError::BadSymbol},
  };
  for (const Case& c : cases) {
    const UnpackResult r = Unpack(c.stream);
    EXPECT_EQ(r.error, c.error) << c.what;
    EXPECT_TRUE(r.data.empty()) << c.what;
  }
  // Cut anywhere, a good stream of every kind is refused.
  for (const auto& [name, pack] : Packers()) {
    const Bytes stream = pack(TextSample().substr(0, 700));
    for (size_t cut = 0; cut < stream.size(); ++cut)
      EXPECT_NE(Unpack(std::string_view(stream).substr(0, cut)).error, StreamError::None) << name << " " << cut;
  }
}

TEST(Codecs, AnItemPastTheSizeIsCutThereAndSaidSo) {
  // A copy of 18 where 6 bytes are wanted; a run of 10 where 4 are.
  const UnpackResult lz = Unpack(Stream(0x10, 6, Bytes("\x40" "A\xF0\x00", 4)));
  EXPECT_EQ(lz.error, StreamError::None);
  EXPECT_TRUE(lz.overran);
  EXPECT_EQ(lz.data, "AAAAAA");
  const UnpackResult rle = Unpack(Stream(0x30, 4, Bytes("\x87" "B", 2)));
  EXPECT_TRUE(rle.overran);
  EXPECT_EQ(rle.data, "BBBB");
  const StreamCheck check = CheckLz77(Stream(0x10, 6, Bytes("\x40" "A\xF0\x00", 4)));
  EXPECT_TRUE(check.overran);
  // Flag bits after the last item: the finder's zero-tail rule.
  EXPECT_FALSE(CheckLz77(Stream(0x10, 1, Bytes("\x01" "A", 2))).zeroTail);
  EXPECT_TRUE(CheckLz77(Stream(0x10, 1, Bytes("\x00" "A", 2))).zeroTail);
}

TEST(Codecs, ChecksAgreeWithTheUnpackers) {
  std::mt19937 rng(5);
  for (int round = 0; round < 3000; ++round) {
    Bytes s = Random(4 + rng() % 60, 256, rng());
    s[0] = static_cast<char>(round % 2 ? 0x10 : 0x28 - 4 * (round % 4 == 2));
    s[2] = s[3] = 0;
    const UnpackResult u = Unpack(s);
    const StreamCheck c = s[0] == 0x10 ? CheckLz77(s) : CheckHuffman(s);
    EXPECT_EQ(u.error == StreamError::None, c.error == StreamError::None);
    if (u.error == StreamError::None) {
      EXPECT_EQ(u.packedSize, c.packedSize);
      EXPECT_EQ(u.overran, c.overran);
    }
  }
}

}  // namespace
