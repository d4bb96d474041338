#include <gtest/gtest.h>

#include <random>

#include "cli/Steps.h"
#include "textio/GbPointer.h"
#include "textio/GbPointers.h"
#include "textio/GbaPointers.h"
#include "textio/TextioBench.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"

namespace {

TEST(GbPointer, WorkedExampleAndRoundTripAgainstTheBankRule) {
  // The line at &H109DCB lies in bank 0x42 and is reached through the bytes CA 5D.
  const std::int64_t offset = ReadAddress("&H109DCB") - 1;
  EXPECT_EQ(offset, 0x109DCA);
  EXPECT_EQ(GbBankOf(offset), 0x42);
  EXPECT_EQ(GbPointerValue(offset), 0x5DCA);
  EXPECT_EQ(GbPointerTarget(0x5DCA, 0x42), offset);
  EXPECT_EQ(GbPointerTarget(0x5DCA, 1), 0x5DCA);  // the same bytes in a bank-1 table
  EXPECT_EQ(GbPointerTarget(0x3FFF, 0x42), 0x3FFF);
  EXPECT_FALSE(GbPointerTarget(0x8000, 1));
  EXPECT_FALSE(GbPointerTarget(0xC123, 1));
  std::mt19937 random(7);
  for (int n = 0; n < 2000; ++n) {
    const std::int64_t at = std::uniform_int_distribution<std::int64_t>(0, 0x800000)(random);
    const std::uint16_t value = GbPointerValue(at);
    EXPECT_EQ(value < 0x4000, at < 0x4000) << at;
    // A bank-0 string is reached from a table of any bank.
    const std::int64_t tableBank = at < 0x4000 ? 5 : at / 0x4000;
    EXPECT_EQ(GbPointerTarget(value, tableBank), at) << at;
  }
}

TEST(GbPointerTables, ReadsRangesAndRefusesWhatIsNoRangeNamingIt) {
  struct Good {
    const char* setting;
    std::vector<std::array<std::int64_t, 3>> tables;  // first, last, bank
  };
  for (const Good& c : std::vector<Good>{
           {"&H1001-&H1010", {{0x1000, 0x100F, 1}}},
           {" 16385-16400:&H42 ; &H8001-&H8004; ", {{0x4000, 0x400F, 0x42}, {0x8000, 0x8003, 2}}},
           {"1-2:3", {{0, 1, 3}}},
       }) {
    const GbTablesReading r = ReadGbPointerTables(c.setting);
    EXPECT_EQ(r.error, "") << c.setting;
    ASSERT_EQ(r.tables.size(), c.tables.size()) << c.setting;
    for (size_t i = 0; i < c.tables.size(); ++i)
      EXPECT_EQ((std::array<std::int64_t, 3>{r.tables[i].first, r.tables[i].last, r.tables[i].bank}), c.tables[i]);
  }
  for (const char* bad : {"abc", "100", "100-", "-100", "0-10", "10-10", "10-9", "1-10:0", "1-10:x", "&HG-&H20",
                          "1-10;x-2", "1-10;10-20", "1-2:3:4", "1.5-10", "1-99999999999"}) {
    const GbTablesReading r = ReadGbPointerTables(bad);
    EXPECT_TRUE(r.tables.empty()) << bad;
    EXPECT_EQ(r.error.rfind(W("Таблица поинтеров GB \""), 0), 0u) << bad;
  }
  EXPECT_NE(ReadGbPointerTables("1-10;5-20").error.find("\"5-20\""), std::string::npos);
}

// The assertions every run makes: each entry reaches where its string is now (or still
// where it was, for a line whose pointers stay), and nothing else changed.
struct GbBench : TextioBench {
  struct Entry {
    std::int64_t at;
    std::int64_t bank;
    int string;  // index into `where`, -1 for an entry that reaches no line
  };
  std::vector<Entry> entries;
  std::vector<std::int64_t> where;  // each string's offset now
  std::vector<std::pair<std::int64_t, std::int64_t>> mayChange;

