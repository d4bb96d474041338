#include <gtest/gtest.h>

#include <random>

#include "textio/FitCheck.h"
#include "textio/Insertion.h"
#include "textio/TextioBench.h"
#include "workspace/EntryCodec.h"
#include "workspace/Rom.h"

namespace {

// Table: A..Z at 0x41..0x5A and the space at 0x20; 0x00 and 0xEE decode to nothing.
struct FitBench : TextioBench {
  FitBench() {
    std::map<int, char> entries{{0x20, ' '}};
    for (int c = 'A'; c <= 'Z'; ++c) entries[c] = static_cast<char>(c);
    table(entries);
    // Strings "HELLO" at 1, "AB" at 7, "WORLD" at 10 (running into "XY" at 15).
    rom(std::string("HELLO\0AB\0WORLDXY\0", 17) + std::string(15, '\xEE'));
  }
};

TEST(FitCheck, FollowingAddressIsTheNextHigherOneInAnyLineOrder) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::int64_t> addresses(rng() % 12);
    for (auto& a : addresses) a = static_cast<std::int64_t>(rng() % 10) - 1;  // some without an address
    const std::vector<std::int64_t> following = FollowingAddresses(addresses);
    for (size_t i = 0; i < addresses.size(); ++i) {
      std::int64_t expected = 0;
      for (std::int64_t other : addresses)
        if (addresses[i] > 0 && other > addresses[i] && (expected == 0 || other < expected)) expected = other;
      EXPECT_EQ(following[i], expected) << "round " << round << " line " << i;
    }
  }
}

TEST(FitCheck, RoomIsTheDecodedRunCutAtTheNextLine) {
  FitBench t;
  const TableCodec codec(t.ws.CharTableLookup);
  struct Case {
    std::int64_t address, limit, room;
  } cases[] = {
      {1, 0, 5},    // up to the NUL
      {7, 0, 2},    // a short string
      {10, 0, 7},   // WORLDXY: the table decides, not the translation
      {10, 15, 5},  // the next line starts at XY
      {3, 0, 3},    // from the middle of a string
      {6, 0, 0},    // on the terminator
      {17, 0, 0},   // the byte there decodes to nothing
      {32, 0, 0},   // the last byte
      {0, 0, 0},    // outside the image
      {33, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(RoomAt(t.ws.RomImage, codec, c.address, c.limit), c.room) << c.address;
  const std::string allText(8, 'A');
  EXPECT_EQ(RoomAt(allText, codec, 3, 0), 6) << "a string running to the end of the image";
}

TEST(FitCheck, ReportsLinesOverAndShorterAndCountsThem) {
  FitBench t;
  // Over by 2, equal, shorter by 3 (an escape is one byte), WORLD cut by the line at 15,
  // a line without an address and one at address 0 are not checked.
  t.perevod({"1 HELLO!!", "7 AB", "10 <$41>B", "15 XY", "no-address", "0 TEXT"});
  t.ws.SkipUnknownTRChars = "NO";
  EXPECT_FALSE(CheckFit(t.ws));
  const std::vector<Text> expected = {
      W("Не влезает: адрес 1, нужно байт 7, места 5, лишних 2"),
      W("Короче оригинала: адрес 10, нужно байт 2, места 5, останется видно байт старого текста 3"),
      W("Проверка длины перевода: проверено строк 4, не влезают 1, короче оригинала 1"),
  };
  EXPECT_EQ(t.host.log, expected);
  ASSERT_EQ(t.host.messages.size(), 1u);
  EXPECT_EQ(t.host.messages[0].text, expected.back());
  EXPECT_EQ(t.ws.RomImage, RomWorkImage(t.ws)) << "the check writes nothing";

  // Skipped unknown characters write nothing, so they need no room: "!!" now counts 0.
  t.ws.SkipUnknownTRChars = "YES";
  t.ws.UseHEXaddr = "YES";
  t.clearRecords();
  EXPECT_TRUE(CheckFit(t.ws));
  EXPECT_EQ(t.host.log.back(), W("Проверка длины перевода: проверено строк 4, не влезают 0, короче оригинала 1"));
  EXPECT_EQ(t.host.log.front(),
            W("Короче оригинала: адрес &HA, нужно байт 2, места 5, останется видно байт старого текста 3"));
}

TEST(FitCheck, ExtendedTablesMeasureWholeEntriesBothWays) {
  TextioBench t;
  t.ws.ExtendedTables = "YES";
  ApplyTableText(t.ws, "41=A\r\n42=B\r\nE001=<var>\r\n/FF=<END>\r\n");
  t.ws.TableLoaded = true;
  // A <var> B <END>, then A and a byte of no code: the end code closes the first string.
  t.rom(Bytes({0x41, 0xE0, 0x01, 0x42, 0xFF, 0x41, 0x00, 0x00}));
  const EntryCodec codec(t.ws);
  EXPECT_EQ(RoomAt(t.ws.RomImage, codec, 1, 0), 5);
  EXPECT_EQ(RoomAt(t.ws.RomImage, codec, 1, 3), 1) << "<var> would reach the next line";
  EXPECT_EQ(RoomAt(t.ws.RomImage, codec, 6, 0), 1);
  t.perevod({"1 A<var>B<END>", "6 AB"});
  EXPECT_FALSE(CheckFit(t.ws));
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Не влезает: адрес 6, нужно байт 2, места 1, лишних 1"),
                                           W("Проверка длины перевода: проверено строк 2, не влезают 1, "
                                             "короче оригинала 0")}));
}

