#include <gtest/gtest.h>

#include "ToolsTestHelpers.h"
#include "tools/Dumper.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  EXPECT_EQ(from, text.size()) << "every line ends with CR LF";
  return lines;
}

std::string Counting(size_t size) {
  std::string image(size, '\0');
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<char>('a' + i % 26);
  return image;
}

struct DumpBench : TestBench {
  DumpBench(size_t romSize = 32768) {
    PutRom(ws, Counting(romSize));
    PutTable(ws);
    ws.ReportFileName = dir.file("dump.txt");
  }
  std::string dump() { return ReadBytes(dir.path() / "dump.txt"); }
};

TEST(DumpRomBlock, WritesFixedWidthLinesKeyedByAddress) {
  DumpBench t;
  std::int32_t start = 1;
  DumpRomBlock(t.ws, start, 16384, 70, true);
  const auto lines = Lines(t.dump());
  ASSERT_EQ(lines.size(), 235u);
  EXPECT_EQ(lines[0], "1 " + Text(std::string_view(t.ws.RomImage)).substr(0, 70));
  EXPECT_EQ(lines[1].substr(0, 3), "71 ");
  EXPECT_EQ(lines[234], "16381 " + Text(std::string_view(t.ws.RomImage)).substr(16380, 4));
  EXPECT_EQ(t.host.log.back(),
            W("Вынули dump из ROM файла: game.gb в файл: ") + t.ws.ReportFileName + W("адреса от/до = 1/ 16384"));
  EXPECT_FALSE(t.host.progressCalls.back().second.visible);
}

TEST(DumpRomBlock, HexAddressesWhenAsked) {
  DumpBench t;
  t.ws.UseHEXaddr = "YES";
  std::int32_t start = 1;
  DumpRomBlock(t.ws, start, 200, 70, true);
  const auto lines = Lines(t.dump());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].substr(0, 5), "&H47 ");
  EXPECT_EQ(lines[2].substr(0, 5), "&H8D ");
}

TEST(DumpRomBlock, StartZeroDumpsFromOneAndKeepsTheEnd) {
  DumpBench t;
  std::int32_t start = 0;
  DumpRomBlock(t.ws, start, 100, 0, true);
  EXPECT_EQ(start, 1);
  EXPECT_TRUE(Contains(t.host.log,
                       W("Вообще то, надо указывать с Единицы, ну ладно я сам прибавлю, НО к адресу конца НЕ БУДУ")));
  // A line size of 0 never completes a line: the whole block is one line.
  EXPECT_EQ(Lines(t.dump()), std::vector<std::string>{"1 " + Text(std::string_view(t.ws.RomImage)).substr(0, 100)});
}

TEST(DumpRomBlock, BytesWithoutCharacterAreEscapedOrKeptRaw) {
  DumpBench t;
  PutTable(t.ws, std::string("\x0A\x00", 2));
  t.ws.RomImage = std::string("x\x0Ay\x00", 4);
  std::int32_t start = 1;
  DumpRomBlock(t.ws, start, 4, 70, true);
  EXPECT_EQ(t.dump(), "1 x<$0A>y<$00>\r\n");
  DumpRomBlock(t.ws, start, 4, 70, false);
  EXPECT_EQ(t.dump(), std::string("1 x\x0Ay\x00\r\n", 8));
}

TEST(DumpRomBlock, RefusesInTheirOrderAndWritesNothing) {
  DumpBench t;
  std::int32_t start = 5;
  DumpRomBlock(t.ws, start, 5, 70, true);  // an end equal to the start is refused too
  t.ws.ReportFileName.clear();
  DumpRomBlock(t.ws, start, 10, 70, true);
  t.ws.TableLoaded = false;
  DumpRomBlock(t.ws, start, 10, 70, true);
  t.ws.RomLoaded = false;
  DumpRomBlock(t.ws, start, 10, 70, true);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Адрес конца блока для дампа, раньше адреса начала блока"),
                                           W("Не задано имя файла отчета"), W("Хорошо бы сначала загрузить Таблицу"),
                                           W("Сначала надо загрузить ROM")}));
  EXPECT_EQ(t.host.messageTexts(),
            (std::vector<Text>{W("Адрес конца блока для дампа, раньше адреса начала блока"),
                               W("Вы не забыли загрузить Таблицу ?"), W("Сначала надо загрузить ROM")}));
  EXPECT_FALSE(std::filesystem::exists(t.dir.path() / "dump.txt"));
}

