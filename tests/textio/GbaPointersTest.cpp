#include <gtest/gtest.h>

#include <random>

#include "textio/GbaPointer.h"
#include "textio/GbaPointers.h"
#include "textio/Insertion.h"
#include "textio/TextioBench.h"
#include "workspace/EntryCodec.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

namespace {

const Text kZeroWarning = W("ПРЕДУПРЕЖДЕНИЕ: Указатель на нулевое смещение в ROM'e, так и задумано?(...продолжим)");

Text Ptr(std::int64_t address) {
  return GbaPointerBytes(GbaPointerValue(address).value());
}

Text NoPointer(std::int64_t address) {
  return W("ПРЕДУПРЕЖДЕНИЕ: на адрес") + (address < 0 ? "" : " ") + std::to_string(address) +
         W(" GBA поинтер не указывает (только на адреса от 1 до 33554432), строку пропускаем");
}

TEST(GbaPointer, CoversTheWholeCartridgeAndNothingElse) {
  EXPECT_EQ(Ptr(1), Bytes({0x00, 0x00, 0x00, 0x08}));
  EXPECT_EQ(Ptr(0x10000), Bytes({0xFF, 0xFF, 0x00, 0x08}));
  EXPECT_EQ(Ptr(1193047), Bytes({0x56, 0x34, 0x12, 0x08}));
  EXPECT_EQ(Ptr(0x01000000), Bytes({0xFF, 0xFF, 0xFF, 0x08}));
  EXPECT_EQ(Ptr(0x01000001), Bytes({0x00, 0x00, 0x00, 0x09}));
  EXPECT_EQ(Ptr(0x02000000), Bytes({0xFF, 0xFF, 0xFF, 0x09}));
  EXPECT_FALSE(GbaPointerValue(0x02000001));
  EXPECT_FALSE(GbaPointerValue(0));
  EXPECT_FALSE(GbaPointerValue(-7));
  EXPECT_EQ(GbaPointerFromBytes(Ptr(1193047)), 0x08123456u);
}

TEST(GbaPointer, OnePassFindsEveryPointerOfTheSetAtAnyAlignment) {
  GbaPointerSet set;
  // Enough values to make the set grow several times.
  for (std::int64_t a = 1; a <= 3000; ++a) EXPECT_EQ(set.add(*GbaPointerValue(a * 77)), a - 1);
  EXPECT_EQ(set.add(*GbaPointerValue(77)), 0);
  EXPECT_EQ(set.find(*GbaPointerValue(78)), -1);
  std::string image(300, '\x08');  // every byte could end a pointer
  const std::vector<size_t> at = {0, 5, 18, 19 + 4, 255, 296};
  for (size_t i = 0; i < at.size(); ++i) image.replace(at[i], 4, Ptr(77 * static_cast<std::int64_t>(i + 1)));
  std::vector<std::pair<size_t, int>> hits;
  ScanForGbaPointers(image, set, [&](size_t offset, int id) {
    hits.emplace_back(offset, id);
    return true;
  });
  std::vector<std::pair<size_t, int>> expected;
  for (size_t i = 0; i < at.size(); ++i) expected.emplace_back(at[i], static_cast<int>(i));
  EXPECT_EQ(hits, expected);

  hits.clear();
  ScanForGbaPointers(image, set, 4, [&](size_t offset, int id) {
    hits.emplace_back(offset, id);
    return true;
  });
  EXPECT_EQ(hits, (std::vector<std::pair<size_t, int>>{{0, 0}, {296, 5}})) << "only offsets divisible by 4";

  hits.clear();
  ScanForGbaPointers(image, set, [&](size_t offset, int id) {
    hits.emplace_back(offset, id);
    return hits.size() < 2;
  });
  EXPECT_EQ(hits.size(), 2u);
  ScanForGbaPointers(image.substr(0, 3), set, [&](size_t, int) -> bool {
    ADD_FAILURE();
    return true;
  });
}

TEST(BuildGbaPointerTable, RecordsEveryLineInItsPlace) {
  TextioBench t;
  t.perevod({"&H10 Hi there", "no-space", "0 zero", "100 "});
  BuildGbaPointerTable(t.ws);
  const auto& table = t.ws.GbaPointerTable;
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[0].pointer, Ptr(16));
  EXPECT_EQ(table[0].addressText, "&H10");
  EXPECT_EQ(table[0].address, 16);
  EXPECT_EQ(table[0].text, "Hi there");
  EXPECT_FALSE(table[1].hasSeparator);
  EXPECT_EQ(table[2].pointer, "");  // address 0 has no pointer
  EXPECT_EQ(table[3].text, "");
  EXPECT_TRUE(t.host.log.empty());