  GbBench() {
    tableRange(0x41, 0x5A, 'A');
    ws.ExtendedLogs = "NO";
    ws.LeaveChangesInPerevodAddr = "NO";
  }
  int string(std::string& image, std::int64_t at, const std::string& text) {
    image.replace(static_cast<size_t>(at), text.size(), text);
    where.push_back(at);
    return static_cast<int>(where.size()) - 1;
  }
  void entry(std::string& image, std::int64_t at, std::int64_t bank, std::uint16_t value, int str) {
    image[static_cast<size_t>(at)] = static_cast<char>(value & 0xFF);
    image[static_cast<size_t>(at + 1)] = static_cast<char>(value >> 8);
    entries.push_back({at, bank, str});
    mayChange.emplace_back(at, at + 2);
  }
  void expectEntriesAndNothingElse(const std::string& before) {
    for (const Entry& e : entries) {
      const auto& rom = ws.RomImage;
      const auto value =
          static_cast<std::uint16_t>(static_cast<unsigned char>(rom[static_cast<size_t>(e.at)]) |
                                     static_cast<unsigned char>(rom[static_cast<size_t>(e.at + 1)]) << 8);
      if (e.string >= 0)
        EXPECT_EQ(GbPointerTarget(value, e.bank), where[static_cast<size_t>(e.string)]) << "entry at " << e.at;
      else
        EXPECT_EQ(rom.substr(static_cast<size_t>(e.at), 2), before.substr(static_cast<size_t>(e.at), 2));
    }
    std::string masked(ws.RomImage);
    std::string expected = before;
    for (auto [from, to] : mayChange)
      for (auto i = from; i < to; ++i) masked[static_cast<size_t>(i)] = expected[static_cast<size_t>(i)] = '\0';
    EXPECT_TRUE(masked == expected) << "a byte outside the tables and the strings changed";
  }
  // A shifted insertion of `lines` (each string's index and text) with their strings'
  // new offsets, old and new places allowed to change.
  void shiftedPut(std::int32_t shift, const std::vector<std::pair<int, Text>>& lines,
                  const std::vector<std::int64_t>& packedTo, const std::vector<bool>& pointersFollow) {
    std::vector<Text> translation;
    for (const auto& [str, text] : lines)
      translation.push_back(Digits(where[static_cast<size_t>(str)] + 1) + " " + text);
    perevod(translation);
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::int64_t to = packedTo[i] + shift;
      mayChange.emplace_back(to, to + static_cast<std::int64_t>(lines[i].second.size()));
      if (pointersFollow[i]) where[static_cast<size_t>(lines[i].first)] = to;
    }
    AllSteps().find("ShiftedPut")->run(ws, {Digits(shift), "1", "GB"});
  }
};

TEST(ShiftedPutGb, TablesInBankZeroAndInTheStringsBanksFollowStringsOfBanksZeroOneAnd0x42) {
  GbBench t;
  std::string rom(0x43 * 0x4000, '\x00');
  const int hello = t.string(rom, 0x2000, "HELLO");
  const int world = t.string(rom, 0x2010, "WORLD");
  const int one = t.string(rom, 0x5DCA, "ONE");  // in-bank place of the 0x42 string below
  const int two = t.string(rom, 0x5E00, "TWO");
  const int crossing = t.string(rom, 0x7F00, "CROSSING");
  const int forty = t.string(rom, 0x109DCA, "FORTY");
  const int later = t.string(rom, 0x109E00, "LATER");
  // Bank 0 table for bank 0x42; bank 1 table; bank 0x42 table.
  const std::int64_t t0 = 0x1000, t1 = 0x4100, t42 = 0x42 * 0x4000 + 0x100;
  t.ws.GbPointerTables = "&H1001-&H1010:&H42;&H4101-&H410E;" + Text("&H108101-&H10810C");
  for (auto [at, bank, value, str] :
       std::vector<std::tuple<std::int64_t, std::int64_t, int, int>>{{t0, 0x42, 0x2000, hello},
                                                                     {t0 + 2, 0x42, 0x5DCA, forty},
                                                                     {t0 + 4, 0x42, 0x5E00, later},
                                                                     {t0 + 6, 0x42, 0x2010, world},
                                                                     {t0 + 8, 0x42, 0xC000, -1},
                                                                     {t0 + 10, 0x42, 0x1234, -1},
                                                                     {t1, 1, 0x5DCA, one},
                                                                     {t1 + 2, 1, 0x2000, hello},
                                                                     {t1 + 4, 1, 0x7F00, crossing},
                                                                     {t1 + 6, 1, 0x5E00, two},
                                                                     {t1 + 8, 1, 0x5DCA, one},
                                                                     {t42, 0x42, 0x5DCA, forty},
                                                                     {t42 + 2, 0x42, 0x2010, world},
                                                                     {t42 + 4, 0x42, 0x5E00, later}})
    t.entry(rom, at, bank, static_cast<std::uint16_t>(value), str);
  t.rom(rom);

  t.shiftedPut(0x20, {{hello, "HI"}, {world, "EARTH"}}, {0x2000, 0x2003}, {true, true});
  t.expectEntriesAndNothingElse(rom);
  // Bank 1: packed to 0x5DCA, 0x5DCE, 0x5DD2, then the last string runs into bank 2.
  t.clearRecords();
  const std::string afterBank0(t.ws.RomImage);
  t.shiftedPut(0x222A, {{one, "UNO"}, {two, "DOS"}, {crossing, "CRUZANDO"}}, {0x5DCA, 0x5DCE, 0x5DD2},
               {true, true, false});
  t.expectEntriesAndNothingElse(rom);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(t1 + 4, 2), afterBank0.substr(t1 + 4, 2));
  EXPECT_EQ(std::count(t.host.log.begin(), t.host.log.end(),
                       W("ПРЕДУПРЕЖДЕНИЕ: строка с адресом32513 (новый адрес 32765) уходит из банка &H1 в банк &H2: "
                         "2-байтный поинтер туда не достанет, GB поинтеры на нее не исправлены")),
            1);
  t.shiftedPut(-0x100, {{forty, "CUARENTA"}, {later, "LUEGO"}}, {0x109DCA, 0x109DD3}, {true, true});
  t.expectEntriesAndNothingElse(rom);
  EXPECT_EQ(t.host.failures, 0);
}

