// Situations planted around a save or a read — a link that leads nowhere, a backup name
// already taken, a second save in the same second, a dead save's leftovers, a file-size
// limit, a name near the system's limit, a file cut while it is read — and after each:
// every file that was there is as it was, and nothing is left behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <sstream>

#include "cli/Runner.h"
#include "processing/Dictionary.h"
#include "support/TestFiles.h"
#include "workspace/Errors.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"
#include "workspace/Settings.h"

namespace {

namespace fs = std::filesystem;

// Every entry of a folder and those below it: a file's bytes, or where a link points
// (a link is never followed: some of them lead nowhere or in a circle).
void Walk(const fs::path& dir, const fs::path& top, std::map<std::string, std::string>& entries) {
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().lexically_relative(top).string();
    const fs::file_status st = fs::symlink_status(e.path());
    if (fs::is_symlink(st)) {
      entries[name] = "-> " + fs::read_symlink(e.path()).string();
    } else if (fs::is_directory(st)) {
      entries[name] = "<folder>";
      Walk(e.path(), top, entries);
    } else {
      entries[name] = ReadBytes(e.path());
    }
  }
}

std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> entries;
  Walk(dir, dir, entries);
  return entries;
}

// What is in `after` and was not in `before`, or differs from it.
std::map<std::string, std::string> Changes(const std::map<std::string, std::string>& before,
                                           const std::map<std::string, std::string>& after) {
  std::map<std::string, std::string> changed;
  for (const auto& [name, content] : after)
    if (auto it = before.find(name); it == before.end() || it->second != content) changed[name] = content;
  for (const auto& [name, content] : before)
    if (!after.count(name)) changed[name] = "<gone>";
  return changed;
}

struct RomSave : TestBench {
  explicit RomSave(const char* overwrite = "YES") {
    ws.RomLoaded = ws.RomChanged = true;
    ws.OverwriteOldFile = overwrite;
    ws.MakeBAKFiles = "YES";
  }
  void save(const std::string& content, const std::string& name) {
    RomWorkBuffer(ws) = content;
    CommitRomWorkImage(ws);
    ws.OutputRomFileName = dir.file(name);
    SaveRom(ws);
  }
  bool loggedError(const std::string& words) const {
    return std::any_of(host.log.begin(), host.log.end(), [&](const Text& l) {
      return l.rfind(W("Ошибка однако... "), 0) == 0 && l.find(W(words)) != Text::npos;
    });
  }
};

int RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  return RunBatch(args, out, err);
}

TEST(PlantedFaults, LinksThatLeadNowhere) {
  RomSave t;
  const fs::path dir = t.dir.path();
  fs::create_directory(dir / "sub");
  fs::create_symlink("loop.gb", dir / "loop.gb");
  fs::create_symlink("sub/new.gb", dir / "dangling.gb");
  fs::create_symlink("ring-b.ini", dir / "ring-a.ini");
  fs::create_symlink("ring-a.ini", dir / "ring-b.ini");
  const auto before = Snapshot(dir);

  // A loop: the general error line with the system's words, the link as it was.
  t.save("new", "loop.gb");
  EXPECT_TRUE(t.loggedError("слишком много ссылок"));
  EXPECT_EQ(t.host.failures, 1);
  EXPECT_TRUE(Changes(before, Snapshot(dir)).empty());

  // A dangling link is written through: the file is made where it points.
  t.save("through", "dangling.gb");
  EXPECT_EQ(Changes(before, Snapshot(dir)), (std::map<std::string, std::string>{{"sub/new.gb", "through"}}));
  EXPECT_EQ(t.host.failures, 1);

  // A dictionary named by a loop is not made anew as an empty file.
  const auto withTarget = Snapshot(dir);
  t.ws.TRVocabularyFile = t.dir.file("ring-a.ini");
  LoadTRVocabulary(t.ws);
  EXPECT_EQ(t.host.failures, 2);
  EXPECT_TRUE(Changes(withTarget, Snapshot(dir)).empty());

  // --ini naming a link loop is no settings file: nothing runs and nothing is made.
  EXPECT_EQ(RunCli({"--ini", (dir / "ring-a.ini").string(), "WriteSettings"}), 2);
  EXPECT_TRUE(Changes(withTarget, Snapshot(dir)).empty());
}

TEST(PlantedFaults, IniOfAMissingFileIsAUsageError) {
  TempDir dir;
  EXPECT_EQ(RunCli({"--ini", (dir.path() / "proj.ini").string(), "WriteSettings"}), 2);
  EXPECT_TRUE(fs::is_empty(dir.path()));
  // An existing one is read as before.
  WriteBytes(dir.path() / "proj.ini", "UseHEXaddr=YES\r\n");
  EXPECT_EQ(RunCli({"--ini", (dir.path() / "proj.ini").string(), "WriteSettings"}), 0);
  EXPECT_NE(ReadBytes(dir.path() / "proj.ini").find("UseHEXaddr=YES"), std::string::npos);
}

