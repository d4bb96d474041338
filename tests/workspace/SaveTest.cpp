// What a save does to the files already there: whatever happens, the target holds the
// whole old or the whole new file, a backup holds the previous content, and nothing
// hidden is left beside them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <random>

#include "ips/IpsFile.h"
#include "support/TestFiles.h"
#include "workspace/Dialogs.h"
#include "workspace/Errors.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

namespace {

namespace fs = std::filesystem;

struct SaveBench : TestBench {
  explicit SaveBench(const char* bak = "YES", const char* overwrite = "YES") {
    RomWorkBuffer(ws) = "new content";
    ws.RomLoaded = ws.RomChanged = true;
    ws.OverwriteOldFile = overwrite;
    ws.MakeBAKFiles = bak;
  }
  void saveTo(const std::string& name) {
    ws.OutputRomFileName = dir.file(name);
    SaveRom(ws);
  }
  // Every name in the folder (and one level below) that starts with a dot.
  std::vector<std::string> hiddenFiles() const {
    std::vector<std::string> hidden;
    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
      if (e.path().filename().string()[0] == '.') hidden.push_back(e.path().string());
    return hidden;
  }
};

TEST(SaveRules, NamesAndLinks) {
  {  // A target named like its own backup is simply replaced.
    SaveBench t;
    WriteBytes(t.dir.path() / "out.bak", "old");
    t.saveTo("out.bak");
    EXPECT_EQ(ReadBytes(t.dir.path() / "out.bak"), "new content");
    EXPECT_EQ(t.host.log, (std::vector<Text>{W("ROM сохранен в ") + t.dir.file("out.bak")}));
  }
  {  // The backup takes the extension from the file's own name, never from a folder's.
    SaveBench t;
    fs::create_directory(t.dir.path() / "proj.v2");
    WriteBytes(t.dir.path() / "proj.v2" / "rom", "old");
    WriteBytes(t.dir.path() / "proj.bak", "unrelated");
    t.saveTo("proj.v2/rom");
    EXPECT_EQ(ReadBytes(t.dir.path() / "proj.bak"), "unrelated");
    EXPECT_EQ(ReadBytes(t.dir.path() / "proj.v2" / "rom.bak"), "old");
    EXPECT_EQ(ReadBytes(t.dir.path() / "proj.v2" / "rom"), "new content");
  }
  {  // Through a link: the target is written, the backup sits beside the link, the link stays.
    SaveBench t;
    fs::create_directory(t.dir.path() / "real");
    WriteBytes(t.dir.path() / "real" / "game.gba", "old");
    fs::create_symlink(t.dir.path() / "real" / "game.gba", t.dir.path() / "link.gba");
    t.saveTo("link.gba");
    EXPECT_TRUE(fs::is_symlink(t.dir.path() / "link.gba"));
    EXPECT_EQ(ReadBytes(t.dir.path() / "real" / "game.gba"), "new content");
    EXPECT_EQ(ReadBytes(t.dir.path() / "link.bak"), "old");
    EXPECT_FALSE(fs::exists(t.dir.path() / "real" / "game.bak"));
  }
  {  // A link on another file system: the backup beside it is a copy.
    SaveBench t;
    char shmTemplate[] = "/dev/shm/tarvello-test-XXXXXX";
    if (fs::is_directory("/dev/shm") && ::mkdtemp(shmTemplate)) {
      const fs::path shm = shmTemplate;
      WriteBytes(t.dir.path() / "game.gba", "old");
      fs::create_symlink(t.dir.path() / "game.gba", shm / "link.gba");
      t.ws.OutputRomFileName = FromNativePath(shm / "link.gba");
      SaveRom(t.ws);
      EXPECT_EQ(ReadBytes(t.dir.path() / "game.gba"), "new content");
      EXPECT_EQ(ReadBytes(shm / "link.bak"), "old");
      fs::remove_all(shm);
    }
  }
  {  // A stamped name is derived from the file's name too.
    SaveBench t("YES", "NO");
    fs::create_directory(t.dir.path() / "proj.v2");
    WriteBytes(t.dir.path() / "proj.v2" / "rom", "old");
    t.saveTo("proj.v2/rom");
    EXPECT_EQ(ReadBytes(t.dir.path() / "proj.v2" / "06-12-2026-8-15-00_rom"), "new content");
    EXPECT_EQ(t.host.log, (std::vector<Text>{W("такой файл уже есть..."),
                                             W("ROM сохранен в ") + t.dir.file("proj.v2/06-12-2026-8-15-00_rom")}));
  }
}

// A commit that does not sync trades names with the old file instead of renaming over it;
// what the folder holds afterwards must not tell the two ways apart.
TEST(SaveRules, BothCommitsLeaveTheSameFiles) {
  for (const bool durable : {true, false}) {
    TestBench t;
    const fs::path dir = t.dir.path();
    const auto save = [&](const std::string& name, const Text& backup = "") {
      AtomicFileWriter file(t.dir.file(name));
      if (!backup.empty()) file.keepOldAs(t.dir.file(backup));
      file.write("new");
      file.commit(durable);
    };
    save("fresh.txt");
    EXPECT_EQ(ReadBytes(dir / "fresh.txt"), "new") << durable;
    WriteBytes(dir / "linked.txt", "old");
    fs::create_hard_link(dir / "linked.txt", dir / "other.txt");
    save("linked.txt", "linked.bak");
    EXPECT_EQ(ReadBytes(dir / "linked.txt"), "new") << durable;
    EXPECT_EQ(ReadBytes(dir / "other.txt"), "old") << durable;
    EXPECT_EQ(ReadBytes(dir / "linked.bak"), "old") << durable;
    fs::create_directories(dir / "folder.txt" / "x");
    EXPECT_THROW(save("folder.txt"), OperationError) << durable;
    EXPECT_TRUE(fs::is_directory(dir / "folder.txt" / "x")) << durable;
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 5) << durable << ": no temporary is left";
  }
}

