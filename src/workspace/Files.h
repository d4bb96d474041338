#pragma once
// The file system, reached through Windows-1251 names. Reads take whole files at
// once; writes go to a temporary file beside the target and are renamed into place
// only when complete, so a failed save never costs the old file.
#include <filesystem>
#include <memory>
#include <string_view>

#include "workspace/Cp1251.h"
#include "workspace/ImageMemory.h"

inline constexpr char kPathSeparator = '/';

std::filesystem::path NativePath(const Text& name);
Text FromNativePath(const std::filesystem::path& path);
// The working folder; empty when its name cannot be held in Windows-1251.
Text CurrentDirectory();
// `name` inside `dir`; `name` alone for an empty `dir`.
Text JoinPath(const Text& dir, const Text& name);

// True for an existing file that is not a folder.
bool FileExists(const Text& name);
// True only for a plain file: the one kind a save may back up, stamp around or replace.
bool RegularFileExists(const Text& name);
// True when anything has the name: a file, a folder, a link even if it leads nowhere.
bool PathExists(const Text& name);
// 0 for a missing file.
std::uintmax_t FileSize(const Text& name);

Text ReadWholeFile(const Text& name);
// ReadWholeFile into a buffer that is reused when it is large enough. On a failure part
// way, `data` may hold part of the new bytes.
void ReadWholeFileInto(const Text& name, Text& data);
// A ROM image: mapped where the file can be leased (workspace/ImageMemory.h), else read.
void ReadWholeFileInto(const Text& name, RomBytes& data);
// A file read whole as it was when opened, for an operation that compares two files: a
// file that another program cuts while it is read is refused with an error rather than
// read in part (a mapping of it would end the process with SIGBUS at the first page
// past the new end). Opened and sized in the constructor, read by readInto().
class SizedFile {
 public:
  explicit SizedFile(const Text& name);
  ~SizedFile();
  SizedFile(const SizedFile&) = delete;
  SizedFile& operator=(const SizedFile&) = delete;
  size_t size() const { return size_; }
  // The file's bytes; throws when it ends before the size it had when opened. Mapped where
  // the file can be leased: nobody can then cut it until the bytes are our own.
  void readInto(RomBytes& data);

 private:
  Text name_;
  int fd_ = -1;
  size_t size_ = 0;
};

// Room for an image of `size` bytes; a buffer that must grow for it loses what it held.
void ReserveImage(RomBytes& data, size_t size);
void WriteFileAtomically(const Text& name, std::string_view data);
// The file keeps all it held; `data` follows its last byte.
void AppendFileAtomically(const Text& name, std::string_view data);
void RenameFile(const Text& from, const Text& to);
void RemoveFile(const Text& name);

// WriteFileAtomically for output made piece by piece (a report of tens of megabytes is
// never held whole): the pieces go to a temporary file beside the target, which takes
// the target's name only in commit(). Destroyed uncommitted, it leaves the old file whole.
//
// The temporary file has no name while it is written (O_TMPFILE) where the file system
// allows it, so a killed process leaves nothing behind; elsewhere it is a hidden
// ".tarvello-PID-XXXXXX" beside the target, and a later save into the same folder
// removes those whose process is gone.
//
// A link is written through to the file it leads to, made there when it does not exist
// yet; a loop of links fails with ELOOP and stays as it was.
//
// From the second write() on, the pieces are written by a thread of the writer's own, so
// the program makes the next piece meanwhile; a failed write is then thrown by a later
// write() or by commit().
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const Text& name);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  // In commit(), once the new content is complete and before it takes the name, the old
  // file's content becomes `backupName` (a hard link where the file system allows it, a
  // copy otherwise), replacing an older backup in one step.
  void keepOldAs(const Text& backupName);
  // commit() fails (EEXIST) rather than replace a file that has the name by then.
  void neverReplace();
  void write(std::string_view data);
  // `durable` waits until the bytes are on the disk; output that can be made again at
  // will skips that wait.
  void commit(bool durable);

 private:
  class WriteBehind;
  void openTemporary(const std::string& dir);
  Text name_;
  std::string target_;    // the native path written: a link's target for a link
  std::string tmpName_;   // a named temporary file; empty for an unnamed one or a device
  bool unnamed_ = false;  // O_TMPFILE: named only in commit()
  Text backup_;
  int fd_ = -1;
  unsigned mode_ = 0;
  bool wrote_ = false;
  bool replace_ = true;
  std::unique_ptr<WriteBehind> behind_;
};