// The backup of a settings file refused for its characters never replaces the backup
// that saves of the project's ROM and translation made.
TEST(PlantedFaults, ASettingsFileWithAForeignCharacterIsReadAndTouchesNoBackup) {
  TestBench t;
  const fs::path dir = t.dir.path();
  // UTF-8 with a character Windows-1251 lacks: read as any other, no backup made.
  WriteBytes(dir / "proj.ini", "UseHEXaddr=YES \xE3\x81\x82\r\n");
  WriteBytes(dir / "proj.bak", "the ROM's backup");
  WriteBytes(dir / "proj-2.bak", "an older copy");
  const auto before = Snapshot(dir);
  t.ws.SettingsFilePath = t.dir.file("proj.ini");
  ReadSettings(t.ws);
  EXPECT_EQ(Changes(before, Snapshot(dir)), (std::map<std::string, std::string>{}));
  EXPECT_EQ(t.ws.UseHEXaddr, "YES");
}

// OverwriteOldFile NO: twelve saves in one second each make a file of their own, the
// stamp never piles up on a stamped name, and a dead save's temporary of any stamped
// name goes with the next save.
TEST(PlantedFaults, StampedSavesNeverReplaceAndNeverGrow) {
  RomSave t("NO");
  const fs::path dir = t.dir.path();
  WriteBytes(dir / "game.gb", "original");
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const std::string dead = std::to_string(child);
  WriteBytes(dir / (".06-12-2026-8-15-00_game.gb.tarvello-" + dead + "-abc123"), std::string(4096, 'h'));
  WriteBytes(dir / (".tarvello-" + dead + "-a1b2c3"), std::string(4096, 'h'));
  std::map<std::string, std::string> expected{{"game.gb", "original"}};
  t.ws.OutputRomFileName = t.dir.file("game.gb");
  for (int save = 1; save <= 12; ++save) {
    // Each save starts from the name the one before it gave.
    RomWorkBuffer(t.ws) = "save " + std::to_string(save);
    CommitRomWorkImage(t.ws);
    SaveRom(t.ws);
    const std::string stamp = "06-12-2026-8-15-00" + (save == 1 ? std::string() : "-" + std::to_string(save));
    expected[stamp + "_game.gb"] = "save " + std::to_string(save);
  }
  EXPECT_EQ(Snapshot(dir), expected);
  EXPECT_EQ(t.host.failures, 0);
}

// A file-size limit: the save fails with its error line, the later steps still run, and
// the old file and its backup stay.
TEST(PlantedFaults, AFileSizeLimitFailsTheSaveNotTheProcess) {
  TempDir dir, logs;
  WriteBytes(dir.path() / "big.gb", std::string(64 << 10, 'n'));
  WriteBytes(dir.path() / "out.gb", "old");
  WriteBytes(dir.path() / "out.bak", "older");
  const auto before = Snapshot(dir.path());
  const fs::path out = logs.path() / "stdout";
  const std::string command = "cd '" + dir.path().string() + "' && (ulimit -f 16; '" + TARVELLO_CLI +
                              "' --set InputRomFileName=big.gb LoadRom --set OutputRomFileName=out.gb SaveRom "
                              "LoadRom) > '" +
                              out.string() + "' 2>&1";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 1) << "the failed save's status, not a signal's";
  const std::string said = ReadBytes(out);
  EXPECT_NE(said.find("Ошибка однако... файл слишком велик"), std::string::npos) << said;
  EXPECT_NE(said.rfind("Загрузили ROM"), said.find("Загрузили ROM")) << "the step after the save ran";
  EXPECT_TRUE(Changes(before, Snapshot(dir.path())).empty());
}

// A legal name of 240 bytes, and its backup: the temporaries beside them stay short.
TEST(PlantedFaults, ANameNearTheLimitSaves) {
  RomSave t;
  const std::string name = std::string(236, 'n') + ".gba";
  WriteBytes(t.dir.path() / name, "old");
  t.save("new", name);
  t.save("newer", name);
  EXPECT_EQ(Snapshot(t.dir.path()),
            (std::map<std::string, std::string>{{name, "newer"}, {std::string(236, 'n') + ".bak", "new"}}));
  EXPECT_EQ(t.host.failures, 0);
}

// A file cut by another program between its opening and its reading: an error naming it,
// where a mapping of it would have ended the process.
TEST(PlantedFaults, AFileCutWhileItIsReadIsAnError) {
  TempDir dir;
  WriteBytes(dir.path() / "in.gb", std::string(1 << 20, 'r'));
  SizedFile file(dir.file("in.gb"));
  EXPECT_EQ(file.size(), 1u << 20);
  fs::resize_file(dir.path() / "in.gb", 1000);
  RomBytes data;
  try {
    file.readInto(data);
    ADD_FAILURE() << "read a file that was cut";
  } catch (const OperationError& e) {
    EXPECT_EQ(e.number(), kErrFileChanged);
    EXPECT_NE(e.description().find(dir.file("in.gb")), Text::npos);
  }
  SizedFile whole(dir.file("in.gb"));
  whole.readInto(data);
  EXPECT_EQ(data, std::string(1000, 'r'));
}

}  // namespace