// RLIMIT_FSIZE makes every write past a few bytes fail as a full disk would.
class DiskFullAfter {
 public:
  explicit DiskFullAfter(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~DiskFullAfter() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, oldHandler_);
  }
  DiskFullAfter(const DiskFullAfter&) = delete;
  DiskFullAfter& operator=(const DiskFullAfter&) = delete;

 private:
  rlimit saved_{};
  sighandler_t oldHandler_;
};

// The pieces after the first are written by the writer's thread: they must arrive in
// order, a failure among them must still stop the save before the rename, and a writer
// dropped uncommitted with pieces waiting must leave the old file.
TEST(SaveRules, PiecesWrittenBehindArriveInOrderOrNotAtAll) {
  TestBench t;
  const fs::path dir = t.dir.path();
  std::mt19937 rng(5);
  std::string all;
  {
    AtomicFileWriter file(t.dir.file("out.txt"));
    for (int i = 0; i < 300; ++i) {
      const std::string piece(rng() % 5000, static_cast<char>('a' + i % 26));
      file.write(piece);
      all += piece;
    }
    file.commit(false);
  }
  EXPECT_EQ(ReadBytes(dir / "out.txt"), all);
  for (const bool diskFull : {true, false}) {
    bool threw = false;
    {
      std::optional<DiskFullAfter> full;
      if (diskFull) full.emplace(11500);  // only the last piece fails: commit() must tell
      AtomicFileWriter file(t.dir.file("out.txt"));
      try {
        for (int i = 0; i < (diskFull ? 12 : 50); ++i) file.write(std::string(1000, 'x'));
        if (diskFull) file.commit(false);
      } catch (const OperationError&) {
        threw = true;
      }
    }
    EXPECT_EQ(threw, diskFull);
    EXPECT_EQ(ReadBytes(dir / "out.txt"), all) << diskFull;
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 1) << diskFull << ": no temporary is left";
  }
}

