#include "workspace/Files.h"

#include <fcntl.h>
#include <sys/mman.h>
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

// Permissions of the file being replaced, so a save keeps them.
mode_t ModeToKeep(const Text& name) {
  struct stat st{};
  if (::stat(NativePath(name).c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A ROM or patch of many megabytes is touched page by page while it is read; huge pages
// turn thousands of page faults into a few. Only advice: the kernel may ignore it.
void AdviseHugePages(char* data, size_t size) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + size) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
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

bool RegularFileExists(const Text& name) {
  if (name.empty()) return false;
  struct stat st{};
  return ::stat(NativePath(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::uintmax_t FileSize(const Text& name) {
  struct stat st{};
  if (name.empty() || ::stat(NativePath(name).c_str(), &st) != 0) return 0;
  return static_cast<std::uintmax_t>(st.st_size);
}

Text ReadWholeFile(const Text& name) {
  // O_NONBLOCK: a FIFO given as a file name must not hang the program in open().
  Fd fd(::open(NativePath(name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) throw FileError(errno, name);
  struct stat st{};
  if (::fstat(fd.get(), &st) != 0) throw FileError(errno, name);
  if (S_ISDIR(st.st_mode)) throw FileError(EISDIR, name);
  if (!S_ISREG(st.st_mode)) throw OperationError(kErrNotRegularFile, W("это не обычный файл: ") + name);
  Text data;
  data.reserve(static_cast<size_t>(st.st_size));
  AdviseHugePages(data.data(), data.capacity());
  data.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  // The size is a hint: a file that grows or shrinks while we read is read to its end.
  for (;;) {
    if (got == data.size()) {
      // Grow only for a file that really is longer than its size said: growing a full
      // buffer first would copy the whole image once more on every load.
      char probe[4096];
      const ssize_t extra = ::read(fd.get(), probe, sizeof probe);
      if (extra < 0 && errno == EINTR) continue;
      if (extra < 0) throw FileError(errno, name);
      if (extra == 0) break;
      data.append(probe, static_cast<size_t>(extra));
      got += static_cast<size_t>(extra);
      continue;
    }
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
  AtomicFileWriter file(name);
  file.write(data);
  file.commit(true);
}

AtomicFileWriter::AtomicFileWriter(const Text& name) : name_(name), mode_(ModeToKeep(name)) {
  std::filesystem::path target = NativePath(name);
  struct stat st{};
  if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // Saving through a link writes the file it points at; the link stays a link.
    std::error_code ec;
    auto resolved = std::filesystem::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  target_ = target.string();
  if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    // A device or a FIFO cannot be replaced by a renamed file (renaming over /dev/full
    // would destroy the device): write into it directly.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) throw FileError(errno, name);
    return;
  }
  std::string tmpl = target.parent_path().string();
  tmpl += (tmpl.empty() ? "." : "") + std::string("/.") + target.filename().string() + ".XXXXXX";
  fd_ = ::mkstemp(tmpl.data());
  if (fd_ < 0) throw FileError(errno, name);
  tmpName_ = tmpl;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ < 0) return;
  ::close(fd_);
  if (!tmpName_.empty()) ::unlink(tmpName_.c_str());
}

void AtomicFileWriter::write(std::string_view data) { WriteAll(fd_, data, name_); }

void AtomicFileWriter::commit(bool durable) {
  if (tmpName_.empty()) {
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) throw FileError(errno, name_);
    return;
  }
  if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0 || (durable && ::fsync(fd_) != 0)) throw FileError(errno, name_);
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0 || ::rename(tmpName_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmpName_.c_str());
    throw FileError(err, name_);
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