// Insertion leaves alone a line the ROM already decodes to, whatever a new cutting would
// give: such a line needs the bytes it keeps, and fits them exactly.
TEST(FitCheck, AnUneditedLineNeedsTheBytesInsertionKeeps) {
  TextioBench t;
  t.ws.ExtendedTables = "YES";
  ApplyTableText(t.ws, "4E=.\r\n4C=..\r\n41=A\r\n");
  t.ws.TableLoaded = true;
  t.rom(Bytes({0x4E, 0x4E, 0x00, 0x41, 0x41, 0x00}));
  t.perevod({"1 ..", "4 .."});
  EXPECT_TRUE(CheckFit(t.ws));
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Короче оригинала: адрес 4, нужно байт 1, места 2, останется видно байт "
                                             "старого текста 1"),
                                           W("Проверка длины перевода: проверено строк 2, не влезают 0, "
                                             "короче оригинала 1")}));
  ASSERT_TRUE(PutPerevodInRom(t.ws, 0));
  EXPECT_EQ(t.ws.RomImage, Bytes({0x4E, 0x4E, 0x00, 0x4C, 0x41, 0x00}));
}

TEST(PutPerevodInRom, WarnsWhenALineRunsIntoTheNextOneInAddressOrder) {
  FitBench t;
  // Out of file order on purpose: the line at 7 is the one after the line at 1.
  t.perevod({"7 ABCDEFG", "1 HELLO!", "20 Q", "10 WORLDXY"});
  t.ws.SkipUnknownTRChars = "NO";
  t.ws.ExtendedLogs = "NO";
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(t.host.log,
            (std::vector<Text>{W("ПРЕДУПРЕЖДЕНИЕ: строка с адресом 7 залезает на начало строки с адресом 10"),
                               W("Текст перевода вставлен в ROM")}))
      << "HELLO! ends right before 7; WORLDXY ends before 20";
  // Shifted, the same lines keep their order: the warning names the shifted addresses.
  t.clearRecords();
  t.ws.LeaveChangesInPerevodAddr = "NO";
  PutPerevodInRom(t.ws, 2);
  EXPECT_EQ(t.host.log[1], W("ПРЕДУПРЕЖДЕНИЕ: строка с адресом 9 залезает на начало строки с адресом 12"));
}

}  // namespace
