// What a failing disk or a strange file name does to every load and save: the user
// gets the operation's message or the general error line, the old file stays whole
// and the workspace keeps what it held.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "support/TestFiles.h"
#include "workspace/CharTable.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"
#include "workspace/Settings.h"

namespace {

namespace fs = std::filesystem;

// Root ignores permission bits; for as long as this lives, the test thread does not.
class WithoutPermissionOverride {
 public:
  WithoutPermissionOverride() {
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
    active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
  }
  ~WithoutPermissionOverride() {
    if (active_) ::syscall(SYS_capset, &header_, saved_);
  }
  WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
  WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool active_ = false;
};

bool IsGeneralErrorLine(const Text& line) {
  return line.rfind(W("Ошибка однако... "), 0) == 0;
}

// A workspace holding one of everything, each changed and unsaved.
struct LoadedBench : TestBench {
  LoadedBench() {
    WriteBytes(dir.path() / "t.tbl", "41=A\r\n");
    ws.TableFileName = dir.file("t.tbl");
    LoadTable(ws);
    ws.TableChanged = true;
    ws.RomImage = "ROMDATA";
    ws.RomLoaded = ws.RomChanged = true;
    ws.PerevodArray = {"1 one", "2 two"};
    ws.PerevodChanged = true;
    ws.OverwriteOldFile = "YES";
    ws.MakeBAKFiles = "YES";
    host.log.clear();
  }
  // Every save to `folder`/`name`; each must fail without touching anything.
  void saveAllTo(const Text& folder) {
    ws.OutputRomFileName = JoinPath(folder, "out.gb");
    SaveRom(ws);
    ws.PerevodFileName = JoinPath(folder, "out.txt");
    SavePerevod(ws);
    ws.TableFileName = JoinPath(folder, "out.tbl");
    SaveTable(ws);
    ws.SettingsFilePath = JoinPath(folder, "tarvello.ini");
    WriteSettings(ws);
    ws.DoSaveLogsInFile = JoinPath(folder, "log.txt");
    SaveLogFile(ws);
  }
  void expectNothingLost() const {
    EXPECT_TRUE(ws.RomChanged);
    EXPECT_TRUE(ws.PerevodChanged);
    EXPECT_TRUE(ws.TableChanged);
    EXPECT_EQ(RomWorkImage(ws), "ROMDATA");
    EXPECT_EQ(ws.PerevodArray, (std::vector<Text>{"1 one", "2 two"}));
  }
};

TEST(Faults, SavingIntoAMissingFolderReportsEverySave) {
  LoadedBench t;
  t.saveAllTo(t.dir.file("no/such/folder"));
  // The translation save has its own message; the others end in the general error line.
  EXPECT_EQ(
      t.host.messageTexts(),
      (std::vector<Text>{W("проверьте, что файл перевода\r\nможно создать/перезаписать:\r\n") + t.ws.PerevodFileName}));
  ASSERT_EQ(t.host.log.size(), 4u);
  for (const auto& line : t.host.log) EXPECT_TRUE(IsGeneralErrorLine(line)) << cp1251::ToUtf8(line);
  t.expectNothingLost();
}

TEST(Faults, SavingIntoAReadOnlyFolderKeepsTheOldFiles) {
  LoadedBench t;
  const fs::path folder = t.dir.path() / "ro";
  fs::create_directory(folder);
  for (const char* name : {"out.gb", "out.txt", "out.tbl", "tarvello.ini", "log.txt"}) WriteBytes(folder / name, "old");
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  {
    WithoutPermissionOverride asAUser;
    t.saveAllTo(FromNativePath(folder));
  }
  for (const char* name : {"out.gb", "out.txt", "out.tbl", "tarvello.ini", "log.txt"})
    EXPECT_EQ(ReadBytes(folder / name), "old") << name;
  EXPECT_FALSE(fs::exists(folder / "out.bak"));
  EXPECT_EQ(t.host.failures, 5);
  t.expectNothingLost();
}

TEST(Faults, AFullDeviceGivesTheGeneralErrorLineAndStaysADevice) {
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  LoadedBench t;
  t.ws.OutputRomFileName = "/dev/full";
  SaveRom(t.ws);
  t.ws.PerevodFileName = "/dev/full";
  SavePerevod(t.ws);
  t.ws.TableFileName = "/dev/full";
  SaveTable(t.ws);
  ASSERT_EQ(t.host.log.size(), 3u);
  for (const auto& line : t.host.log) {
    EXPECT_TRUE(IsGeneralErrorLine(line)) << cp1251::ToUtf8(line);
    EXPECT_NE(line.find(W("нет места на диске")), Text::npos) << cp1251::ToUtf8(line);
  }
  // No backup, no stamped name, no file put in place of the device.
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  EXPECT_FALSE(fs::exists("/dev/full.bak"));
  t.expectNothingLost();
}

TEST(Faults, UnreadableFilesChangeNothing) {
  LoadedBench t;
  for (const char* name : {"r.gb", "r.tbl", "r.txt"}) {
    WriteBytes(t.dir.path() / name, "12 secret");
    fs::permissions(t.dir.path() / name, fs::perms::none);
  }
  const auto lookup = t.ws.CharTableLookup;
  {
    WithoutPermissionOverride asAUser;
    t.ws.InputRomFileName = t.dir.file("r.gb");
    LoadRom(t.ws);
    t.ws.TableFileName = t.dir.file("r.tbl");
    LoadTable(t.ws);
    t.ws.PerevodChanged = false;
    t.ws.PerevodFileName = t.dir.file("r.txt");
    LoadPerevod(t.ws);
  }
  ASSERT_EQ(t.host.log.size(), 3u);
  for (const auto& line : t.host.log) EXPECT_TRUE(IsGeneralErrorLine(line)) << cp1251::ToUtf8(line);
  EXPECT_EQ(t.ws.RomImage, "ROMDATA");
  EXPECT_EQ(t.ws.CharTableLookup, lookup);
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"1 one", "2 two"}));
}

