#include "workspace/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

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
mode_t ModeToKeep(const std::string& native) {
  struct stat st {};
  if (::stat(native.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

constexpr std::string_view kTemporaryMark = ".tarvello-";

// ".tarvello-PID-XXXXXX" beside the file: hidden, naming the process that made it, and
// short whatever the file's own name, so a name near the system's limit still saves.
std::string TemporaryName(const std::string& dir) {
  return dir + "/" + std::string(kTemporaryMark) + std::to_string(::getpid()) + "-XXXXXX";
}

// Temporaries left in `dir` by a process that is gone (killed in the middle of a save),
// whatever file they were for: a stamped save never writes the same name twice, so
// looking for its own name's leftovers would find none. Older versions named them
// ".NAME.tarvello-PID-XXXXXX"; those go too.
void RemoveStaleTemporaries(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  while (const dirent* entry = ::readdir(d)) {
    const std::string_view entryName(entry->d_name);
    const size_t mark = entryName.rfind(kTemporaryMark);
    if (entryName.empty() || entryName[0] != '.' || mark == std::string_view::npos) continue;
    const std::string_view rest = entryName.substr(mark + kTemporaryMark.size());
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    const bool suffixAfterPid = end != rest.data() + rest.size() && *end == '-' && rest.data() + rest.size() - end == 7;
    if (ec != std::errc() || end == rest.data() || !suffixAfterPid || pid <= 0) continue;
    if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(d), entry->d_name, 0);
  }
  ::closedir(d);
}

// The file a save writes: `path` itself, or for a link the file it leads to, link after
// link. A link to a file not made yet is written through: the file is made where it
// points. A loop of links has no file to write and is refused.
std::filesystem::path FollowLinks(std::filesystem::path path, const Text& name) {
  constexpr int kMaxLinks = 40;  // as the system counts before it gives up with ELOOP
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    if (hops == kMaxLinks) throw FileError(ELOOP, name);
    std::error_code ec;
    const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
    if (ec) throw FileError(ec.value(), name);
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
}

// A file-size limit (ulimit -f) would end the process at the write that passes it; with
// the signal ignored the write fails with EFBIG and the save reports it like any other.
void IgnoreFileSizeSignal() {
  static const bool ignored = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)ignored;
}

// Gives an unnamed (O_TMPFILE) file a fresh name made from `tmpl`, which is updated.
bool LinkUnnamed(int fd, std::string& tmpl) {
  const std::string proc = "/proc/self/fd/" + std::to_string(fd);
  const std::string base = tmpl.substr(0, tmpl.size() - 6);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char suffix[8];
    std::snprintf(
        suffix, sizeof suffix, "%06x",
        (static_cast<unsigned>(::getpid()) * 7919u + attempt * 104729u + static_cast<unsigned>(::time(nullptr))) &
            0xFFFFFFu);
    tmpl = base + suffix;
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, tmpl.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

void CopyInto(int from, int to, const Text& name) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError(errno, name);
    if (n == 0) return;
    WriteAll(to, std::string_view(buffer, static_cast<size_t>(n)), name);
  }
}

// The file at `path` also becomes `backup`: a hard link made under a temporary name and
// renamed over the backup name, so an older backup is replaced in one step and only once
// the new content is complete. A copy where the file system has no hard links there.
void KeepBackup(const std::string& path, const Text& backup) {
  const std::filesystem::path native = NativePath(backup);
  const std::string dir = native.parent_path().empty() ? std::string(".") : native.parent_path().string();
  RemoveStaleTemporaries(dir);
  // mkostemp only finds a free name; the link or the copy takes it.
  std::string tmp = TemporaryName(dir);
  if (Fd reserved(::mkostemp(tmp.data(), O_CLOEXEC)); reserved.get() < 0) throw FileError(errno, backup);
  ::unlink(tmp.c_str());
  if (::link(path.c_str(), tmp.c_str()) != 0) {
    const int err = errno;
    if (err != EXDEV && err != EPERM && err != EMLINK && err != ENOTSUP && err != EOPNOTSUPP)
      throw FileError(err, backup);
    Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) throw FileError(errno, backup);
    Fd copy(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ModeToKeep(path)));
    if (copy.get() < 0) throw FileError(errno, backup);
    try {
      CopyInto(in.get(), copy.get(), backup);
      if (::fsync(copy.get()) != 0) throw FileError(errno, backup);
    } catch (...) {
      ::unlink(tmp.c_str());
      throw;
    }
  }
  if (::rename(tmp.c_str(), native.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    throw FileError(err, backup);
  }
  // A backup that already was a link to the same file (a save killed just before its
  // last rename leaves one) makes the rename succeed without moving anything.
  ::unlink(tmp.c_str());
}

