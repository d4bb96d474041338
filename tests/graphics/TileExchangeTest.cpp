#include <gtest/gtest.h>
#include <png.h>

#include <random>

#include "compression/Codecs.h"
#include "graphics/Png.h"
#include "graphics/TileExchange.h"
#include "graphics/TileView.h"
#include "textio/GbaPointer.h"
#include "support/TestFiles.h"
#include "workspace/Files.h"
#include "workspace/Rom.h"

namespace {

void PutRom(Workspace& ws, const std::string& image) {
  ws.RomImage = image;
  DiscardRomWork(ws);
  ws.RomLoaded = true;
}

TileFields Fields(const Text& offset, int count, const char* format, int perRow, const Text& palette = "GREY",
                  const char* cell = "1x1") {
  return {offset, std::to_string(count), format, std::to_string(perRow), palette, cell};
}

// The PNG an export writes, through the operation and its file.
std::string Export(TestBench& t, const TileFields& fields) {
  const Text name = t.dir.file("tiles.png");
  t.host.files.push_back({name});
  ExportTiles(t.ws, fields);
  return ReadBytes(NativePath(name));
}

// Imports `png` through the operation; the texts of the messages it showed.
std::vector<Text> Import(TestBench& t, const std::string& png, const TileFields& fields = {}) {
  const Text name = t.dir.file("in.png");
  WriteBytes(NativePath(name), png);
  t.host.files.push_back({name});
  t.host.messages.clear();
  ImportTiles(t.ws, fields);
  return t.host.messageTexts();
}

// An outside reader's verdict: pngcheck decodes every chunk and checks every CRC.
void ExpectPngcheckAccepts(const std::string& png, TempDir& dir) {
  if (std::system("command -v pngcheck >/dev/null 2>&1") != 0) GTEST_SKIP() << "pngcheck is not installed";
  const auto file = dir.path() / "check.png";
  WriteBytes(file, png);
  EXPECT_EQ(std::system(("pngcheck -q " + file.string() + " >/dev/null").c_str()), 0);
}

// The real fonts of the corpus: the 1BPP ASCII font of jsmolka's hello.gba at &H214, the
// 2BPP font (rows doubled) of joamag's printer.gb at &H415; the 4BPP and 8BPP layouts run
// over code and data of nba's dma_latch.gba, which holds no font in those formats.
struct RealBlock {
  const char* rom;
  const char* offset;
  int count;
  const char* format;
  int perRow;
  const char* cell;
};
const RealBlock kRealBlocks[] = {
    {"jsmolka_hello.gba", "&H214", 96, "1BPP", 16, "1x1"},
    {"jsmolka_hello.gba", "&H214", 96, "1BPP", 16, "1x2"},
    {"joamag_printer.gb", "&H415", 96, "2BPP", 16, "1x1"},
    {"joamag_printer.gb", "&H415", 96, "2BPP", 8, "2x2"},
    {"nba_dma_latch.gba", "&HC000", 512, "4BPP", 32, "1x2"},
    {"nba_dma_latch.gba", "&H100", 300, "8BPP", 20, "2x2"},
};

TEST(TileExchange, RealFontsGoToPngAndBackByteForByte) {
  for (const RealBlock& b : kRealBlocks) {
    SCOPED_TRACE(std::string(b.rom) + " " + b.format + " " + b.cell);
    TestBench t;
    const std::string rom = ReadBytes(TestData(b.rom));
    PutRom(t.ws, rom);
    const TileFields fields = Fields(b.offset, b.count, b.format, b.perRow, "GREY", b.cell);
    const std::string png = Export(t, fields);
    ExpectPngcheckAccepts(png, t.dir);
    const PngReadResult read = ReadPng(png, 1u << 24);
    ASSERT_EQ(read.fault, PngFault::None);
    EXPECT_TRUE(read.picture.indexed);
    EXPECT_EQ(read.picture.palette, GreyPalette(*ParseTileFormat(b.format)));
    EXPECT_EQ(png[24], static_cast<char>(BitsPerPixel(*ParseTileFormat(b.format))));  // IHDR bit depth

    // Wipe the block, import the PNG: the ROM is the file again.
    Text why;
    const size_t at = static_cast<size_t>(ReadTileFields(fields, why).value().offset);
    std::string wiped = rom;
    std::fill_n(wiped.begin() + static_cast<long>(at), b.count * 8 * BitsPerPixel(*ParseTileFormat(b.format)), '\0');
    PutRom(t.ws, wiped);
    EXPECT_TRUE(Import(t, png).empty());
    EXPECT_EQ(t.ws.RomImage, rom);
    EXPECT_TRUE(t.ws.RomChanged);
    // And the ROM gives the very same PNG again: same pixels, same palette.
    EXPECT_EQ(Export(t, fields), png);
  }
}

TEST(TileExchange, ImportLogsWhatChanged) {
  TestBench t;
  const std::string rom = ReadBytes(TestData("jsmolka_hello.gba"));
  PutRom(t.ws, rom);
  const std::string png = Export(t, Fields("532", 96, "1BPP", 16));
  std::string changed = rom;
  changed[532 + 8] = '\x7F';  // one byte of '!'
  changed[532 + 9] = '\x18';  // unchanged value: not counted
  PutRom(t.ws, changed);
  Import(t, png);
  EXPECT_EQ(t.host.log.back(), W("Тайлы из PNG-файла ") + t.dir.file("in.png") +
                                   W(" записаны в ROM с адреса &H214: тайлов 96, изменено байт 1"));
  EXPECT_EQ(t.ws.RomImage, rom);
}

TEST(TileExchange, RandomBlocksRoundTripInEveryLayout) {
  std::mt19937 rng(2025);
  const char* cells[] = {"1x1", "1x2", "2x2"};
  for (int round = 0; round < 120; ++round) {
    const TileFormat f = kTileFormats[rng() % 4];
    const CellSize cell = *ParseCellSize(cells[rng() % 3]);
    TileBlock block;
    block.layout = {f, static_cast<int>(1 + rng() % 40) * cell.tiles(), static_cast<int>(1 + rng() % 6) * cell.w, cell};
    std::string bytes(block.layout.bytes() + PaletteBytes(f), '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    if (rng() % 2) block.paletteOffset = static_cast<std::int64_t>(block.layout.bytes());
    block.offset = static_cast<std::int64_t>(rng() % 0x8000000);
    block.packed = rng() % 2;
    Text why;
    const Palette palette = *BlockPalette(bytes, block, why);
    const std::string png = TilesToPng(bytes, block, palette);
    const auto source = [&](const TileBlock& b, Text& r) { return BlockPalette(bytes, b, r); };
    const PngTiles back = TilesFromPng(png, TileBlock(), source, 1u << 24);
    ASSERT_EQ(back.refusal, "") << round;
    ASSERT_TRUE(back.fromRecord);
    ASSERT_EQ(back.tiles, bytes.substr(0, block.layout.bytes())) << round;
    ASSERT_EQ(FormatPngRecord(back.block), FormatPngRecord(block));
    ASSERT_EQ(TilesToPng(back.tiles + bytes.substr(block.layout.bytes()), back.block, palette), png);
  }
}

// A PNG written by libpng's own simple writer: grey or RGB, 8 or 16 bits a channel.
std::string SimplePng(int width, int height, std::uint32_t format, const std::vector<std::uint8_t>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = format;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  std::string out(size, '\0');
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
  out.resize(size);
  return out;
}

IndexedImage Filled(int width, int height, std::uint8_t index) {
  return {width, height, std::vector<std::uint8_t>(static_cast<size_t>(width) * height, index)};
}

TEST(TileExchange, GreyAndTrueColourPicturesTakeOnlyThePalettesColours) {
  TestBench t;
  const std::string rom(4096, '\x55');
  PutRom(t.ws, rom);
  // Game Boy shades of colour 2 (0x55): 8 bytes of 0x00 / 0xFF per row pair.
  std::vector<std::uint8_t> grey(64, 0x55);
  EXPECT_TRUE(Import(t, SimplePng(8, 8, PNG_FORMAT_GRAY, grey), Fields("16", 1, "2BPP", 1)).empty());
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(16, 16), std::string("\x00\xFF", 2) + std::string("\x00\xFF\x00\xFF\x00\xFF\x00\xFF\x00\xFF\x00\xFF\x00\xFF", 14));
  std::vector<std::uint8_t> rgb(3 * 64, 0xFF);
  rgb[3 * (8 * 2 + 5) + 1] = 0x34;  // pixel (5, 2)
  const Text refused = Import(t, SimplePng(8, 8, PNG_FORMAT_RGB, rgb), Fields("16", 1, "2BPP", 1)).at(0);
  EXPECT_NE(refused.find(W("цвет #FF34FF в пикселе (5, 2) не из палитры")), Text::npos) << refused;
}

TEST(TileExchange, BadPngsAreRefusedAndTheRomStaysAsItWas) {
  TestBench t;
  const std::string rom = ReadBytes(TestData("jsmolka_hello.gba"));
  PutRom(t.ws, rom);
  const std::string good = Export(t, Fields("532", 96, "1BPP", 16));
  const TileFields fallback = Fields("0", 1, "4BPP", 1);
  std::string badCrc = good;
  badCrc[good.size() - 20] ^= 1;  // inside the IDAT data
  std::string badTextCrc = good;
  badTextCrc[0x37 + 8 + 12] ^= 1;  // inside the record
  std::string hugeChunk = good;
  hugeChunk[0x33] = '\x28';  // the record's length: 640 MiB
  IndexedImage deep = Filled(8, 8, 3);
  deep.pixels[5 * 8 + 3] = 16;
  const std::string past = TilesToPng(rom, {1280, {TileFormat::Bpp1, 4, 4, {}}, {}}, GreyPalette(TileFormat::Bpp1));
  struct Case {
    std::string png;
    const char* says;
  };
  const Case cases[] = {
      {"GIF89a and some", "это не PNG-файл"},
      {badCrc, "файл поврежден"},
      {badTextCrc, "файл поврежден"},
      {hugeChunk, "файл поврежден"},
      {WriteIndexedPng(Filled(12, 8, 0), 4, GreyPalette(TileFormat::Bpp4), ""), "размер 12x8 не делится на целые тайлы"},
      {WriteIndexedPng(deep, 8, GreyPalette(TileFormat::Bpp8), ""), "индекс цвета 16 в пикселе (3, 5) не помещается в формат 4BPP"},
      {SimplePng(8, 8, PNG_FORMAT_LINEAR_Y, std::vector<std::uint8_t>(128, 0)), "16 бит на канал"},
      {past, "выходит за конец ROM"},
      {WriteIndexedPng(Filled(8, 8, 0), 4, GreyPalette(TileFormat::Bpp4), "offset=0;format=9BPP"), "запись о блоке"},
  };
  for (const Case& c : cases) {
    const std::vector<Text> shown = Import(t, c.png, fallback);
    ASSERT_EQ(shown.size(), 1u) << c.says;
    EXPECT_NE(shown[0].find(W(c.says)), Text::npos) << shown[0];
    EXPECT_EQ(t.host.log.back(), shown[0]);
    EXPECT_EQ(t.ws.RomImage, rom);
    EXPECT_FALSE(t.ws.RomChanged);
  }
  // Cut anywhere: never taken, never read past the cut.
  const auto greys = [](const TileBlock& b, Text&) { return std::optional<Palette>(GreyPalette(b.layout.format)); };
  for (size_t cut = 0; cut < good.size(); ++cut)
    ASSERT_NE(TilesFromPng(good.substr(0, cut), TileBlock(), greys, 1u << 20).refusal, "") << cut;
}

TEST(TileExchange, ExportRefusesBlocksPastTheRomAndWritesNothing) {
  TestBench t;
  PutRom(t.ws, std::string(1000, '\0'));
  const Text name = t.dir.file("tiles.png");
  t.host.files.push_back({name});
  ExportTiles(t.ws, Fields("&H3C0", 3, "4BPP", 1));  // 960 + 96 > 1000
  EXPECT_EQ(t.host.messageTexts().at(0),
            W("Блок тайлов выходит за конец ROM: с адреса &H3C0 нужно байт 96, а в ROM байт 1000"));
  ExportTiles(t.ws, Fields("0", 3, "2BPP", 1, "&H3F0"));  // 4 colours = 8 bytes from 1008
  EXPECT_EQ(t.host.messageTexts().at(1), W("Палитра с адреса &H3F0 выходит за конец ROM"));
  ExportTiles(t.ws, Fields("0", 3, "2BPP", 2, "GREY", "1x2"));
  EXPECT_NE(t.host.messageTexts().at(2).find(W("делиться на ячейки 1x2")), Text::npos);
  EXPECT_FALSE(std::filesystem::exists(NativePath(name)));
  EXPECT_EQ(t.host.fileRequests.size(), 0u);
}

TEST(TileExchange, RecordlessPngNeedsAnOffsetAndTakesTheImagesSize) {
  TestBench t;
  PutRom(t.ws, std::string(256, '\0'));
  const std::string png = WriteIndexedPng(Filled(16, 8, 1), 1, GreyPalette(TileFormat::Bpp1), "");
  EXPECT_NE(Import(t, png).at(0).find(W("нет записи о блоке")), Text::npos);
  EXPECT_TRUE(Import(t, png, Fields("&H10", 1, "1BPP", 1)).empty());
  EXPECT_EQ(t.ws.RomImage, std::string(16, '\0') + std::string(16, '\xFF') + std::string(224, '\0'));
}

// A GBA image holding a font of 16 4BPP tiles as an LZ77 stream at 0x100, reached by two
// aligned pointers, then code, then a free tail.
struct PackedFontBench : TestBench {
  std::string font, rom;
  PackedFontBench() {
    for (int i = 0; i < 512; ++i) font += static_cast<char>(i % 32 < 6 ? 0x11 * (i / 32 % 15) : 0);
    rom = std::string(0x100, 'c');
    for (size_t at : {0x10, 0x40}) rom.replace(at, 4, GbaPointerBytes(kGbaRomBase + 0x100));
    rom += PackLz77(font, true);
    rom.resize((rom.size() + 3) / 4 * 4, 'c');
    rom += std::string(0x100, 'd') + std::string(0x800, '\xFF');
    PutRom(ws, rom);
  }
  size_t pointed(size_t at) const {
    const auto* p = reinterpret_cast<const std::uint8_t*>(ws.RomImage.data() + at);
    return (p[0] | p[1] << 8 | p[2] << 16 | static_cast<size_t>(p[3]) << 24) - kGbaRomBase;
  }
};

// The PNG with the pixels (x, y, index) drawn over it, and the same pixels drawn straight
// into `tiles`, laid out 8 tiles a row.
std::string Drawn(const std::string& png, std::string& tiles, const std::vector<std::array<int, 3>>& pixels) {
  PngPicture pic = ReadPng(png, 1u << 20).picture;
  for (const auto& [x, y, index] : pixels) {
    pic.data[static_cast<size_t>(y) * pic.width + x] = static_cast<std::uint8_t>(index);
    auto* tile = reinterpret_cast<std::uint8_t*>(tiles.data()) + 32 * (y / 8 * 8 + x / 8);
    SetTilePixelIndex(TileFormat::Bpp4, tile, x % 8, y % 8, static_cast<std::uint8_t>(index));
  }
  return WriteIndexedPng({pic.width, pic.height, pic.data}, 4, pic.palette, pic.record);
}

TEST(PackedTiles, DrawnPixelsArePackedBackAndAGrownBlockTakesItsPointersAlong) {
  PackedFontBench b;
  // More tiles asked than the block holds: all of them.
  const std::string png = Export(b, Fields("Z&H100", 256, "4BPP", 8));
  const auto greys = [](const TileBlock& bl, Text&) { return std::optional<Palette>(GreyPalette(bl.layout.format)); };
  const PngTiles exported = TilesFromPng(png, TileBlock(), greys, 1u << 20);
  EXPECT_EQ(exported.tiles, b.font);
  EXPECT_TRUE(exported.block.packed);

  // One pixel: the stream stays a stream of the drawn tiles, still reached by both pointers.
  std::string tiles = b.font;
  EXPECT_TRUE(Import(b, Drawn(png, tiles, {{3, 2, 7}})).empty());
  EXPECT_EQ(b.pointed(0x10), b.pointed(0x40));
  EXPECT_EQ(Unpack(std::string_view(b.ws.RomImage).substr(b.pointed(0x10))).data, tiles);
  EXPECT_NE(tiles, b.font);
  EXPECT_TRUE(b.ws.RomChanged);

  // Noise over the first row of tiles: the stream grows, moves into the free tail, and
  // no byte but the pointers', the old stream's (freed) and the new stream's changes.
  const std::string before(b.ws.RomImage);
  const size_t oldAt = b.pointed(0x10), oldSize = Unpack(std::string_view(before).substr(oldAt)).packedSize;
  std::mt19937 rng(26);
  std::vector<std::array<int, 3>> noise;
  for (int i = 0; i < 300; ++i) noise.push_back({static_cast<int>(rng() % 64), static_cast<int>(rng() % 8), static_cast<int>(rng() % 16)});
  EXPECT_TRUE(Import(b, Drawn(Export(b, Fields("Z" + std::to_string(oldAt), 16, "4BPP", 8)), tiles, noise)).empty());
  const size_t newAt = b.pointed(0x10);
  ASSERT_EQ(b.pointed(0x40), newAt);
  ASSERT_GT(newAt, before.find("dddd"));
  const UnpackResult moved = Unpack(std::string_view(b.ws.RomImage).substr(newAt));
  EXPECT_EQ(moved.data, tiles);
  ASSERT_EQ(b.ws.RomImage.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    if (i / 4 == 0x10 / 4 || i / 4 == 0x40 / 4 || (i >= newAt && i < newAt + moved.packedSize)) continue;
    ASSERT_EQ(b.ws.RomImage[i], i >= oldAt && i < oldAt + oldSize ? '\xFF' : before[i]) << i;
  }

  // The same tiles again: nothing to pack, nothing changes.
  const std::string now(b.ws.RomImage);
  EXPECT_TRUE(Import(b, Export(b, Fields("Z" + std::to_string(newAt), 16, "4BPP", 8))).empty());
  EXPECT_EQ(b.ws.RomImage, now);
  EXPECT_NE(b.host.log.back().find(W("блок не перезаписан")), Text::npos) << b.host.log.back();
}

TEST(PackedTiles, NoStreamThereIsRefusedAndNothingChanges) {
  PackedFontBench b;
  const std::string png = Export(b, Fields("Z&H100", 16, "4BPP", 8));
  std::string cut = b.rom;
  cut.resize(0x120);  // the stream runs past the ROM's end
  PutRom(b.ws, cut);
  b.host.fileRequests.clear();
  struct Case {
    TileFields fields;
    const char* says;
  };
  const Case exports[] = {
      {Fields("Z&H100", 16, "4BPP", 8), "По адресу &H00000100 нет сжатого блока: данные кончаются"},
      {Fields("Z0", 16, "4BPP", 8), "По адресу &H00000000 нет сжатого блока: неизвестный тип сжатия"},
      {Fields("Z&H120", 16, "4BPP", 8), "Неправильно указан адрес сжатого блока: &H120"},
      {Fields("Z&H", 16, "4BPP", 8), "Неправильно указан адрес блока тайлов"},
  };
  for (const Case& c : exports) {
    b.host.messages.clear();
    ExportTiles(b.ws, c.fields);
    ASSERT_EQ(b.host.messageTexts().size(), 1u) << c.says;
    EXPECT_EQ(b.host.messageTexts()[0].rfind(W(c.says), 0), 0u) << b.host.messageTexts()[0];
  }
  EXPECT_EQ(b.host.fileRequests.size(), 0u);
  // The PNG's record names the stream; the ROM no longer holds it whole.
  EXPECT_EQ(Import(b, png, Fields("0", 1, "4BPP", 1)).at(0).rfind(W("По адресу &H00000100 нет сжатого блока"), 0), 0u);
  // A stream too small for one tile.
  PutRom(b.ws, b.rom.substr(0, 0x100) + PackLz77(std::string(16, 'x'), true));
  EXPECT_NE(Import(b, png).at(0).find(W("а тайлам нужно 512")), Text::npos);
  b.host.messages.clear();
  ExportTiles(b.ws, Fields("Z&H100", 16, "4BPP", 8));
  EXPECT_NE(b.host.messageTexts().at(0).find(W("нет ни одной целой ячейки")), Text::npos);
  EXPECT_EQ(b.ws.RomImage, b.rom.substr(0, 0x100) + PackLz77(std::string(16, 'x'), true));
  EXPECT_FALSE(b.ws.RomChanged);
}

}  // namespace