TEST(DumpRomBlock, BlockPastTheRomKeepsOnlyCompleteLines) {
  DumpBench t(250);
  std::int32_t start = 1;
  DumpRomBlock(t.ws, start, 1000, 100, true);
  EXPECT_EQ(Lines(t.dump()).size(), 2u);
  EXPECT_EQ(t.host.messageTexts(), std::vector<Text>{W("Что за ROM ? М-А-Л-О-В-А-Т-О будет!")});
  EXPECT_EQ(t.host.log.back(), W("Блок для дампа вылезает за границы ROM"));
}

TEST(DumpRomBlock, FailuresAreReportedNotThrown) {
  DumpBench t;
  t.ws.ReportFileName = t.dir.file("no/such/folder/dump.txt");
  std::int32_t start = 1;
  DumpRomBlock(t.ws, start, 10, 70, true);
  start = -5;
  t.ws.ReportFileName = t.dir.file("dump.txt");
  DumpRomBlock(t.ws, start, 10, 70, true);
  ASSERT_EQ(t.host.log.size(), 2u);
  for (const auto& line : t.host.log) EXPECT_EQ(line.rfind(W("Ошибка однако... "), 0), 0u) << line;
  EXPECT_EQ(t.host.failures, 2);
}

TEST(DumpRomBlock, ProgressStaysInsideTheBar) {
  DumpBench t(300000);
  std::int32_t start = 1;
  DumpRomBlock(t.ws, start, 200001, 1, true);
  ASSERT_GT(t.host.progressCalls.size(), 2u);
  for (const auto& [bar, state] : t.host.progressCalls) {
    EXPECT_EQ(state.min, 1);
    EXPECT_EQ(state.max, 200000);
    EXPECT_GE(state.value, state.min);
    EXPECT_LE(state.value, state.max);
  }
  // The event loop runs now and then, not once per byte.
  EXPECT_LT(t.host.pumps, 100);
}

TEST(DumpPreview, ReturnsUpToTheRomEnd) {
  DumpBench t(524288);
  std::int32_t start = 524272, end = 0;
  EXPECT_EQ(DumpPreview(t.ws, start, end, true), Text(std::string_view(t.ws.RomImage)).substr(524271));
  EXPECT_EQ(end, 524288);
  EXPECT_EQ(t.ws.AddrInTblDumpPrv, "524272");
  start = 0;
  EXPECT_EQ(DumpPreview(t.ws, start, end, true).size(), 1001u);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(end, 1001);
}

TEST(DumpPreview, RefusesWithoutRomOrBlock) {
  DumpBench t(100);
  std::int32_t start = 100, end = 0;
  EXPECT_EQ(DumpPreview(t.ws, start, end, true), "");
  t.ws.RomLoaded = false;
  EXPECT_EQ(DumpPreview(t.ws, start, end, true), "");
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("Адрес конца блока для дампа, раньше адреса начала блока"),
                                                      W("Для предпросмотра, надо загрузить ROM")}));
  EXPECT_EQ(t.host.log.back(), W("Сначала надо загрузить ROM"));
}

TEST(DumperFields, SettingsLineFillsAsManyFieldsAsItHas) {
  TestBench t;
  t.ws.DumperINILine = "";
  EXPECT_EQ(DumperFieldsFromSettings(t.ws).endAddr, "16384");
  t.ws.DumperINILine = "&H100,500";
  const DumperFields fields = DumperFieldsFromSettings(t.ws);
  EXPECT_EQ(fields.startAddr, "&H100");
  EXPECT_EQ(fields.endAddr, "500");
  EXPECT_EQ(fields.lineSize, "70");
  EXPECT_EQ(DumpEndForLength("1", "100"), "101");
  EXPECT_EQ(DumpEndForLength("&H10", ""), "16");
}

TEST(RunDumper, ReadsTheFieldsAndRemembersThem) {
  DumpBench t;
  DumperFields fields{" &H10 ", "50", "20", true};
  RunDumper(t.ws, fields);
  EXPECT_EQ(Lines(t.dump()).front().substr(0, 3), "16 ");
  EXPECT_EQ(t.ws.DumperINILine, "&H10,50,20");
  fields.endAddr = "99999999999";
  RunDumper(t.ws, fields);
  EXPECT_EQ(t.host.log.back().rfind(W("Ошибка однако... "), 0), 0u);
}

}  // namespace
