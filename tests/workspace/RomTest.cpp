#include <gtest/gtest.h>
#include <unistd.h>

#include "support/TestFiles.h"
#include "workspace/Files.h"
#include "workspace/Rom.h"

namespace {

namespace fs = std::filesystem;

struct RomBench : TestBench {
  RomBench() {
    RomWorkBuffer(ws) = std::string("\x00\x01new\xFF", 6);
    ws.RomLoaded = ws.RomChanged = true;
  }
  void saveTo(const std::string& name) {
    ws.OutputRomFileName = dir.file(name);
    SaveRom(ws);
  }
};

TEST(LoadRom, ReadsEveryByteIntoBothImages) {
  TestBench t;
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
  WriteBytes(t.dir.path() / "g.gb", bytes);
  t.ws.InputRomFileName = " " + t.dir.file("g.gb");
  LoadRom(t.ws);
  EXPECT_EQ(t.ws.RomImage, bytes);
  EXPECT_EQ(RomWorkImage(t.ws), bytes);
  EXPECT_TRUE(t.ws.RomLoaded);
  EXPECT_FALSE(t.ws.RomChanged);
  EXPECT_EQ(t.host.log.back(), W("Загрузили ROM: ") + t.dir.file("g.gb"));
}

TEST(LoadRom, AnEmptyFileIsAnEmptyRom) {
  TestBench t;
  t.ws.RomImage = "old";
  WriteBytes(t.dir.path() / "e.gb", "");
  t.ws.InputRomFileName = t.dir.file("e.gb");
  LoadRom(t.ws);
  EXPECT_TRUE(t.ws.RomLoaded);
  EXPECT_EQ(t.ws.RomImage, "");
}

TEST(LoadRom, AMissingFileChangesNothing) {
  TestBench t;
  t.ws.RomImage = "keep";
  t.ws.InputRomFileName = t.dir.file("none.gb");
  LoadRom(t.ws);
  EXPECT_EQ(t.ws.RomImage, "keep");
  EXPECT_FALSE(t.ws.RomLoaded);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("ROM Файл\r\nне найден :-(")}));
  EXPECT_EQ(t.host.failures, 1);
}

// The working copy and the ROM as loaded share RomImage's buffers until a write; every
// step below checks all three images, so a buffer traded at the wrong moment shows.
TEST(RomImages, WorkingCopyAndOriginalFollowLoadsWritesAndCommits) {
  TestBench t;
  WriteBytes(t.dir.path() / "a.gb", "AAAA");
  WriteBytes(t.dir.path() / "b.gb", "BBBBBB");
  const auto expect = [&](const char* step, const Text& rom, const Text& work, const Text& original) {
    EXPECT_EQ(t.ws.RomImage, rom) << step;
    EXPECT_EQ(RomWorkImage(t.ws), work) << step;
    EXPECT_EQ(RomOriginalImage(t.ws), original) << step;
  };
  t.ws.InputRomFileName = t.dir.file("a.gb");
  LoadRom(t.ws);
  expect("load", "AAAA", "AAAA", "AAAA");
  StartRomWork(t.ws)[0] = 'x';  // an operation that stopped part way
  expect("stopped", "AAAA", "xAAA", "AAAA");
  ContinueRomWork(t.ws)[1] = 'y';
  expect("continued", "AAAA", "xyAA", "AAAA");
  t.ws.InputRomFileName = t.dir.file("none.gb");
  LoadRom(t.ws);
  expect("failed load", "AAAA", "xyAA", "AAAA");
  t.ws.InputRomFileName = t.dir.file("b.gb");
  LoadRom(t.ws);
  expect("reload", "BBBBBB", "BBBBBB", "BBBBBB");
  ContinueRomWork(t.ws)[0] = '1';
  CommitRomWorkImage(t.ws);
  expect("commit", "1BBBBB", "1BBBBB", "BBBBBB");
  StartRomWork(t.ws)[1] = '2';
  CommitRomWorkImage(t.ws);
  expect("second commit", "12BBBB", "12BBBB", "BBBBBB");
  RomWorkBuffer(t.ws) = "whole";
  DiscardRomWork(t.ws);
  expect("discard", "12BBBB", "12BBBB", "BBBBBB");
  LoadRom(t.ws);
  RomImageToWrite(t.ws)[0] = 'w';
  expect("RomImage written", "wBBBBB", "BBBBBB", "BBBBBB");
  EXPECT_TRUE(t.ws.RomChanged);
}

