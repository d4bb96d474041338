// The runner's --strict and its argument checks, run in-process.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/Runner.h"
#include "support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = 0;
  std::string out;
};

CliRun RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  CliRun r;
  r.status = RunBatch(args, out, err);
  r.out = out.str() + err.str();
  return r;
}

struct StrictCase {
  const char* why;
  std::vector<std::string> steps;  // after --set of the files below
  const char* failingStep;         // nullptr: every step did its work
};

// Every kind of "not done": a refusal by message, a refusal in the log only, a
// cancelled dialog, a path-not-found box and the general error line.
TEST(RunnerTest, StrictStopsAtTheFirstStepThatDidNotDoItsWork) {
  TempDir dir;
  WriteBytes(dir.path() / "g.gb", "abcdefgh");
  WriteBytes(dir.path() / "t.tbl", "48=H\r\n69=i\r\n");
  WriteBytes(dir.path() / "ru.txt", "1 Hi\r\n3 ii");
  fs::create_directory(dir.path() / "folder");
  const std::string d = dir.path().string() + "/";
  const StrictCase cases[] = {
      {"all done", {"LoadRom", "LoadTable", "LoadPerevod", "PutPerevodInRom", "SaveRom"}, nullptr},
      {"misspelled translation: cancelled dialog",
       {"LoadRom", "LoadTable", "--set", "PerevodFileName=" + d + "typo.txt", "LoadPerevod", "SaveRom"},
       "LoadPerevod"},
      {"refusal by message", {"PutPerevodInRom:16", "LoadRom"}, "PutPerevodInRom:16"},
      {"refusal in the log only", {"SaveTable"}, "SaveTable"},
      {"path not found", {"--set", "InputRomFileName=" + d + "none.gb", "LoadRom"}, "LoadRom"},
      {"general error line", {"LoadRom", "--set", "OutputRomFileName=" + d + "folder", "SaveRom"}, "SaveRom"},
      {"sort without a translation", {"SortPerevod:ПО ДЛИННЕ"}, "SortPerevod:ПО ДЛИННЕ"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--strict",
                                     "--set",
                                     "InputRomFileName=" + d + "g.gb",
                                     "--set",
                                     "TableFileName=" + d + "t.tbl",
                                     "--set",
                                     "PerevodFileName=" + d + "ru.txt",
                                     "--set",
                                     "OutputRomFileName=" + d + "out.gb"};
    args.insert(args.end(), c.steps.begin(), c.steps.end());
    const CliRun strict = RunCli(args);
    if (!c.failingStep) {
      EXPECT_EQ(strict.status, 0) << c.why << "\n" << strict.out;
      EXPECT_EQ(strict.out.find("[FAIL]"), std::string::npos) << c.why;
      continue;
    }
    EXPECT_EQ(strict.status, 1) << c.why << "\n" << strict.out;
    const std::string fail = std::string("[FAIL] ") + c.failingStep + "\n";
    ASSERT_GE(strict.out.size(), fail.size()) << c.why;
    EXPECT_EQ(strict.out.substr(strict.out.size() - fail.size()), fail) << c.why << "\n" << strict.out;
    // Without --strict every step runs and no [FAIL] line is printed.
    args.erase(args.begin());
    EXPECT_EQ(RunCli(args).out.find("[FAIL]"), std::string::npos) << c.why;
  }
}

TEST(RunnerTest, BadStepArgumentsAreUsageErrorsAndNothingRuns) {
  const char* bad[] = {
      "DropOnTable:ZZ,x",         "DropOnTable:-1,x",          "DropOnTable:100,x",         "DropOnTable:,x",
      "TransposeTileBlock:1,0,3", "TransposeTileBlock:1,-1,4", "TransposeTileBlock:&H,0,4", "TransposeTileBlock:x,0,4",
      "DumpRomBlock:1,,70,0",     "DumpRomBlock:1,abc,70,0",   "PutPerevodInRom:",          "PutPerevodInRom:abc",
      "CorrectGbaPointers:&H",    "ShiftedPut:12x,1",          "ShiftedPut:16,maybe",       "ShiftedPut:16,1,NES",
      "ShiftedPutTo:x,1",         "FindAndDelete:a,yes",       "ExportTiles:Z&H,1,4BPP,1",  "ImportTiles:Zx"};
  for (const char* step : bad) {
    const CliRun r = RunCli({"ResetTableAlph", step});
    EXPECT_EQ(r.status, 2) << step << "\n" << r.out;
    // The step before the bad one did not run either: its log line is missing.
    EXPECT_EQ(r.out.find("tarvello-cli: bad argument in "), 0u) << step << "\n" << r.out;
  }
  // Good ones, with a tail read the way the windows read it.
  const char* good[] = {"DropOnTable:0a,x",           "DropOnTable:FF,",    "DumpRomBlock:1,12x,70,0",
                        "PutPerevodInRom:&H1F",       "PutPerevodInRom:-3", "ShiftedPutTo:&H40,YES",
                        "TransposeTileBlock:&H10,0,2", "ExportTiles:z&H10,1,4BPP,1", "ImportTiles:Z16"};
  for (const char* step : good) EXPECT_NE(RunCli({step}).status, 2) << step;
}

}  // namespace

namespace {

// --set ExtendedTables between steps acts as the Options item: a loaded table is read
// again, so its two-character entry is whole from then on and saved whole.
TEST(RunnerTest, SettingExtendedTablesReloadsALoadedTable) {
  TempDir dir;
  const std::string table = "TableFileName=" + dir.path().string() + "/t.tbl";
  for (const bool reload : {false, true}) {
    WriteBytes(dir.path() / "t.tbl", "41=A\r\n42=th\r\n");
    std::vector<std::string> args = {"--set", table, "LoadTable"};
    if (reload) args.insert(args.end(), {"--set", "ExtendedTables=YES"});
    args.push_back("SaveTable");
    const CliRun run = RunCli(args);
    EXPECT_EQ(ReadBytes(dir.path() / "t.tbl"), reload ? "41=A\r\n42=th\r\n" : "41=A\r\n42=t\r\n") << run.out;
  }
}

}  // namespace
