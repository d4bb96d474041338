// Runs every folder under tests/cases through the real tarvello-cli:
//   cmd        the arguments, one per line (UTF-8)
//   in/        files copied into the empty working folder first
//   expected/  files that must then be in the working folder, byte for byte
//   stdout     (optional) the exact standard output; $DIR stands for the working folder
//   status     (optional) the exit status, 0 when absent
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(TARVELLO_TEST_CASES))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t pos = 0; (pos = s.find(from, pos)) != std::string::npos; pos += to.size()) s.replace(pos, from.size(), to);
  return s;
}

class CaseTest : public testing::TestWithParam<std::string> {};

TEST_P(CaseTest, ProducesExpectedFiles) {
  const fs::path caseDir = fs::path(TARVELLO_TEST_CASES) / GetParam();
  TempDir work;
  if (fs::exists(caseDir / "in")) fs::copy(caseDir / "in", work.path(), fs::copy_options::recursive);
  std::string command = "cd " + Quote(work.path().string()) + " && " + Quote(TARVELLO_CLI);
  for (const auto& arg : Lines(ReadBytes(caseDir / "cmd"))) command += " " + Quote(Replace(arg, "$DATA", TARVELLO_TEST_DATA));
  command += " > " + Quote((work.path() / ".stdout").string()) + " 2>&1";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw)) << command;
  const int expectedStatus = fs::exists(caseDir / "status") ? std::stoi(ReadBytes(caseDir / "status")) : 0;
  const std::string out = ReadBytes(work.path() / ".stdout");
  EXPECT_EQ(WEXITSTATUS(raw), expectedStatus) << out;
  if (fs::exists(caseDir / "stdout")) {
    EXPECT_EQ(out, Replace(ReadBytes(caseDir / "stdout"), "$DIR", work.path().string()));
  }
  if (!fs::exists(caseDir / "expected")) return;
  for (const auto& entry : fs::recursive_directory_iterator(caseDir / "expected")) {
    if (!entry.is_regular_file()) continue;
    const fs::path rel = fs::relative(entry.path(), caseDir / "expected");
    ASSERT_TRUE(fs::exists(work.path() / rel)) << rel << " was not written\n" << out;
    EXPECT_EQ(ReadBytes(work.path() / rel), ReadBytes(entry.path())) << rel << " differs\n" << out;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTest, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param;
                           for (auto& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