TEST(SaveRom, KeepsABackupReplacingAnOlderOne) {
  RomBench t;
  t.ws.OverwriteOldFile = "YES";
  t.ws.MakeBAKFiles = "YES";
  WriteBytes(t.dir.path() / "game.gb", "previous");
  WriteBytes(t.dir.path() / "game.bak", "ancient");
  t.saveTo("game.gb");
  EXPECT_EQ(ReadBytes(t.dir.path() / "game.gb"), RomWorkImage(t.ws));
  EXPECT_EQ(ReadBytes(t.dir.path() / "game.bak"), "previous");
  EXPECT_FALSE(t.ws.RomChanged);
  EXPECT_EQ(t.host.log, (std::vector<Text>{
                            W("старый файл ") + t.dir.file("game.gb") + W(" переименован в ") + t.dir.file("game.bak"),
                            W("ROM сохранен в ") + t.dir.file("game.gb")}));
}

TEST(SaveRom, WithoutBackupsTheOldFileIsReplaced) {
  RomBench t;
  t.ws.OverwriteOldFile = "YES";
  t.ws.MakeBAKFiles = "NO";
  WriteBytes(t.dir.path() / "game.gb", "previous");
  t.saveTo("game.gb");
  EXPECT_EQ(ReadBytes(t.dir.path() / "game.gb"), RomWorkImage(t.ws));
  EXPECT_FALSE(fs::exists(t.dir.path() / "game.bak"));
  EXPECT_EQ(t.host.log[0], W("враги убили старый файл ") + t.dir.file("game.gb") + ":-)");
}

TEST(SaveRom, WithoutOverwritingTheSaveGoesToAStampedName) {
  RomBench t;
  t.ws.OverwriteOldFile = "NO";
  WriteBytes(t.dir.path() / "game.gb", "previous");
  t.saveTo("game.gb");
  EXPECT_EQ(ReadBytes(t.dir.path() / "game.gb"), "previous");
  EXPECT_EQ(t.ws.OutputRomFileName, t.dir.file("06-12-2026-8-15-00_game.gb"));
  EXPECT_EQ(ReadBytes(t.dir.path() / "06-12-2026-8-15-00_game.gb"), RomWorkImage(t.ws));
  EXPECT_EQ(t.host.log[0], W("такой файл уже есть..."));

  // A bare name gets the stamp in front, without "_".
  Text bare = "game.gb";
  PrepareSaveTarget(t.ws, bare);
  EXPECT_EQ(bare, "06-12-2026-8-15-00game.gb");
}

TEST(SaveRom, AsksForANameAndLogsACancel) {
  RomBench t;
  SaveRom(t.ws);
  EXPECT_EQ(t.host.prompts, (std::vector<Text>{W("Сохранить ROM как...")}));
  EXPECT_EQ(t.host.fileRequests[0].kind, FileRequest::Kind::Save);
  EXPECT_EQ(t.host.log.back(), W("Не указано имя файла для сохранения, ROM не сохранен"));
  EXPECT_TRUE(t.ws.RomChanged);

  t.host.files.push_back({t.dir.file("chosen.gbc")});
  SaveRom(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "chosen.gbc"), RomWorkImage(t.ws));
  EXPECT_EQ(t.ws.OutputRomFileName, t.dir.file("chosen.gbc"));
}

TEST(SaveRom, AFailedWriteKeepsTheOldFileAndTheChangedFlag) {
  RomBench t;
  t.saveTo("no/such/dir/game.gb");
  EXPECT_TRUE(t.ws.RomChanged);
  EXPECT_EQ(t.host.log.back().rfind(W("Ошибка однако... "), 0), 0u);

  // A folder where the file should be: the rename fails, nothing else is touched.
  fs::create_directory(t.dir.path() / "taken.gb");
  t.ws.OverwriteOldFile = "YES";
  t.ws.MakeBAKFiles = "NO";
  t.saveTo("taken.gb");
  EXPECT_TRUE(fs::is_directory(t.dir.path() / "taken.gb"));
  EXPECT_TRUE(t.ws.RomChanged);
  // No temporary file is left behind.
  int entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(t.dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(BackupName, ReplacesTheLastDotOfTheFileName) {
  EXPECT_EQ(BackupName("/x/game.gb"), "/x/game.bak");
  EXPECT_EQ(BackupName("/x/game"), "/x/game.bak");
  EXPECT_EQ(BackupName("/x.y/game"), "/x.y/game.bak");
  EXPECT_EQ(BackupName("proj.v2/rom"), "proj.v2/rom.bak");
  EXPECT_EQ(BackupName("/x/.hidden"), "/x/.bak");
  EXPECT_EQ(BackupName("a.b.gba"), "a.b.bak");
}

TEST(MakeStamp, DayMonthYearHourMinuteSecond) {
  TestBench t;
  t.host.clock.tm_hour = 14;
  t.host.clock.tm_min = 5;
  t.host.clock.tm_sec = 9;
  t.host.clock.tm_mday = 1;
  t.host.clock.tm_mon = 0;
  EXPECT_EQ(MakeStamp(t.ws), "01-01-2026-14-05-09");
}

}  // namespace