TEST(ShiftedPutGb, PlantedTableInARealGameBoyRom) {
  GbBench t;
  std::string rom = ReadBytes(TestData("flozz_tictactoe.gb"));
  ASSERT_EQ(rom.substr(0x545, 13), std::string(" YOU WON! :)\0", 13));
  ASSERT_EQ(rom.substr(0x6000, 16), std::string(16, '\xFF'));  // free space in bank 1
  t.where = {0x545, 0x552, 0x55F, 0x28D};
  for (auto [at, str] : std::vector<std::pair<std::int64_t, int>>{{0x6000, 0}, {0x6002, 1}, {0x6004, 2}, {0x6006, 3}})
    t.entry(rom, at, 1, static_cast<std::uint16_t>(t.where[static_cast<size_t>(str)]), str);
  t.entry(rom, 0x6008, 1, 0x7FFF, -1);
  t.rom(rom);
  t.ws.GbPointerTables = "&H6001-&H600A";
  t.tableRange(0x20, 0x7E, ' ');
  // Into the free space at 0x3000, packed: 0x545 + 0, +13, +26.
  t.shiftedPut(0x3000 - 0x545, {{0, " TY VYIGRAL!"}, {1, "TY PROIGRAL!"}, {2, "NICHYA!"}}, {0x545, 0x552, 0x55F},
               {true, true, true});
  t.expectEntriesAndNothingElse(rom);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(0x6000, 6), Bytes({0x00, 0x30, 0x0D, 0x30, 0x1A, 0x30}));
  EXPECT_EQ(t.host.failures, 0);
}

TEST(CorrectGbPointers, RunsAtShiftZeroWhenPackingMovedLinesAndSharedAddressesTakeTheFirstLine) {
  GbBench t;
  std::string rom(0x8000, '\x00');
  const int a = t.string(rom, 0x4100, "AAAA");
  const int b = t.string(rom, 0x4200, "BBB");
  t.entry(rom, 0x40, 1, 0x4100, a);
  t.entry(rom, 0x42, 1, 0x4200, b);
  t.ws.GbPointerTables = "&H41-&H44";
  t.rom(rom);
  t.perevod({"16641 XY", "16897 ZW", "16897 QQ"});  // lines 2 and 3 share an address
  BuildGbPointerTable(t.ws);
  PackPerevodAddresses(t.ws);
  t.perevod({"16641 XY", "16644 ZW", "16647 QQ"});
  t.where[static_cast<size_t>(b)] = 0x4103;  // the first of the two gives the value
  t.clearRecords();
  CorrectGbPointers(t.ws, 0);
  t.expectEntriesAndNothingElse(rom);
  EXPECT_EQ(t.host.log.back(), W("Коррекция поинтеров GB в ROM закончена"));

  // Already shifted addresses are not shifted again; an unchanged record at shift 0 says so.
  t.rom(rom);
  t.ws.LeaveChangesInPerevodAddr = "YES";
  t.perevod({"16641 XY", "16897 ZW"});
  BuildGbPointerTable(t.ws);
  t.perevod({"16651 XY", "16901 ZW"});
  CorrectGbPointers(t.ws, 10);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(0x40, 4), Bytes({0x0A, 0x41, 0x04, 0x42}));
  // An entry written over since it was recorded is no pointer any more: it stays.
  t.rom(rom);
  t.perevod({"16641 XY", "16897 ZW"});
  BuildGbPointerTable(t.ws);
  t.ws.RomImage[0x43] = 'Q';
  t.perevod({"16651 XY", "16901 ZW"});
  t.clearRecords();
  CorrectGbPointers(t.ws, 10);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(0x40, 4), Bytes({0x0A, 0x41, 0x00, 'Q'}));
  EXPECT_EQ(
      t.host.log.end()[-2],
      W("ПРЕДУПРЕЖДЕНИЕ: запись таблицы GB поинтеров по смещению 66 изменилась после поиска, оставлена как есть"));
  t.perevod({"16641 XY", "16897 ZW"});
  BuildGbPointerTable(t.ws);
  t.clearRecords();
  CorrectGbPointers(t.ws, 0);
  EXPECT_EQ(t.host.log,
            (std::vector<Text>{W("Приращение к смещению текста перевода равно нулю, ничего делать не надо")}));
}

