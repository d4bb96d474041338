#include "workspace/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

#include "workspace/Errors.h"

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

void WriteAll(int fd, std::string_view data, const Text& name) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(errno, name);
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
}

Text DirectoryOf(const Text& name) {
  const auto sep = name.rfind(kPathSeparator);
  if (sep == Text::npos) return ".";
  if (sep == 0) return Text(1, kPathSeparator);
  return name.substr(0, sep);
}

// Permissions of the file being replaced, so a save keeps them.
mode_t ModeToKeep(const Text& name) {
  struct stat st{};
  if (::stat(NativePath(name).c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::filesystem::path NativePath(const Text& name) { return std::filesystem::path(cp1251::ToUtf8(name)); }

Text FromNativePath(const std::filesystem::path& path) {
  // A name that the code page cannot carry keeps what it can; the file dialogs refuse such names.
  return W(path.string());
}

Text CurrentDirectory() {
  std::error_code ec;
  auto cwd = std::filesystem::current_path(ec);
  return ec ? Text(".") : FromNativePath(cwd);
}

Text JoinPath(const Text& dir, const Text& name) {
  if (!dir.empty() && dir.back() == kPathSeparator) return dir + name;
  return dir + kPathSeparator + name;
}

bool FileExists(const Text& name) {
  if (name.empty()) return false;
  struct stat st{};
  return ::stat(NativePath(name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::uintmax_t FileSize(const Text& name) {
  struct stat st{};
  if (name.empty() || ::stat(NativePath(name).c_str(), &st) != 0) return 0;
  return static_cast<std::uintmax_t>(st.st_size);
}

Text ReadWholeFile(const Text& name) {
  Fd fd(::open(NativePath(name).c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw FileError(errno, name);
  struct stat st{};
  if (::fstat(fd.get(), &st) != 0) throw FileError(errno, name);
  if (S_ISDIR(st.st_mode)) throw FileError(EISDIR, name);
  Text data;
  data.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  // The size is a hint: a file that grows or shrinks while we read is read to its end.
  for (;;) {
    if (got == data.size()) data.resize(data.size() + 65536);
    const ssize_t n = ::read(fd.get(), data.data() + got, data.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(errno, name);
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  data.resize(got);
  return data;
}

void WriteFileAtomically(const Text& name, std::string_view data) {
  const Text dir = DirectoryOf(name);
  const auto base = NativePath(name).filename().string();
  std::string tmpl = NativePath(dir).string() + "/." + base + ".XXXXXX";
  const mode_t mode = ModeToKeep(name);
  Fd fd(::mkstemp(tmpl.data()));
  if (fd.get() < 0) throw FileError(errno, name);
  const std::string tmpName = tmpl;
  try {
    WriteAll(fd.get(), data, name);
    if (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0) throw FileError(errno, name);
    if (::close(fd.release()) != 0) throw FileError(errno, name);
    if (::rename(tmpName.c_str(), NativePath(name).c_str()) != 0) throw FileError(errno, name);
  } catch (...) {
    ::unlink(tmpName.c_str());
    throw;
  }
}

void AppendFileAtomically(const Text& name, std::string_view data) {
  Text whole = FileExists(name) ? ReadWholeFile(name) : Text();
  whole.append(data);
  WriteFileAtomically(name, whole);
}

void RenameFile(const Text& from, const Text& to) {
  if (::rename(NativePath(from).c_str(), NativePath(to).c_str()) != 0) throw FileError(errno, from);
}

void RemoveFile(const Text& name) {
  if (::unlink(NativePath(name).c_str()) != 0) throw FileError(errno, name);
}