// Gives `to` the content of `from`, in one step. Renaming over an existing file makes ext4
// write the new file out at once (its guard for programs that never sync), which for a
// large file that we chose not to sync costs more than writing it did; trading the two
// names is just as atomic and skips that, and the old content then leaves under `from`.
bool TakeName(const std::string& from, const std::string& to, bool durable, bool replace) {
  if (!replace) {
    // A file that appeared under the name since it was chosen stays; the save fails.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
  }
  struct stat st {};
  if (!durable && ::lstat(to.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

// The renames reach the disk with the folder's entries.
void SyncFolderOf(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  Fd dir(::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace

std::filesystem::path NativePath(const Text& name) {
  return std::filesystem::path(name);
}

Text FromNativePath(const std::filesystem::path& path) {
  // A name that is no UTF-8 keeps its bytes: the file it names must stay reachable.
  return path.string();
}

Text CurrentDirectory() {
  std::error_code ec;
  auto cwd = std::filesystem::current_path(ec);
  if (ec) return Text(".");
  return cwd.string();
}

Text JoinPath(const Text& dir, const Text& name) {
  if (dir.empty()) return name;
  if (dir.back() == kPathSeparator) return dir + name;
  return dir + kPathSeparator + name;
}

bool FileExists(const Text& name) {
  if (name.empty()) return false;
  struct stat st {};
  return ::stat(NativePath(name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool RegularFileExists(const Text& name) {
  if (name.empty()) return false;
  struct stat st {};
  return ::stat(NativePath(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const Text& name) {
  struct stat st {};
  return !name.empty() && ::lstat(NativePath(name).c_str(), &st) == 0;
}

std::uintmax_t FileSize(const Text& name) {
  struct stat st {};
  if (name.empty() || ::stat(NativePath(name).c_str(), &st) != 0) return 0;
  return static_cast<std::uintmax_t>(st.st_size);
}

Text ReadWholeFile(const Text& name) {
  Text data;
  ReadWholeFileInto(name, data);
  return data;
}

void ReserveImage(RomBytes& data, size_t size) {
  if (data.capacity() >= size) return;
  RomBytes fresh;
  fresh.reserve(size);
  data.swap(fresh);
}

// O_NONBLOCK: a FIFO given as a file name must not hang the program in open().
static int OpenToRead(const Text& name) {
  const int fd = ::open(NativePath(name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw FileError(errno, name);
  return fd;
}

// Reads take plain files only: a folder or a device named as a file is refused by name.
static struct stat RegularFileStat(int fd, const Text& name) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw FileError(errno, name);
  if (S_ISDIR(st.st_mode)) throw FileError(EISDIR, name);
  if (!S_ISREG(st.st_mode)) throw OperationError(kErrNotRegularFile, W("это не обычный файл: ") + name);
  return st;
}

SizedFile::SizedFile(const Text& name) : name_(name) {
  Fd fd(OpenToRead(name));
  size_ = static_cast<size_t>(RegularFileStat(fd.get(), name).st_size);
  fd_ = fd.release();
}

SizedFile::~SizedFile() {
  if (fd_ >= 0) ::close(fd_);
}

void SizedFile::readInto(RomBytes& data) {
  if (MapFileInto(fd_, size_, data)) return;
  ReserveImage(data, size_);
  data.resize(size_);
  size_t got = 0;
  while (got < size_) {
    const ssize_t n = ::pread(fd_, data.data() + got, size_ - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError(errno, name_);
    if (n == 0)
      throw OperationError(kErrFileChanged,
                           W("файл стал короче, пока его читали (его изменила другая программа?): ") + name_);
    got += static_cast<size_t>(n);
  }
}

namespace {

// Reads from `fd` into [at, at + room) until it is full or the file ends; the bytes read,
// or -1 with errno set.
ssize_t ReadFull(int fd, char* at, size_t room) {
  size_t got = 0;
  while (got < room) {
    const ssize_t n = ::read(fd, at + got, room - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(got);
}

// The buffer becomes the next `size` bytes of the file (fewer at its end), read straight
// into its storage: the bytes are never cleared first, a pass over the whole image that a
// load of 32 MiB would otherwise pay for.
template <class Bytes>
ssize_t ReadIntoWhole(int fd, Bytes& data, size_t size) {
  ssize_t result = 0;
#if defined(__cpp_lib_string_resize_and_overwrite)
  data.resize_and_overwrite(size, [&](char* at, size_t room) {
    result = ReadFull(fd, at, room);
    return result < 0 ? size_t{0} : static_cast<size_t>(result);
  });
#else
  data.resize(size);
  result = ReadFull(fd, data.data(), size);
  data.resize(result < 0 ? 0 : static_cast<size_t>(result));
#endif
  return result;
}

}  // namespace

namespace {

template <class Bytes>
void ReadOpenFileInto(int fd, const Text& name, size_t size, Bytes& data) {
  if (data.capacity() < size) {
    Bytes fresh;
    fresh.reserve(size);
    data.swap(fresh);
  }
  if (ReadIntoWhole(fd, data, size) < 0) throw FileError(errno, name);
  // The size is a hint: a file that grows while we read is read to its end. Grow only for
  // a file that really is longer than its size said: growing a full buffer first would
  // copy the whole image once more on every load.
  if (data.size() < size) return;
  for (;;) {
    char probe[4096];
    const ssize_t extra = ReadFull(fd, probe, sizeof probe);
    if (extra < 0) throw FileError(errno, name);
    if (extra == 0) break;
    data.append(probe, static_cast<size_t>(extra));
  }
}

}  // namespace

void ReadWholeFileInto(const Text& name, Text& data) {
  Fd fd(OpenToRead(name));
  ReadOpenFileInto(fd.get(), name, static_cast<size_t>(RegularFileStat(fd.get(), name).st_size), data);
}

void ReadWholeFileInto(const Text& name, RomBytes& data) {
  Fd fd(OpenToRead(name));
  const auto size = static_cast<size_t>(RegularFileStat(fd.get(), name).st_size);
  if (!MapFileInto(fd.get(), size, data)) ReadOpenFileInto(fd.get(), name, size, data);
}

void WriteFileAtomically(const Text& name, std::string_view data) {
  AtomicFileWriter file(name);
  file.write(data);
  file.commit(true);
}

// Writes the pieces handed to it, in order, on a thread of its own. At most two wait:
// a program that makes them faster than they are written waits for the writer. After a
// failure the rest are dropped and the failure is thrown to the program.
class AtomicFileWriter::WriteBehind {
 public:
  WriteBehind(int fd, const Text& name) : fd_(fd), name_(name), thread_([this] { run(); }) {}
  ~WriteBehind() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  void write(std::string_view data) {
    Text piece;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return waiting_.size() < 2 || failure_; });
      if (failure_) std::rethrow_exception(failure_);
      if (!spare_.empty()) {
        piece.swap(spare_.back());
        spare_.pop_back();
      }
    }
    piece.assign(data);
    {
      const std::lock_guard lock(mutex_);
      waiting_.push_back(std::move(piece));
    }
    changed_.notify_all();
  }

  // Returns once every piece is written; throws the first failure.
  void finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (waiting_.empty() && !writing_) || failure_; });
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return !waiting_.empty() || stop_; });
      if (stop_) return;
      Text piece = std::move(waiting_.front());
      waiting_.pop_front();
      const bool failed = failure_ != nullptr;
      writing_ = true;
      lock.unlock();
      std::exception_ptr failure;
      try {
        if (!failed) WriteAll(fd_, piece, name_);
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      writing_ = false;
      if (failure) failure_ = failure;
      spare_.push_back(std::move(piece));
      changed_.notify_all();
    }
  }

  int fd_;
  Text name_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Text> waiting_;
  std::vector<Text> spare_;  // written pieces' buffers, for the next ones
  bool writing_ = false;
  bool stop_ = false;
  std::exception_ptr failure_;
  std::thread thread_;  // last: it starts once everything it uses is there
};

AtomicFileWriter::AtomicFileWriter(const Text& name) : name_(name), mode_(ModeToKeep(NativePath(name).string())) {
  IgnoreFileSizeSignal();
  // Saving through a link writes the file it points at; the link stays a link.
  const std::filesystem::path target = FollowLinks(NativePath(name), name);
  struct stat st {};
  target_ = target.string();
  if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    // A device or a FIFO cannot be replaced by a renamed file (renaming over /dev/full
    // would destroy the device): write into it directly.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) throw FileError(errno, name);
    return;
  }
  const std::string dir = target.parent_path().empty() ? std::string(".") : target.parent_path().string();
  RemoveStaleTemporaries(dir);
  openTemporary(dir);
}

void AtomicFileWriter::openTemporary(const std::string& dir) {
  fd_ = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd_ >= 0 && ::access("/proc/self/fd", X_OK) == 0) {
    unnamed_ = true;
    tmpName_ = TemporaryName(dir);
    return;
  }
  if (fd_ >= 0) ::close(fd_);
  std::string tmpl = TemporaryName(dir);
  fd_ = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd_ < 0) throw FileError(errno, name_);
  tmpName_ = tmpl;
}

AtomicFileWriter::~AtomicFileWriter() {
  behind_.reset();
  if (fd_ < 0) return;
  ::close(fd_);
  if (!tmpName_.empty() && !unnamed_) ::unlink(tmpName_.c_str());
}

void AtomicFileWriter::keepOldAs(const Text& backupName) {
  backup_ = backupName;
}

void AtomicFileWriter::neverReplace() {
  replace_ = false;
}

void AtomicFileWriter::write(std::string_view data) {
  if (!wrote_) {
    // One write is all most saves make: no thread for it.
    wrote_ = true;
    return WriteAll(fd_, data, name_);
  }
  if (!behind_) {
    try {
      behind_ = std::make_unique<WriteBehind>(fd_, name_);
    } catch (const std::system_error&) {
      return WriteAll(fd_, data, name_);  // no thread to be had: write it here
    }
  }
  behind_->write(data);
}

void AtomicFileWriter::commit(bool durable) {
  if (behind_) {
    behind_->finish();
    behind_.reset();
  }
  if (tmpName_.empty()) {
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) throw FileError(errno, name_);
    return;
  }
  if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0 || (durable && ::fsync(fd_) != 0)) throw FileError(errno, name_);
  if (!backup_.empty()) KeepBackup(target_, backup_);
  if (unnamed_) {
    // The file gets a name only now, for the moment until the rename below.
    if (!LinkUnnamed(fd_, tmpName_)) throw FileError(errno, name_);
    unnamed_ = false;
  }
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0 || !TakeName(tmpName_, target_, durable, replace_)) {
    const int err = errno;
    ::unlink(tmpName_.c_str());
    throw FileError(err, name_);
  }
  if (durable) SyncFolderOf(target_);
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