  t.perevod({"5 x"});
  BuildGbaPointerTable(t.ws);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("Маловааато будет :-), может еще строчку ?")}));
  EXPECT_EQ(t.ws.GbaPointerTable.size(), 1u);

  t.clearRecords();
  t.ws.PerevodLoaded = false;
  BuildGbaPointerTable(t.ws);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Файл с переводом еще не загружен")}));
  EXPECT_TRUE(t.ws.GbaPointerTable.empty());
}

TEST(PackPerevodAddresses, PlacesEachLineOneByteAfterThePreviousText) {
  TextioBench t;
  t.ws.UseHEXaddr = "YES";
  t.perevod({"100 abc", "500 defg", "900 hijkl"});
  BuildGbaPointerTable(t.ws);
  PackPerevodAddresses(t.ws);
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"100 abc", "104 defg", "109 hijkl"}));
  EXPECT_EQ(t.ws.GbaPointerTable[2].address, 109);
  EXPECT_EQ(t.ws.GbaPointerTable[2].addressText, "109");
  EXPECT_EQ(t.ws.GbaPointerTable[2].pointer, Ptr(900));  // the old pointer stays recorded
  EXPECT_FALSE(t.ws.PerevodChanged);

  // The first line keeps its form; escapes count as written; a line without a space keeps
  // its place and the next text follows the last line that had one.
  t.perevod({"&H10 <$41>b", "", "junk", "7 ", "3 x"});
  BuildGbaPointerTable(t.ws);
  PackPerevodAddresses(t.ws);
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"&H10 <$41>b", "", "junk", "23 ", "24 x"}));
}

// The Game Boy flow records no GBA table: the lines are packed all the same.
TEST(PackPerevodAddresses, WithoutARecordedTablePacksTheLines) {
  TextioBench t;
  t.perevod({"100 abc", "500 defg", "x", "900 h"});
  PackPerevodAddresses(t.ws);
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"100 abc", "104 defg", "x", "109 h"}));
  EXPECT_EQ(t.host.failures, 0);
  EXPECT_TRUE(t.ws.GbaPointerTable.empty());
}

// Through an extended table a line takes the bytes insertion writes for it, whatever its
// characters: inserted, every line still reads back as typed, one byte after the last.
TEST(PackPerevodAddresses, ExtendedTablesPackByTheBytesWritten) {
  TextioBench t;
  t.ws.ExtendedTables = "YES";
  t.ws.TableExtended = true;
  t.ws.TableLoaded = true;
  t.ws.CharTableLookup = std::u32string(256, U'\0');
  t.ws.TableEntries = {{"\x10", "a"},
                       {"\x11", "bcdef"},
                       {"\x20\x21", "g"},
                       {"\x22\x23", "hi"},
                       {"\x30\x31\x32", "j"},
                       {"\x33\x34\x35", "klmno"},
                       {"\xFF", "<end>", EntryKind::End}};
  const char* const pieces[] = {"a", "bcdef", "g", "hi", "j", "klmno", "<$07>"};
  const EntryCodec codec(t.ws);
  std::mt19937 rng(24);
  for (int round = 0; round < 100; ++round) {
    std::vector<Text> texts(2 + rng() % 8);
    std::vector<Text> lines;
    for (Text& text : texts) {
      for (size_t k = rng() % 6; k > 0; --k) text += pieces[rng() % std::size(pieces)];
      if (rng() % 2) text += "<end>";
      lines.push_back(Digits(static_cast<std::int64_t>(1 + rng() % 500)) + " " + text);
    }
    t.rom(std::string(2048, '\0'));
    t.perevod(lines);
    PackPerevodAddresses(t.ws);
    ASSERT_TRUE(PutPerevodInRom(t.ws, 0));
    std::int64_t expected = ParsePerevodLine(t.ws.PerevodArray[0]).address;
    for (size_t i = 0; i < texts.size(); ++i) {
      const std::int64_t address = ParsePerevodLine(t.ws.PerevodArray[i]).address;
      ASSERT_EQ(address, expected) << "round " << round << " line " << i;
      const auto held = codec.matchesImage(t.ws.RomImage, address - 1, texts[i]);
      ASSERT_TRUE(held) << "round " << round << " line " << i << " overwritten";
      expected = address + static_cast<std::int64_t>(*held) + 1;
    }
  }
}

