#pragma once
// Scratch folders and raw file access for tests.
#include <filesystem>
#include <string>

#include "support/ScriptedHost.h"
#include "workspace/Workspace.h"

// A fresh folder under the system's temporary directory, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // The Windows-1251 name of a file in the folder.
  Text file(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& p);
void WriteBytes(const std::filesystem::path& p, const std::string& bytes);
std::filesystem::path TestData(const std::string& name);

// A workspace as the program starts it, on a scripted host.
struct TestBench {
  ScriptedHost host;
  Workspace ws{host};
  TempDir dir;
  TestBench();
};

// Waits up to ten seconds for a file that another process writes; false when it never came.
bool WaitForFile(const std::filesystem::path& p);
// A shell script that records how it was started: its arguments, one a line, in `args`
// and a copy of the file its first argument names in `image`, both beside the script.
std::filesystem::path RecordingCommand(const std::filesystem::path& dir);
