#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/TestFiles.h"
#include "tools/Emulator.h"
#include "workspace/Files.h"
#include "workspace/Rom.h"
#include "workspace/Settings.h"

namespace {

TEST(EmulatorArguments, WordsQuotesAndTheFileMark) {
  const struct {
    const char* command;
    std::vector<Text> words;
  } cases[] = {
      {"mgba-qt %f", {"mgba-qt", "/t/a.gba"}},
      {"  emu   -f  %f  ", {"emu", "-f", "/t/a.gba"}},
      {"\"/opt/my emu/run\" --rom=%f -x", {"/opt/my emu/run", "--rom=/t/a.gba", "-x"}},
      {"emu %f %f", {"emu", "/t/a.gba", "/t/a.gba"}},
      {"emu \"\"", {"emu", "", "/t/a.gba"}},  // no mark: the file comes last
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(EmulatorArguments(c.command, "/t/a.gba"), c.words) << c.command;
}

TEST(FindProgram, PathThenUsrGamesAndNamesWithASlashAsTheyAre) {
  EXPECT_EQ(FindProgram("/bin/sh"), std::optional<Text>("/bin/sh"));
  const auto sh = FindProgram("sh");
  ASSERT_TRUE(sh);
  EXPECT_TRUE(sh->ends_with("/sh"));
  EXPECT_EQ(FindProgram("tarvello-no-such-emulator"), std::nullopt);
  TempDir dir;
  WriteBytes(dir.path() / "plain", "x");  // not executable
  EXPECT_EQ(FindProgram(dir.file("plain")), std::nullopt);
  EXPECT_EQ(FindProgram(""), std::nullopt);
}

struct EmulatorBench : TestBench {
  EmulatorBench() {
    WriteBytes(dir.path() / "game.gba", std::string(0x100, 'A'));
    ws.InputRomFileName = dir.file("game.gba");
    LoadRom(ws);
    // A change not saved: the emulator gets it, the file keeps its bytes.
    StartRomWork(ws)[0x10] = 'Z';
    CommitRomWorkImage(ws);
  }
};

// The image in memory goes to a folder of its own, under its ROM's name; the command
// gets it in place of %f, and the folder goes once the command has ended.
TEST(RunInEmulator, StartsTheCommandOnACopyOfTheImageAndLeavesTheRomFileAlone) {
  EmulatorBench b;
  b.ws.EmulatorCommand = b.dir.file("record.sh") + " %f --fast";
  RecordingCommand(b.dir.path());
  RunInEmulator(b.ws);
  ASSERT_TRUE(WaitForFile(b.dir.path() / "args")) << b.host.log.back();
  const std::string args = ReadBytes(b.dir.path() / "args");
  const std::string image = args.substr(0, args.find('\n'));
  EXPECT_TRUE(image.ends_with("/game.gba")) << args;
  EXPECT_EQ(std::filesystem::path(image).parent_path().parent_path(), std::filesystem::temp_directory_path());
  EXPECT_EQ(args.substr(image.size()), "\n--fast\n");
  EXPECT_EQ(ReadBytes(b.dir.path() / "image"), b.ws.RomImage);
  EXPECT_EQ(b.ws.RomImage[0x10], 'Z');
  EXPECT_EQ(ReadBytes(b.dir.path() / "game.gba"), std::string(0x100, 'A'));
  EXPECT_EQ(b.host.log.back(), W("Запустили эмулятор: ") + b.dir.file("record.sh") + " " + image + " --fast");
  // The emulator's folder goes with it.
  for (int i = 0; i < 1000 && std::filesystem::exists(std::filesystem::path(image).parent_path()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(image).parent_path()));
}

TEST(RunInEmulator, RefusalsNameWhatIsMissing) {
  TestBench t;
  EXPECT_EQ(t.ws.EmulatorCommand, "mgba-qt %f");
  RunInEmulator(t.ws);
  EXPECT_EQ(t.host.log.back(), W("ROM еще не загружен"));

  EmulatorBench b;
  b.ws.EmulatorCommand = "tarvello-no-such-emulator -x %f";
  RunInEmulator(b.ws);
  ASSERT_EQ(b.host.messages.size(), 1u);
  EXPECT_EQ(b.host.messageTexts().back(),
            W("Эмулятор не найден: нет программы \"tarvello-no-such-emulator\". Команду запуска задает настройка "
              "EmulatorCommand в tarvello.ini (сейчас \"tarvello-no-such-emulator -x %f\")"));
  EXPECT_EQ(b.ws.NotDoneCount, 1u);
  // An emptied setting takes the default again.
  ASSERT_TRUE(SetSetting(b.ws, "EmulatorCommand", ""));
  EXPECT_EQ(b.ws.EmulatorCommand, "mgba-qt %f");
}

}  // namespace