struct PointerBench : TextioBench {
  PointerBench() { ws.ExtendedLogs = "NO"; }
  // A 64-byte image with the given pointers put at the given offsets.
  void image(const std::vector<std::pair<size_t, Text>>& pointers) {
    std::string bytes(64, '\x55');
    for (const auto& [offset, p] : pointers) bytes.replace(offset, 4, p);
    rom(bytes);
  }
};

TEST(CorrectGbaPointers, RewritesEveryOccurrenceOfEachRecordedPointer) {
  PointerBench t;
  t.perevod({"10 abc", "20 de", "30 f"});
  t.image({{0, Ptr(10)}, {9, Ptr(10)}, {33, Ptr(10)}, {15, Ptr(20)}});
  BuildGbaPointerTable(t.ws);
  t.ws.LeaveChangesInPerevodAddr = "NO";
  t.clearRecords();
  CorrectGbaPointers(t.ws, 1000);
  PointerBench expected;
  expected.image({{0, Ptr(1010)}, {9, Ptr(1010)}, {33, Ptr(1010)}, {15, Ptr(1020)}});
  EXPECT_EQ(t.ws.RomImage, expected.ws.RomImage);
  EXPECT_EQ(RomWorkImage(t.ws), t.ws.RomImage);
  EXPECT_TRUE(t.ws.RomChanged);
  EXPECT_EQ(t.host.log,
            (std::vector<Text>{W("Выполняю коррекцию GBA поинтеров с учетом дополнительного смещение к адресам "
                                 "указанным в файле перевода ( 1000 )"),
                               W("буду чего нибудь писать только, если что пойдет не так..."),
                               W("ПРЕДУПРЕЖДЕНИЕ: GBA поинтер =") + Ptr(30) + W(" не найден"),
                               W("Коррекция поинтеров GBA в ROM закончена")}));
}

TEST(CorrectGbaPointers, DetailLinesNameEachNewAddressAndFoundPointer) {
  PointerBench t;
  t.ws.ExtendedLogs = "YES";
  t.perevod({"10 abc", "no-space", "30 f"});
  t.image({{1, Ptr(10)}});
  BuildGbaPointerTable(t.ws);
  t.ws.LeaveChangesInPerevodAddr = "NO";
  t.clearRecords();
  CorrectGbaPointers(t.ws, -5);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Выполняю коррекцию GBA поинтеров с учетом дополнительного смещение к "
                                             "адресам указанным в файле перевода ( -5 )"),
                                           W("новый адрес для расчета поинтера PerevodAddr= 5"),
                                           W("GBA поинтер =") + Ptr(10) + W(" найден/исправлен (хотя бы один раз)"),
                                           W("новый адрес для расчета поинтера PerevodAddr= 25"),
                                           W("ПРЕДУПРЕЖДЕНИЕ: GBA поинтер =") + Ptr(30) + W(" не найден"),
                                           W("Коррекция поинтеров GBA в ROM закончена")}));
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(1, 4), Ptr(5));
  // The event loop runs once per line besides the log lines.
  EXPECT_EQ(t.host.pumps, 6 + 3);
}

TEST(CorrectGbaPointers, NeverRewritesAPointerTwice) {
  PointerBench t;
  // Line 0 moves onto the old place of line 1, which moves on again: the pointer rewritten
  // for line 0 must not then be taken for line 1's old pointer.
  t.perevod({"10 abcd", "20 efgh", "30 ij"});
  t.image({{0, Ptr(10)}, {8, Ptr(20)}, {17, Ptr(30)}});
  BuildGbaPointerTable(t.ws);
  t.ws.LeaveChangesInPerevodAddr = "NO";
  CorrectGbaPointers(t.ws, 10);
  PointerBench expected;
  expected.image({{0, Ptr(20)}, {8, Ptr(30)}, {17, Ptr(40)}});
  EXPECT_EQ(t.ws.RomImage, expected.ws.RomImage);
  EXPECT_EQ(t.host.failures, 0);
}

TEST(CorrectGbaPointers, LinesSharingAnOldPointerTakeTheFirstLinesNewValue) {
  PointerBench t;
  t.perevod({"10 a", "10 b"});
  t.image({{4, Ptr(10)}, {40, Ptr(10)}});
  BuildGbaPointerTable(t.ws);
  PackPerevodAddresses(t.ws);  // line 1 moves to 12
  t.ws.LeaveChangesInPerevodAddr = "NO";
  t.clearRecords();
  CorrectGbaPointers(t.ws, 3);
  PointerBench expected;
  expected.image({{4, Ptr(13)}, {40, Ptr(13)}});
  EXPECT_EQ(t.ws.RomImage, expected.ws.RomImage);
  // Both lines find the pointer in the image as it was.
  EXPECT_EQ(t.host.log.size(), 3u);
}