TEST(CorrectGbPointers, AStringStaysInItsBankByTheBytesAnExtendedTableGivesIt) {
  GbBench t;
  t.ws.TableExtended = true;
  t.ws.TableEntries = {{"\x80", "TH", EntryKind::Normal}, {"\xF0\x01", "q", EntryKind::Normal}};
  std::string rom(0xC000, '\x00');
  const int th = t.string(rom, 0x5000, "AAA");
  t.entry(rom, 0x40, 1, 0x5000, th);
  t.entry(rom, 0x42, 1, 0x5010, -1);
  t.ws.GbPointerTables = "&H41-&H44";
  t.rom(rom);
  t.perevod({"20481 THTHTH", "20497 qqq"});
  BuildGbPointerTable(t.ws);
  // Six characters in three bytes end on the bank's last byte; three characters in six
  // bytes do not.
  t.ws.LeaveChangesInPerevodAddr = "YES";
  t.perevod({"32766 THTHTH", "32765 qqq"});
  t.where[static_cast<size_t>(th)] = 0x7FFD;
  t.clearRecords();
  CorrectGbPointers(t.ws, 1);
  t.expectEntriesAndNothingElse(rom);
  EXPECT_EQ(t.host.log.end()[-2], W("ПРЕДУПРЕЖДЕНИЕ: строка с адресом20497 (новый адрес 32765) уходит из банка &H1 в "
                                    "банк &H2: 2-байтный поинтер туда не достанет, GB поинтеры на нее не исправлены"));
}

TEST(GbPointerSteps, FindReportsBuildRefusesAndCorrectionNeedsARecord) {
  GbBench t;
  std::string rom(0x8000, '\x00');
  t.entry(rom, 0x100, 1, 0x4010, 0);
  t.entry(rom, 0x102, 1, 0x0020, 0);
  t.entry(rom, 0x104, 1, 0x0020, 0);
  t.rom(rom);
  t.perevod({"16401 a", "33 b", "33 c", "0 z", "99 d", "nospace"});
  t.ws.GbPointerTables = "&H101-&H106";
  AllSteps().find("FindGbPointers")->run(t.ws, {});
  EXPECT_EQ(t.host.log, (std::vector<Text>{
                            W("Выполняю поиск GB поинтеров "),
                            W("найден GB поинтер на строку с адресом16401, адрес поинтера256"),
                            W("найден GB поинтер на строку с адресом33, адрес поинтера258, всего 2"),
                            W("найден GB поинтер на строку с адресом33, адрес поинтера258, всего 2"),
                            W("ПРЕДУПРЕЖДЕНИЕ: Указатель на нулевое смещение в ROM'e, так и задумано?(...продолжим)"),
                            W("ПРЕДУПРЕЖДЕНИЕ: на адрес 0 GB поинтер не указывает, строку пропускаем"),
                            W("НЕ найден GB поинтер на строку с адресом99"),
                            W("Поиск поинтеров GB в ROM закончен: строк с поинтерами 3, без поинтеров 1"),
                        }));

  for (const auto& [setting, refusal] : std::vector<std::pair<Text, Text>>{
           {"", W("Таблицы поинтеров GB не заданы (GbPointerTables: начало-конец[:банк];...)")},
           {"5-x", W("Таблица поинтеров GB \"5-x\": нужно НАЧАЛО-КОНЕЦ[:БАНК], числа десятичные или &H")},
           {"&H7FF1-&H8002", W("Таблица поинтеров GB \"&H7FF1-&H8002\": за пределами ROM (размер 32768)")}}) {
    t.clearRecords();
    t.ws.GbPointerTables = setting;
    BuildGbPointerTable(t.ws);
    EXPECT_EQ(t.host.messageTexts(), std::vector<Text>{refusal});
    EXPECT_TRUE(t.ws.GbPointerMap.lines.empty());
    // A shifted insertion with Game Boy pointers moves nothing when they could not follow.
    AllSteps().find("ShiftedPut")->run(t.ws, {"4", "1", "GB"});
    EXPECT_EQ(t.ws.RomImage, rom);
    EXPECT_EQ(t.ws.PerevodArray[1], "33 b");
  }
  t.clearRecords();
  CorrectGbPointers(t.ws, 4);
  EXPECT_EQ(t.host.log.back(), W("Ошибка однако... таблица GB поинтеров не построена для этого перевода 1103"));
  EXPECT_EQ(t.ws.RomImage, rom);
  // An unknown kind is refused before any step runs.
  EXPECT_FALSE(AllSteps().find("ShiftedPut")->checks[2]("GBC").empty());
}

}  // namespace
