#include <gtest/gtest.h>

#include <random>

#include "compression/StreamFinder.h"

namespace {

using Bytes = std::string;

// The finder's rules applied the slow way: every aligned offset unpacked whole.
std::vector<FoundStream> NaiveFind(const Bytes& rom) {
  std::vector<FoundStream> found;
  for (size_t at = 0; at + 4 <= rom.size(); at += 4) {
    const std::string_view data = std::string_view(rom).substr(at);
    const auto header = ReadStreamHeader(data);
    if (!header || header->size == 0) continue;
    const UnpackResult r = Unpack(data);
    if (r.error != StreamError::None || r.overran) continue;
    if (header->type == StreamType::Lz77 && !CheckLz77(data).zeroTail) continue;
    if ((header->type == StreamType::Huff4 || header->type == StreamType::Huff8) && HuffmanTreeUnusedBytes(data) > 3)
      continue;
    size_t pointers = 0;
    for (size_t p = 0; p + 4 <= rom.size(); p += 4)
      pointers += rom.compare(p, 4, Bytes{char(at), char(at >> 8), char(at >> 16), char(8 + (at >> 24))}) == 0;
    found.push_back({at, header->type, r.packedSize, header->size, pointers});
  }
  return found;
}

void Put(Bytes& rom, size_t at, const Bytes& what) {
  rom.replace(at, what.size(), what);
}

Bytes Pointer(size_t offset) {
  const std::uint32_t v = 0x08000000u + static_cast<std::uint32_t>(offset);
  return Bytes{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

bool Same(const FoundStream& a, const FoundStream& b) {
  return a.offset == b.offset && a.type == b.type && a.packedSize == b.packedSize &&
         a.unpackedSize == b.unpackedSize && a.pointers == b.pointers;
}

TEST(StreamFinder, FindsWhatUnpackingEveryOffsetFinds) {
  std::mt19937 rng(3);
  for (int round = 0; round < 6; ++round) {
    // Random bytes, dense in header bytes, with sizes kept small so the slow way stays quick.
    Bytes rom(1 << 15, '\0');
    for (char& c : rom) c = static_cast<char>(rng() % 3 == 0 ? 0x10 + 0x10 * (rng() % 3) : rng());
    for (size_t at = 3; at < rom.size(); at += 4) rom[at] = 0;
    Bytes tiles;
    for (int i = 0; i < 900; ++i) tiles += static_cast<char>(i / 40 % 3);
    const Bytes streams[] = {PackLz77(tiles, true), PackRle(tiles), PackHuffman(tiles, 4), PackHuffman(tiles, 8)};
    size_t at = 1000 + 4 * (rng() % 16);
    size_t table = 30000;
    for (const Bytes& s : streams) {
      Put(rom, at, s);
      Put(rom, table, Pointer(at));
      table += 4;
      at += (s.size() + 64) / 4 * 4;
    }
    const std::vector<FoundStream> fast = FindStreams(rom), slow = NaiveFind(rom);
    ASSERT_EQ(fast.size(), slow.size());
    for (size_t i = 0; i < fast.size(); ++i) EXPECT_TRUE(Same(fast[i], slow[i])) << fast[i].offset;
    size_t planted = 0;
    for (const FoundStream& f : fast) planted += f.pointers > 0 && f.unpackedSize == tiles.size();
    EXPECT_EQ(planted, 4u);
  }
}

TEST(StreamFinder, OnlyAlignedStreamsCount) {
  const Bytes stream = PackLz77(Bytes(64, 'a'), true);
  Bytes rom(256, '\xFF');
  Put(rom, 6, stream);
  Put(rom, 100, stream);
  Put(rom, 200, Pointer(100) + Pointer(100));
  const auto found = FindStreams(rom);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].offset, 100u);
  EXPECT_EQ(found[0].packedSize, stream.size());
  EXPECT_EQ(found[0].pointers, 2u);
}

}  // namespace