TEST(CorrectGbaPointers, OverlappingOccurrencesAreRewrittenLeftToRightOnce) {
  PointerBench t;
  // 08 08 08 08 08 holds the pointer of 0x80809 twice, overlapping.
  const std::int64_t address = 0x080808 + 1;
  t.perevod({std::to_string(address) + " x", "1 y"});
  std::string bytes(16, '\x55');
  bytes.replace(2, 5, "\x08\x08\x08\x08\x08");
  t.rom(bytes);
  BuildGbaPointerTable(t.ws);
  t.ws.LeaveChangesInPerevodAddr = "NO";
  CorrectGbaPointers(t.ws, 0x010101);
  bytes.replace(2, 4, Ptr(address + 0x010101));
  EXPECT_EQ(t.ws.RomImage, bytes);
}

TEST(CorrectGbaPointers, AddsTheShiftOnlyToAddressesNotYetShifted) {
  PointerBench t;
  t.perevod({"10 abc", "20 de"});
  t.image({{0, Ptr(10)}, {20, Ptr(20)}});
  BuildGbaPointerTable(t.ws);
  // The insertion has already written the shifted addresses into the lines.
  t.perevod({"14 abc", "24 de"});
  t.ws.LeaveChangesInPerevodAddr = "YES";
  CorrectGbaPointers(t.ws, 4);
  PointerBench expected;
  expected.image({{0, Ptr(14)}, {20, Ptr(24)}});
  EXPECT_EQ(t.ws.RomImage, expected.ws.RomImage);
}

TEST(CorrectGbaPointers, LinesWithoutAPointerAreReportedAndLeftAlone) {
  PointerBench t;
  t.perevod({"10 abc", "0 zero", "20 de", "33554430 far"});
  t.image({{0, Ptr(10)}, {20, Ptr(20)}});
  BuildGbaPointerTable(t.ws);
  t.ws.LeaveChangesInPerevodAddr = "NO";
  t.clearRecords();
  CorrectGbaPointers(t.ws, 5);
  PointerBench expected;
  expected.image({{0, Ptr(15)}, {20, Ptr(25)}});
  EXPECT_EQ(t.ws.RomImage, expected.ws.RomImage);
  // Address 0 has no old pointer; 33554430 + 5 has no new one.
  EXPECT_EQ(t.host.log[2], NoPointer(0));
  EXPECT_EQ(t.host.log[3], NoPointer(33554435));
  EXPECT_EQ(t.host.log.back(), W("Коррекция поинтеров GBA в ROM закончена"));

  // A line whose new address is 0 gets the zero warning before its report.
  t.perevod({"10 abc", "20 de"});
  BuildGbaPointerTable(t.ws);
  t.clearRecords();
  CorrectGbaPointers(t.ws, -10);
  EXPECT_EQ(t.host.log[2], kZeroWarning);
  EXPECT_EQ(t.host.log[3], NoPointer(0));
}

// Packing moves the lines after the first even when the shift is 0; only when nothing
// moved is the zero increment all there is to say.
TEST(CorrectGbaPointers, ShiftZeroCorrectsWhatPackingMovedAndOnlyThen) {
  PointerBench t;
  t.perevod({"10 abc", "20 de"});
  t.image({{0, Ptr(10)}, {20, Ptr(20)}});
  BuildGbaPointerTable(t.ws);
  const std::string before(t.ws.RomImage);
  t.clearRecords();
  CorrectGbaPointers(t.ws, 0);
  EXPECT_EQ(t.host.log,
            (std::vector<Text>{W("Приращение к смещению текста перевода равно нулю, ничего делать не надо")}));
  EXPECT_EQ(t.ws.RomImage, before);
  EXPECT_FALSE(t.ws.RomChanged);

  PackPerevodAddresses(t.ws);  // "20 de" becomes "14 de"
  CorrectGbaPointers(t.ws, 0);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(0, 4), Ptr(10));
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(20, 4), Ptr(14));
  EXPECT_TRUE(t.ws.RomChanged);
}

