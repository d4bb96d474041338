#include <gtest/gtest.h>

#include <random>

#include "textio/Extraction.h"
#include "textio/TextioBench.h"
#include "workspace/Files.h"

namespace {

struct ExtractBench : TextioBench {
  ExtractBench() {
    ws.ReportFileName = dir.file("report.txt");
    ws.InputRomFileName = "game.gb";
  }
  std::string extract() {
    ExtractTextFromRom(ws);
    return ReadBytes(dir.path() / "report.txt");
  }
};

TEST(ExtractTextFromRom, WritesEveryLongEnoughRunAtItsOneBasedPosition) {
  ExtractBench t;
  t.tableRange(0x41, 0x5A, 'A');
  // The first byte starts a run; the lone C is too short; DEF ends at the last byte.
  t.rom(Bytes({0x41, 0x42, 0x00, 0x43, 0x00, 0x44, 0x45, 0x46}));
  EXPECT_EQ(t.extract(), "1 AB\r\n6 DEF\r\n");
  EXPECT_EQ(t.host.log.back(), W("Вынули текст из ROM файла: game.gb в файл: ") + t.ws.ReportFileName);
  EXPECT_FALSE(t.ws.RomChanged);

  t.ws.UseHEXaddr = "YES";
  EXPECT_EQ(t.extract(), "&H1 AB\r\n&H6 DEF\r\n");

  t.ws.UseHEXaddr = "NO";
  t.ws.NumberOfTextChars = 1;
  EXPECT_EQ(t.extract(), "1 AB\r\n4 C\r\n6 DEF\r\n");
  t.ws.NumberOfTextChars = 3;
  EXPECT_EQ(t.extract(), "6 DEF\r\n");
}

TEST(ExtractTextFromRom, DecodesThroughTheTableOneCharacterPerByte) {
  ExtractBench t;
  // Codes 0x80.. carry Cyrillic letters, 0x20 the space; a run may start with the space.
  t.table({{0x80, '\xC0'}, {0x81, '\xC1'}, {0x20, ' '}, {0x00, 'x'}});
  t.rom(Bytes({0xFF, 0x20, 0x80, 0x81, 0xFF, 0x00, 0x00}));
  EXPECT_EQ(t.extract(), "2  \xC0\xC1\r\n6 xx\r\n");
}

TEST(ExtractTextFromRom, ATableForEveryCodeMakesTheWholeRomOneLine) {
  ExtractBench t;
  std::map<int, char> all;
  // NUL would mean no character, so code 0xFF shares Q with code 0xAE.
  for (int code = 0; code < 256; ++code) all[code] = code == 0xFF ? 'Q' : static_cast<char>(255 - code);
  t.table(all);
  std::string rom;
  for (int code = 0; code < 256; ++code) rom += static_cast<char>(code);
  t.rom(rom);
  std::string expected = "1 ";
  for (unsigned char b : rom) expected += all[b];
  EXPECT_EQ(t.extract(), expected + "\r\n");
}

TEST(ExtractTextFromRom, ARunLongerThanAnyBufferIsWrittenWhole) {
  ExtractBench t;
  t.tableRange(0x20, 0x7E, ' ');
  // Two text runs of 3 MiB and 1 MiB + 1 around one byte without a character.
  std::string rom(4 * 1024 * 1024 + 3, 'x');
  rom[3 * 1024 * 1024] = '\x01';
  t.rom(rom);
  const std::string report = t.extract();
  EXPECT_EQ(report, "1 " + rom.substr(0, 3 * 1024 * 1024) + "\r\n" + std::to_string(3 * 1024 * 1024 + 2) + " " +
                        rom.substr(3 * 1024 * 1024 + 1) + "\r\n");
  // No temporary file is left beside the report.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.dir.path()), {}), 1);
}

TEST(ExtractTextFromRom, ABigRandomImageGivesTheLinesOfTheByteByByteDefinition) {
  ExtractBench t;
  t.tableRange(0x20, 0x7E, ' ');
  std::mt19937 rng(4);
  std::string rom(3 * 1024 * 1024 + 17, '\0');
  for (auto& c : rom) c = static_cast<char>(rng());
  t.rom(rom);
  for (int minLength : {1, 2, 5}) {
    for (const char* hex : {"NO", "YES"}) {
      std::string expected;
      for (size_t i = 0; i < rom.size();) {
        size_t end = i;
        while (end < rom.size() && rom[end] >= 0x20 && rom[end] <= 0x7E) ++end;
        if (end - i >= static_cast<size_t>(minLength)) {
          char address[32];
          std::snprintf(address, sizeof address, hex[0] == 'Y' ? "&H%zX " : "%zu ", i + 1);
          expected += address + rom.substr(i, end - i) + "\r\n";
        }
        i = end + 1;
      }
      t.ws.NumberOfTextChars = minLength;
      t.ws.UseHEXaddr = hex;
      ASSERT_EQ(t.extract(), expected) << minLength << hex;
    }
  }
}

TEST(ExtractTextFromRom, ProgressFollowsTheWrittenRunsAndTheEventLoopRunsOncePerLine) {
  ExtractBench t;
  t.tableRange(0x41, 0x5A, 'A');
  t.rom(Bytes({0x41, 0x42, 0x00, 0x43, 0x00, 0x44, 0x45, 0x46}));
  t.clearRecords();
  t.extract();
  std::vector<int> values;
  for (const auto& [bar, state] : t.host.progressCalls) {
    EXPECT_EQ(bar, Bar::Main);
    EXPECT_EQ(state.max, 9);
    if (state.visible) values.push_back(state.value);
  }
  // Shown at 0, then the position of the byte that ended each run, n + 1 for the last.
  EXPECT_EQ(values, (std::vector<int>{0, 3, 9}));
  EXPECT_FALSE(t.host.progressCalls.back().second.visible);
  // Two written lines and one log line.
  EXPECT_EQ(t.host.pumps, 3);
}

TEST(ExtractTextFromRom, AnEmptyRomGivesAnEmptyReportAndNoError) {
  ExtractBench t;
  t.tableRange(0x41, 0x5A, 'A');
  t.rom("");
  WriteBytes(t.dir.path() / "report.txt", "old contents");
  EXPECT_EQ(t.extract(), "");
  EXPECT_EQ(t.host.failures, 0);
  EXPECT_EQ(t.host.log.back(), W("Вынули текст из ROM файла: game.gb в файл: ") + t.ws.ReportFileName);
}

TEST(ExtractTextFromRom, LoadsWhatIsMissingAndRefusesWhatStillIs) {
  ExtractBench t;
  WriteBytes(t.dir.path() / "game.gb", Bytes({0x41, 0x42}));
  WriteBytes(t.dir.path() / "t.tbl", "41=A\r\n42=B\r\n");
  t.ws.InputRomFileName = t.dir.file("game.gb");
  t.ws.TableFileName = t.dir.file("t.tbl");
  EXPECT_EQ(t.extract(), "1 AB\r\n");
  EXPECT_TRUE(t.ws.RomLoaded);
  EXPECT_TRUE(t.ws.TableLoaded);

  ExtractBench noRom;
  noRom.tableRange(0x41, 0x5A, 'A');
  noRom.ws.InputRomFileName = noRom.dir.file("missing.gb");
  ExtractTextFromRom(noRom.ws);
  ASSERT_EQ(noRom.host.messages.size(), 2u);  // the missing file, then the refusal
  EXPECT_EQ(noRom.host.messages[1].text, W("Сначала надо загрузить ROM"));
  EXPECT_EQ(noRom.host.messages[1].icon, Icon::Critical);
  EXPECT_EQ(noRom.host.log.back(), W("Сначала надо загрузить ROM"));
  EXPECT_FALSE(FileExists(noRom.ws.ReportFileName));

  ExtractBench noTable;
  noTable.rom("AB");
  ExtractTextFromRom(noTable.ws);
  EXPECT_EQ(noTable.host.messageTexts().back(), W("Сначала надо загрузить Таблицу"));
  EXPECT_EQ(noTable.host.log.back(), W("Сначала надо загрузить Таблицу"));
}

TEST(ExtractTextFromRom, NeedsAReportName) {
  ExtractBench t;
  t.tableRange(0x41, 0x5A, 'A');
  t.rom("AB");
  t.ws.ReportFileName.clear();
  ExtractTextFromRom(t.ws);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Не задано имя файла отчета")}));
  EXPECT_TRUE(t.host.messages.empty());
}

TEST(ExtractTextFromRom, AReportInAMissingFolderIsReportedAndItsNameForgotten) {
  ExtractBench t;
  t.tableRange(0x41, 0x5A, 'A');
  t.rom("AB");
  const Text name = t.dir.file("no/such/report.txt");
  t.ws.ReportFileName = name;
  ExtractTextFromRom(t.ws);
  ASSERT_EQ(t.host.messages.size(), 1u);
  EXPECT_EQ(t.host.messages[0].text,
            W("Не могу создать файл отчета") + "\r\n" + name + "\r\n" + W("попробуйте еще раз с другим файлом..."));
  EXPECT_EQ(t.host.messages[0].icon, Icon::Critical);
  EXPECT_EQ(t.ws.ReportFileName, "");
  EXPECT_EQ(t.host.failures, 1);
}

TEST(ExtractTextFromRom, OtherWriteFailuresLogTheGeneralErrorAndKeepTheName) {
  ExtractBench t;
  t.tableRange(0x41, 0x5A, 'A');
  t.rom("AB");
  std::filesystem::create_directory(t.dir.path() / "folder");
  t.ws.ReportFileName = t.dir.file("folder");
  ExtractTextFromRom(t.ws);
  EXPECT_TRUE(t.host.messages.empty());
  EXPECT_EQ(t.host.log.back().rfind(W("Ошибка однако... "), 0), 0u);
  EXPECT_EQ(t.host.failures, 1);
  EXPECT_EQ(t.ws.ReportFileName, t.dir.file("folder"));
  EXPECT_TRUE(std::filesystem::is_directory(t.dir.path() / "folder"));
  // The temporary file of the report is gone too.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.dir.path()), {}), 1);
}

TEST(ExtractTextFromRom, FindsTheStringsOfARealGameBoyRom) {
  ExtractBench t;
  t.tableRange(0x20, 0x7E, ' ');
  t.rom(ReadBytes(TestData("flozz_tictactoe.gb")));
  t.ws.NumberOfTextChars = 4;
  const std::string report = "\r\n" + t.extract();
  // Known NUL-terminated strings of the game, at their offsets plus one.
  for (const char* line : {"\r\n654  Tic Tac Toe\r\n", "\r\n667 - Press START -\r\n", "\r\n854 X You - O Computer\r\n",
                           "\r\n1363 YOU LOST! :(\r\n", "\r\n1386 - Press START -\r\n"})
    EXPECT_NE(report.find(line), std::string::npos) << line;
  EXPECT_EQ("\r\n" + t.extract(), report);
}

}  // namespace
