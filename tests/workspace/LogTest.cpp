#include <gtest/gtest.h>

#include "support/TestFiles.h"
#include "workspace/Dialogs.h"
#include "workspace/Errors.h"
#include "workspace/Escapes.h"
#include "workspace/Log.h"

namespace {

TEST(AppendLog, JoinsLinesWithCrLfAndYieldsOncePerLine) {
  TestBench t;
  AppendLog(t.ws, "first");
  EXPECT_EQ(t.ws.LogText, "first");
  AppendLog(t.ws, "second");
  EXPECT_EQ(t.ws.LogText, "first\r\nsecond");
  EXPECT_EQ(t.host.log, (std::vector<Text>{"first", "second"}));
  EXPECT_EQ(t.host.pumps, 2);
}

TEST(LogOperationError, NamesTheFailureInFlight) {
  TestBench t;
  try {
    throw OperationError(42, "broken");
  } catch (...) {
    LogOperationError(t.ws);
  }
  try {
    throw std::runtime_error("other");
  } catch (...) {
    LogOperationError(t.ws);
  }
  ASSERT_EQ(t.host.log.size(), 2u);
  EXPECT_EQ(t.host.log[0], W("Ошибка однако... broken 42"));
  EXPECT_EQ(t.host.log[1].rfind(W("Ошибка однако... other "), 0), 0u);
  EXPECT_EQ(t.host.failures, 2);
}

TEST(CheckFileExists, TrimsTheNameAndReportsWhatIsMissing) {
  TestBench t;
  WriteBytes(t.dir.path() / "rom.gb", "x");
  Text name = "  " + t.dir.file("rom.gb") + "  ";
  EXPECT_TRUE(CheckFileExists(t.ws, name, W("ROM Файл")));
  EXPECT_EQ(name, t.dir.file("rom.gb"));
  EXPECT_TRUE(t.host.messages.empty());

  Text missing = t.dir.file("none.gb") + " ";
  EXPECT_FALSE(CheckFileExists(t.ws, missing, W("ROM Файл")));
  EXPECT_EQ(missing, t.dir.file("none.gb"));
  ASSERT_EQ(t.host.messages.size(), 1u);
  EXPECT_EQ(t.host.messages[0].text, W("ROM Файл\r\nне найден :-("));
  EXPECT_EQ(t.host.messages[0].icon, Icon::Critical);

  // A folder is not a file to load.
  Text folder = t.dir.file("");
  EXPECT_FALSE(CheckFileExists(t.ws, folder, W("Файл таблицы")));
}

TEST(CheckFileExists, EmptyHelpNameAddsTheSettingsHint) {
  TestBench t;
  Text empty = "   ";
  EXPECT_FALSE(CheckFileExists(t.ws, empty, W("Файл справки (tarvellohelp.rtf)")));
  EXPECT_EQ(empty, "");
  ASSERT_EQ(t.host.messages.size(), 2u);
  EXPECT_EQ(t.host.messages[1].text, W("Вы можете выйти из программы и проверить путь+файл в tarvello.ini"));
  EXPECT_EQ(t.host.messages[1].icon, Icon::None);
  Text other;
  EXPECT_FALSE(CheckFileExists(t.ws, other, W("Файл таблицы")));
  EXPECT_EQ(t.host.messages.size(), 3u);
}

TEST(DecodeEscapes, ReplacesEscapesWhereverTheyStand) {
  EXPECT_EQ(DecodeEscapes("A<$41>B"), "AAB");
  EXPECT_EQ(DecodeEscapes("<$0A>"), "\n");
  EXPECT_EQ(DecodeEscapes("x<$0a>"), "x\n");
  EXPECT_EQ(DecodeEscapes("<$41"), "<$41");
  EXPECT_EQ(DecodeEscapes("ab<$41"), "ab<$41");
  EXPECT_EQ(DecodeEscapes("<$>"), "<$>");  // three characters: never changed
  EXPECT_EQ(DecodeEscapes("<$4x>"), Text(1, '\x04'));
  EXPECT_EQ(DecodeEscapes("<$zz>"), Text(1, '\0'));
  EXPECT_EQ(DecodeEscapes("<$FF><$00>"), W("я") + Text(1, '\0'));  // the characters of those Windows-1251 bytes
  // The produced character is not read again, and escapes do not nest.
  EXPECT_EQ(DecodeEscapes("<$3C>$41>"), "<$41>");
  EXPECT_EQ(DecodeEscapes("<<$41>>"), "<A>");
}

TEST(SaveLogFile, AppendsADatedBlockAfterWhatTheFileHeld) {
  TestBench t;
  t.ws.DoSaveLogsInFile = t.dir.file("log.txt");
  AppendLog(t.ws, "one");
  AppendLog(t.ws, "two");
  SaveLogFile(t.ws);
  const std::string block = "\r\n-------------12-06-2026 08:15:00-------------\r\none\r\ntwo";
  EXPECT_EQ(ReadBytes(t.dir.path() / "log.txt"), block);

  WriteBytes(t.dir.path() / "log.txt", "old text");
  t.host.clock.tm_hour = 23;
  SaveLogFile(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "log.txt"),
            "old text\r\n-------------12-06-2026 23:15:00-------------\r\none\r\ntwo");
}

TEST(SaveLogFile, DoesNothingWithoutAFileAndReportsAMissingFolder) {
  TestBench t;
  SaveLogFile(t.ws);
  EXPECT_TRUE(t.host.log.empty());
  t.ws.DoSaveLogsInFile = t.dir.file("no/such/log.txt");
  SaveLogFile(t.ws);
  ASSERT_EQ(t.host.log.size(), 1u);
  EXPECT_EQ(t.host.log[0].rfind(W("Ошибка однако... ")), 0u);
}

TEST(Progress, HidesItsBarHoweverTheWorkEnds) {
  TestBench t;
  try {
    Progress bar(t.ws, Bar::Main, 0, 10);
    bar.set(50);
    throw std::runtime_error("stop");
  } catch (const std::exception&) {
  }
  ASSERT_EQ(t.host.progressCalls.size(), 3u);
  EXPECT_TRUE(t.host.progressCalls[0].second.visible);
  EXPECT_EQ(t.host.progressCalls[1].second.value, 10);  // kept inside the range
  EXPECT_FALSE(t.host.progressCalls[2].second.visible);
}

}  // namespace