TEST(CorrectGbaPointers, RefusesWithoutTranslationRomOrRecordedTable) {
  PointerBench t;
  t.ws.PerevodLoaded = false;
  CorrectGbaPointers(t.ws, 4);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Файл с переводом еще не загружен")}));

  t.clearRecords();
  t.perevod({"10 abc", "20 de"});
  CorrectGbaPointers(t.ws, 4);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("ROM еще не загружен")}));

  // Never built for these lines: the general error line, and the images stay as they were.
  t.clearRecords();
  t.image({{0, Ptr(10)}});
  RomWorkBuffer(t.ws) = "stale";
  CorrectGbaPointers(t.ws, 4);
  EXPECT_EQ(t.host.log.back(), W("Ошибка однако... таблица GBA поинтеров не построена для этого перевода 1102"));
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(0, 4), Ptr(10));
  EXPECT_EQ(RomWorkImage(t.ws), "stale");
  EXPECT_FALSE(t.ws.RomChanged);
}

TEST(FindGbaPointers, ReportsTheFirstOccurrenceOfEachLinesPointer) {
  PointerBench t;
  t.perevod({"10 abc", "no-space", "0 zero", "20 de", "16777217 hi", "40000000 far"});
  t.image({{9, Ptr(10)}, {3, Ptr(10)}, {30, Ptr(10)}, {44, Ptr(16777217)}});
  RomWorkBuffer(t.ws) = t.ws.RomImage;  // the search reads the working copy
  t.ws.RomImage = "not read";
  FindGbaPointers(t.ws);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Выполняю поиск GBA поинтеров "),
                                           W("найден поинтер на строку с адресом10, адрес поинтера3"), kZeroWarning,
                                           NoPointer(0), W("НЕ найден поинтер на строку с адресом20"),
                                           W("найден поинтер на строку с адресом16777217, адрес поинтера44"),
                                           NoPointer(40000000), W("Поиск поинтеров GBA в ROM закончен")}));
  EXPECT_EQ(t.ws.RomImage, "not read");
  EXPECT_FALSE(t.ws.RomChanged);
  EXPECT_FALSE(t.ws.PerevodChanged);
}

TEST(FindGbaPointers, FindsTheLiteralPoolPointersOfARealGbaRom) {
  PointerBench t;
  t.rom(ReadBytes(TestData("nba_dma_latch.gba")));
  t.perevod({"53617 DMA1 DMA1 EVEN", "53633 DMA1 DMA1  ODD", "53649 DMA1 DMA2 EVEN"});
  FindGbaPointers(t.ws);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Выполняю поиск GBA поинтеров "),
                                           W("найден поинтер на строку с адресом53617, адрес поинтера892"),
                                           W("найден поинтер на строку с адресом53633, адрес поинтера900"),
                                           W("найден поинтер на строку с адресом53649, адрес поинтера908"),
                                           W("Поиск поинтеров GBA в ROM закончен")}));
}

TEST(CorrectGbaPointers, AlignmentFourLeavesAnUnalignedFalsePointerInTextAlone) {
  const std::string real = ReadBytes(TestData("nba_dma_latch.gba"));
  std::string rom = real;
  // Text bytes that happen to read as a pointer to the second string, at an odd offset.
  rom.replace(53617, 4, Ptr(53633));
  for (const char* alignment : {"4", "1"}) {
    PointerBench t;
    t.rom(rom);
    t.perevod({"53617 DMA1 DMA1 EVEN", "53633 DMA1 DMA1  ODD", "53649 DMA1 DMA2 EVEN"});
    t.ws.LeaveChangesInPerevodAddr = "NO";
    t.ws.GbaPointerAlignment = alignment;
    BuildGbaPointerTable(t.ws);
    CorrectGbaPointers(t.ws, 0x100);
    std::string expected = rom;
    for (std::int64_t k = 0; k < 3; ++k) expected.replace(892 + 8 * k, 4, Ptr(53617 + 16 * k + 0x100));
    if (std::string(alignment) == "1") expected.replace(53617, 4, Ptr(53633 + 0x100));
    EXPECT_EQ(t.ws.RomImage, expected) << "alignment " << alignment;
  }
}

TEST(FindGbaPointers, RefusesWithoutTranslationOrRom) {
  PointerBench t;
  t.ws.PerevodLoaded = false;
  FindGbaPointers(t.ws);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("Файл с переводом еще не загружен")}));
  t.clearRecords();
  t.perevod({"1 a"});
  FindGbaPointers(t.ws);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("ROM еще не загружен")}));
}

}  // namespace
