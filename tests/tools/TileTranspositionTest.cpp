#include <gtest/gtest.h>

#include "ToolsTestHelpers.h"
#include "tools/TileTransposition.h"
#include "workspace/Rom.h"

namespace {

std::string Tiles(const std::string& letters, int tileBytes) {
  std::string out;
  for (char c : letters) out += std::string(tileBytes, c);
  return out;
}

TransposeFields Fields(const Text& start, const Text& n, int format) {
  return {start, n, n, format};
}

TEST(TransposeTileBlock, SwapsRowsAndColumnsAndUndoesItself) {
  TestBench t;
  PutRom(t.ws, Tiles("ABCD", 8) + "tail");
  TransposeTileBlock(t.ws, Fields("0", "1", 1));
  EXPECT_EQ(t.ws.RomImage, Tiles("ACBD", 8) + "tail");
  EXPECT_EQ(RomWorkImage(t.ws), t.ws.RomImage);
  EXPECT_TRUE(t.ws.RomChanged);
  EXPECT_EQ(
      t.host.log.back(),
      W("Транспонирование части ROM, успешно выполнено (адрес блока= 0,Тайлов в строке/колонке= 1/ 1, режим=1BPP"));
  EXPECT_EQ(t.ws.TransponINILine, "&H0;1;1;1BPP");
  TransposeTileBlock(t.ws, Fields("0", "1", 1));
  EXPECT_EQ(t.ws.RomImage, Tiles("ABCD", 8) + "tail");
}

TEST(TransposeTileBlock, LargerGridsAndTheLastTileCutByTheRomEnd) {
  TestBench t;
  const std::string head = "hd";
  // 3 x 3 tiles of 16 bytes, the last one holding only 5 bytes before the end.
  std::string rom = head + Tiles("ABCDEFGH", 16) + std::string(5, 'I');
  PutRom(t.ws, rom);
  TransposeTileBlock(t.ws, Fields("2", "2", 2));
  EXPECT_EQ(t.ws.RomImage, head + Tiles("ADGBEHCF", 16) + std::string(5, 'I'));
  EXPECT_EQ(t.ws.TransponINILine, "&H2;2;2;2BPP (GBC)");
}

TEST(TransposeTileBlock, HexAndDecimalStartsNameTheSameBlock) {
  TestBench a, b;
  std::string rom(256, '.');
  rom += Tiles("ABCD", 32) + "end";
  PutRom(a.ws, rom);
  PutRom(b.ws, rom);
  TransposeTileBlock(a.ws, Fields("&H100", "1", 0));
  TransposeTileBlock(b.ws, Fields("256", "1", 0));
  EXPECT_EQ(a.ws.RomImage, std::string(256, '.') + Tiles("ACBD", 32) + "end");
  EXPECT_EQ(b.ws.RomImage, a.ws.RomImage);
  EXPECT_EQ(a.ws.TransponINILine, "&H100;1;1;4BPP (GBA)");
}

TEST(TransposeTileBlock, OneTileChangesNothingButIsReported) {
  TestBench t;
  PutRom(t.ws, Tiles("A", 32));
  TransposeTileBlock(t.ws, Fields("0", "0", 0));
  EXPECT_EQ(t.ws.RomImage, Tiles("A", 32));
  EXPECT_TRUE(t.ws.RomChanged);
  EXPECT_EQ(t.host.log.size(), 1u);
}

TEST(TransposeTileBlock, GridLimitIsAGeneralError) {
  TestBench t;
  PutRom(t.ws, std::string(40000, 'x'));
  TransposeTileBlock(t.ws, Fields("0", "31", 0));
  EXPECT_TRUE(t.ws.RomChanged);
  t.ws.RomChanged = false;
  TransposeTileBlock(t.ws, Fields("0", "32", 0));
  EXPECT_FALSE(t.ws.RomChanged);
  EXPECT_EQ(t.host.log.back().rfind(W("Ошибка однако... "), 0), 0u);
  TransposeTileBlock(t.ws, Fields("0", "99999", 1));  // beyond the field's width
  EXPECT_EQ(t.host.failures, 2);
  TransposeTileBlock(t.ws, Fields("0", "63", 1));
  TransposeTileBlock(t.ws, Fields("0", "44", 2));
  EXPECT_EQ(t.host.failures, 2);
}

TEST(TransposeTileBlock, RefusalsChangeNothing) {
  TestBench t;
  PutRom(t.ws, Tiles("ABCD", 8));
  TransposeTileBlock(t.ws, Fields("-1", "1", 1));
  TransposeTileBlock(t.ws, Fields("10", "1", 1));  // the last tile would start past the end
  EXPECT_EQ(t.host.messageTexts(),
            (std::vector<Text>{W("Неправильно указан адрес начала блока в RОМ\r\nдля транспонирования"),
                               W("Нужно уменьшить адрес начала блока\r\nили BPP или число тайлов в строке/колонке\r\n"
                                 "(я улетаю за границы RОМ'а)")}));
  EXPECT_EQ(t.host.log[0], W("Неправильно указан адрес начала блока для транспонирования в RОМ"));
  EXPECT_EQ(t.host.log[1],
            W("Нужно уменьшить адрес или BPP или число тайлов в строке/колонке (я улетаю за границы RОМ'а)"));
  EXPECT_EQ(t.ws.RomImage, Tiles("ABCD", 8));
  t.ws.RomLoaded = false;
  TransposeTileBlock(t.ws, Fields("0", "1", 1));
  EXPECT_EQ(t.host.log.back(), W("ROM еще не загружен"));
}

TEST(TransposeFields, SettingsLineFillsAsManyFieldsAsItHas) {
  TestBench t;
  t.ws.TransponINILine = "&H10;5;5;2BPP (GBC)";
  TransposeFields f = TransposeFieldsFromSettings(t.ws);
  EXPECT_EQ(f.startAddr, "&H10");
  EXPECT_EQ(f.tilesInRow, "5");
  EXPECT_EQ(f.format, 2);
  t.ws.TransponINILine = "&H123456";
  f = TransposeFieldsFromSettings(t.ws);
  EXPECT_EQ(f.startAddr, "&H123456");
  EXPECT_EQ(f.tilesInRow, "31");
  EXPECT_EQ(f.tilesInCol, "31");
  EXPECT_EQ(f.format, 0);
  t.ws.TransponINILine = "&H1;2;2;X";
  EXPECT_EQ(TransposeFieldsFromSettings(t.ws).format, 0);
}

}  // namespace
