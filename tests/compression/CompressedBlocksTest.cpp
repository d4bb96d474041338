#include <gtest/gtest.h>

#include "compression/CompressedBlocks.h"
#include "compression/FreeSpace.h"
#include "support/TestFiles.h"
#include "workspace/Rom.h"

namespace {

using Bytes = std::string;

void PutRom(Workspace& ws, const Bytes& image) {
  ws.RomImage = image;
  DiscardRomWork(ws);
  ws.RomLoaded = true;
}

Bytes Pointer(size_t offset) {
  const std::uint32_t v = 0x08000000u + static_cast<std::uint32_t>(offset);
  return Bytes{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

Bytes Noise(size_t n) {
  Bytes s;
  std::uint32_t x = 12345;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  return s;
}

Bytes Font(size_t n, char salt) {
  Bytes s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>(i % 7 == 0 ? salt + i % 5 : 0x11 * (i / 32 % 3));
  return s;
}

// A ROM with one LZ77 stream at 0x100 reached by two aligned pointers and one odd copy
// of the pointer, then code, then a free tail.
struct PutBench : TestBench {
  Bytes stream = PackLz77(Font(256, 'a'), true);
  Bytes rom;
  PutBench() {
    rom = Bytes(0x100, 'c');
    rom.replace(0x10, 4, Pointer(0x100));
    rom.replace(0x21, 4, Pointer(0x100));
    rom.replace(0x40, 4, Pointer(0x100));
    rom += stream;
    rom += Bytes((4 - rom.size() % 4) % 4, 'c') + Bytes(0x200, 'd') + Bytes(0x400, '\xFF');
    PutRom(ws, rom);
  }
  void putFile(const Bytes& content, const Text& type = Text()) {
    WriteBytes(dir.path() / "in.bin", content);
    host.files.push_back({dir.file("in.bin")});
    PutPackedBlock(ws, "&H100", type);
  }
};

TEST(PutPackedBlock, ASmallerStreamStaysInPlaceAndFreesItsTail) {
  PutBench b;
  const Bytes content = Bytes(256, '\0');
  b.putFile(content);
  const Bytes packed = PackLz77(content, true);
  ASSERT_LT(packed.size(), b.stream.size());
  Bytes expected = b.rom;
  expected.replace(0x100, b.stream.size(), packed + Bytes(b.stream.size() - packed.size(), '\xFF'));
  EXPECT_EQ(b.ws.RomImage, expected);
  EXPECT_TRUE(b.ws.RomChanged);
}

TEST(PutPackedBlock, AGrownStreamMovesAndEveryAlignedPointerFollows) {
  PutBench b;
  const Bytes content = Font(4000, 'x') + Bytes("random tail: \x91\x13\x77\x05\xfe", 18);
  const Bytes packed = PackLz77(content, true);
  ASSERT_GT(packed.size(), b.stream.size());
  ASSERT_LT(packed.size(), 0x400u);
  b.putFile(content);
  const size_t freeAt = b.rom.find_last_not_of('\xFF') + 1, newAt = (freeAt + 3) / 4 * 4;
  Bytes expected = b.rom;
  expected.replace(0x10, 4, Pointer(newAt));
  expected.replace(0x40, 4, Pointer(newAt));  // 0x21 is not aligned: left alone
  expected.replace(0x100, b.stream.size(), Bytes(b.stream.size(), '\xFF'));
  expected.replace(newAt, packed.size(), packed);
  ASSERT_EQ(b.ws.RomImage.size(), expected.size());
  EXPECT_EQ(b.ws.RomImage, expected);
  EXPECT_EQ(b.host.log.back().substr(b.host.log.back().size() - 2), " 2");
  EXPECT_EQ(Unpack(std::string_view(b.ws.RomImage).substr(newAt)).data, content);
}

TEST(PutPackedBlock, NamedFreeRangesAndGrowth) {
  PutBench b;
  b.ws.FreeSpace = "&H1F0-&H2FF;1001-1700";  // the first is taken by the stream and code
  const Bytes content = Font(600, 'q');
  b.putFile(content, "RLE");
  const Bytes packed = PackRle(content);
  ASSERT_GT(packed.size(), b.stream.size());
  ASSERT_LE(packed.size(), 697u);
  EXPECT_EQ(Text(std::string_view(b.ws.RomImage)).substr(1004, packed.size()), packed);
  EXPECT_EQ(Text(std::string_view(b.ws.RomImage)).substr(0x10, 4), Pointer(1004));

  // No room at all: a message, nothing changes; with growth allowed the ROM grows.
  PutBench c;
  c.ws.FreeSpace = "&H1000-&H1003";
  const Bytes big = Noise(3000);
  c.putFile(big);
  EXPECT_EQ(c.ws.RomImage, c.rom);
  EXPECT_FALSE(c.ws.RomChanged);
  EXPECT_EQ(c.host.messages.size(), 1u);
  c.ws.FreeSpace.clear();
  c.ws.AllowRomGrowth = "YES";
  c.putFile(big);
  ASSERT_GT(c.ws.RomImage.size(), c.rom.size());
  EXPECT_EQ(c.ws.RomImage.size() % 4, 0u);
  const size_t newAt = GrowthPlace(c.rom, '\xFF');
  EXPECT_EQ(Text(std::string_view(c.ws.RomImage)).substr(0x10, 4), Pointer(newAt));
  EXPECT_EQ(Unpack(std::string_view(c.ws.RomImage).substr(newAt)).data, big);
}

TEST(PutPackedBlock, BadStreamsAndBadOffsetsChangeNothing) {
  PutBench b;
  Bytes cut = b.rom;
  cut.resize(0x100 + b.stream.size() / 2);  // the stream runs past the ROM's end
  PutRom(b.ws, cut);
  for (const char* offset : {"&H100", "&H0", "&HZZ", "999999"}) {
    b.host.files.push_back({b.dir.file("in.bin")});
    PutPackedBlock(b.ws, offset);
  }
  EXPECT_EQ(b.ws.RomImage, cut);
  EXPECT_FALSE(b.ws.RomChanged);
  EXPECT_EQ(b.host.messages.size(), 4u);
  EXPECT_EQ(b.host.fileRequests.size(), 0u);
  UnpackBlock(b.ws, "&H100");
  EXPECT_EQ(b.host.messages.back().text,
            W("По адресу &H00000100 нет сжатого блока: данные кончаются раньше, чем блок распакован"));
}

TEST(FindCompressed, ReportsEveryStreamOneLineEach) {
  PutBench b;
  b.host.files.push_back({b.dir.file("report.txt")});
  FindCompressed(b.ws);
  EXPECT_EQ(ReadBytes(b.dir.path() / "report.txt"),
            "&H00000100 LZ77 " + std::to_string(b.stream.size()) + " 256 2\r\n");
  EXPECT_EQ(b.host.log.back().rfind(W("Найдено сжатых блоков: 1 (LZ77 1, RLE 0, HUFF4 0, HUFF8 0), из них с поинтерами: 1"), 0),
            0u);
}

TEST(UnpackAndPackFile, WriteWhatTheCodecsGive) {
  PutBench b;
  b.host.files.push_back({b.dir.file("font.bin")});
  UnpackBlock(b.ws, "256");
  EXPECT_EQ(ReadBytes(b.dir.path() / "font.bin"), Font(256, 'a'));
  for (const char* type : {"LZ77", "lz77wram", "RLE", "HUFF4", "HUFF8"}) {
    b.host.files.push_back({b.dir.file("font.bin")});
    b.host.files.push_back({b.dir.file("font.pak")});
    PackFile(b.ws, type);
    const auto kind = ReadPackKind(type);
    EXPECT_EQ(ReadBytes(b.dir.path() / "font.pak"), Pack(Font(256, 'a'), kind->type, !kind->wram)) << type;
  }
}

TEST(FreeSpace, SettingsAreReadStrictly) {
  EXPECT_EQ(ReadFreeRanges("").value().size(), 0u);
  const auto r = ReadFreeRanges(" &H10-&h1F ; 100-200;");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->size(), 2u);
  EXPECT_EQ((*r)[0].last, 0x1Fu);
  for (const char* bad : {"10", "20-10", "&H-5", "1-x"}) EXPECT_FALSE(ReadFreeRanges(bad)) << bad;
  EXPECT_EQ(ReadFreeByte("0"), 0);
  EXPECT_EQ(ReadFreeByte("ff"), 0xFF);
  EXPECT_FALSE(ReadFreeByte("100"));
}

}  // namespace