TEST(SaveRules, AFailedSaveKeepsTargetAndBackupAndLogsNoRuleLine) {
  for (const char* bak : {"YES", "NO"}) {
    SaveBench t(bak);
    WriteBytes(t.dir.path() / "game.gb", "old");
    WriteBytes(t.dir.path() / "game.bak", "older");
    {
      DiskFullAfter full(4);
      t.saveTo("game.gb");
    }
    EXPECT_EQ(ReadBytes(t.dir.path() / "game.gb"), "old") << bak;
    EXPECT_EQ(ReadBytes(t.dir.path() / "game.bak"), "older") << bak;
    EXPECT_TRUE(t.ws.RomChanged);
    ASSERT_EQ(t.host.log.size(), 1u) << bak;
    EXPECT_EQ(t.host.log[0].rfind(W("Ошибка однако... "), 0), 0u);
    EXPECT_TRUE(t.hiddenFiles().empty());
  }
  {  // A backup that cannot be made (its name is a folder) stops the save before the rename.
    SaveBench t;
    WriteBytes(t.dir.path() / "game.gb", "old");
    fs::create_directories(t.dir.path() / "game.bak" / "x");
    t.saveTo("game.gb");
    EXPECT_EQ(ReadBytes(t.dir.path() / "game.gb"), "old");
    EXPECT_TRUE(t.hiddenFiles().empty());
  }
}

TEST(SaveRules, StaleTemporariesOfADeadSaveAreRemoved) {
  SaveBench t;
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const std::string dead = std::to_string(child);
  WriteBytes(t.dir.path() / (".game.gb.tarvello-" + dead + "-abc123"), "half");
  WriteBytes(t.dir.path() / (".game.bak.tarvello-" + dead + "-abc123"), "half");
  // One of a living process (ours) is another save in flight and stays.
  const std::string alive = ".game.gb.tarvello-" + std::to_string(::getppid()) + "-abc123";
  WriteBytes(t.dir.path() / alive, "busy");
  WriteBytes(t.dir.path() / "game.gb", "old");
  t.saveTo("game.gb");
  EXPECT_EQ(t.hiddenFiles(), (std::vector<std::string>{(t.dir.path() / alive).string()}));
}

TEST(SaveRules, NothingLoadedIsRefusedAndNoFileIsTouched) {
  SaveBench t;
  t.ws.RomLoaded = false;
  WriteBytes(t.dir.path() / "game.gb", "good");
  t.ws.OutputRomFileName.clear();
  SaveRom(t.ws);
  EXPECT_TRUE(t.host.prompts.empty());
  t.saveTo("game.gb");
  EXPECT_EQ(ReadBytes(t.dir.path() / "game.gb"), "good");
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("ROM еще не загружен"), W("ROM еще не загружен")}));

  WriteBytes(t.dir.path() / "p.ips", "PATCHEOF");
  t.ws.OutputIPSFileName = t.dir.file("p.ips");
  SaveIpsAs(t.ws);
  EXPECT_EQ(t.host.log.back(), W("IPS еще не загружен"));
  EXPECT_EQ(ReadBytes(t.dir.path() / "p.ips"), "PATCHEOF");
  // A loaded patch that is empty is still saved.
  t.ws.IpsLoaded = true;
  SaveIpsAs(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "p.ips"), "");
}

TEST(SaveRules, TheTextOnlySaveSaysTheOldFileWentOnlyOnceTheNewOneIsIn) {
  TestBench t;
  t.ws.PerevodArray = {"1 a", "2 b"};
  WriteBytes(t.dir.path() / "t.txt", "old");
  t.ws.PerevodFileName = t.dir.file("t.txt");
  SavePerevodTextOnly(t.ws);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("удалили существующий файл ") + t.dir.file("t.txt"),
                                           W("Файл перевода сохранен в файл: ") + t.dir.file("t.txt")}));
}

