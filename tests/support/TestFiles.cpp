#include "support/TestFiles.h"

#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "workspace/Files.h"

TempDir::TempDir() {
  std::random_device rd;
  for (;;) {
    path_ = std::filesystem::temp_directory_path() / ("tarvello-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  // A test may leave a read-only folder behind; make it removable first.
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

Text TempDir::file(const std::string& name) const { return FromNativePath(path_ / name); }

std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::filesystem::path TestData(const std::string& name) { return std::filesystem::path(TARVELLO_TEST_DATA) / name; }

TestBench::TestBench() { InitWorkspace(ws, FromNativePath(dir.path())); }

bool WaitForFile(const std::filesystem::path& p) {
  for (int i = 0; i < 1000; ++i) {
    if (std::filesystem::exists(p)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::filesystem::path RecordingCommand(const std::filesystem::path& dir) {
  const std::filesystem::path script = dir / "record.sh";
  const std::string d = dir.string();
  // Each record is written aside and renamed, so a waiting test never reads half of it.
  WriteBytes(script, "#!/bin/sh\ncp \"$1\" '" + d + "/image.part' && mv '" + d + "/image.part' '" + d +
                         "/image'\nprintf '%s\\n' \"$@\" > '" + d + "/args.part' && mv '" + d + "/args.part' '" + d +
                         "/args'\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  return script;
}