TEST(Faults, AFolderOrAFifoInPlaceOfAFile) {
  LoadedBench t;
  fs::create_directory(t.dir.path() / "folder.gb");
  t.ws.InputRomFileName = t.dir.file("folder.gb");
  LoadRom(t.ws);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("ROM Файл\r\nне найден :-(")}));

  // A FIFO looks like a file to the existence check; reading it must neither hang nor load.
  ASSERT_EQ(::mkfifo((t.dir.path() / "pipe.tbl").c_str(), 0600), 0);
  t.ws.TableFileName = t.dir.file("pipe.tbl");
  const auto lookup = t.ws.CharTableLookup;
  LoadTable(t.ws);
  ASSERT_FALSE(t.host.log.empty());
  EXPECT_TRUE(IsGeneralErrorLine(t.host.log.back()));
  EXPECT_EQ(t.ws.CharTableLookup, lookup);

  // Saving onto a folder's name leaves the folder and everything else as it was.
  fs::create_directory(t.dir.path() / "taken.txt");
  t.ws.PerevodFileName = t.dir.file("taken.txt");
  SavePerevod(t.ws);
  EXPECT_TRUE(fs::is_directory(t.dir.path() / "taken.txt"));
  t.expectNothingLost();
}

TEST(Faults, SavingThroughALinkWritesItsTarget) {
  LoadedBench t;
  WriteBytes(t.dir.path() / "real.tbl", "old");
  fs::create_symlink(t.dir.path() / "real.tbl", t.dir.path() / "link.tbl");
  t.ws.TableFileName = t.dir.file("link.tbl");
  SaveTable(t.ws);
  EXPECT_TRUE(fs::is_symlink(t.dir.path() / "link.tbl"));
  EXPECT_EQ(ReadBytes(t.dir.path() / "real.tbl"), "41=A\r\n");
}

}  // namespace