// A working folder whose name Windows-1251 cannot hold is a folder like any other: names
// in it are whole, and never name files in one called "??".
TEST(SaveRules, AWorkingFolderOutsideTheCodePage) {
  TempDir top;
  const fs::path odd = top.path() / "\xE6\x97\xA5\xE6\x9C\xAC";  // two CJK characters
  fs::create_directory(odd);
  fs::create_directory(top.path() / "??");
  const fs::path before = fs::current_path();
  fs::current_path(odd);
  ScriptedHost host;
  Workspace ws(host);
  InitWorkspace(ws, CurrentDirectory());
  const Text folder = fs::current_path().string() + "/";
  EXPECT_EQ(ws.SettingsFilePath, folder + "tarvello.ini");
  EXPECT_EQ(ws.HelpFileName, folder + "tarvellohelp.rtf");
  host.files.push_back({"chosen.gb"});
  EXPECT_EQ(ChooseFileName(ws, FileRequest::Kind::Save, "t", "f"), folder + "chosen.gb");
  RomWorkBuffer(ws) = "x";
  ws.RomLoaded = true;
  ws.OutputRomFileName = "out.gb";
  SaveRom(ws);
  fs::current_path(before);
  EXPECT_EQ(ReadBytes(odd / "out.gb"), "x");
  EXPECT_TRUE(fs::is_empty(top.path() / "??"));
}

// kill -9 at random moments of saves, each mode 10 times here (scripts/kill-saves.sh
// does it on 32 MiB images through tarvello-cli): the target holds the whole old or the
// whole new image, a backup the previous content, and the next save leaves nothing hidden.
TEST(SaveRules, AKilledSaveLosesNothing) {
  std::mt19937 random(12345);
  const std::string a(4 << 20, 'a'), b(4 << 20, 'b');
  for (const char* bak : {"YES", "NO"}) {
    SaveBench t(bak);
    WriteBytes(t.dir.path() / "game.gb", a);
    std::string current = a, previous;  // what the target and the backup hold
    for (int run = 0; run < 10; ++run) {
      const std::string& next = current == a ? b : a;
      RomWorkBuffer(t.ws) = next;
      const pid_t child = ::fork();
      if (child == 0) {
        t.saveTo("game.gb");
        ::_exit(0);
      }
      ::usleep(std::uniform_int_distribution<useconds_t>(0, 30000)(random));
      ::kill(child, SIGKILL);
      ::waitpid(child, nullptr, 0);
      const std::string now = ReadBytes(t.dir.path() / "game.gb");
      ASSERT_TRUE(now == current || now == next) << bak << " run " << run << ": " << now.size() << " bytes";
      if (std::string(bak) == "YES") {
        // The backup is made before the new file takes the name, in one step.
        const std::string backup = ReadBytes(t.dir.path() / "game.bak");
        if (now == next) {
          EXPECT_EQ(backup, current) << run;
        } else if (!previous.empty()) {
          EXPECT_TRUE(backup == previous || backup == current) << run;
        }
        if (now == next) previous = current;
      }
      current = now;
    }
    RomWorkBuffer(t.ws) = current;
    t.saveTo("game.gb");
    EXPECT_EQ(t.hiddenFiles(), std::vector<std::string>{}) << bak;
  }
}

}  // namespace

namespace {

// The failures a save or load can meet are described in Russian, whatever their number.
TEST(FileErrors, EveryDescriptionIsRussian) {
  for (int err : {ENOENT, ELOOP, ENAMETOOLONG, EISDIR, EROFS, EXDEV, ENOSPC, EFBIG, ENOTEMPTY, EINVAL, EMLINK, ENOTSUP,
                  ENXIO, 9999}) {
    const Text description = FileError(err, "f").description();
    EXPECT_EQ(description.substr(description.size() - 3), ": f") << err;
    for (char c : description.substr(0, description.size() - 3))
      EXPECT_FALSE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) << err << ": " << cp1251::ToUtf8(description);
  }
}

}  // namespace
