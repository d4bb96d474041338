#pragma once
// The files the user opens by name rather than through a command's dialog (dropped on
// the main window, or chosen from the recent files), and the list of the last eight
// ROM, table and translation files loaded, kept in the settings.
#include <optional>
#include <utility>
#include <vector>

#include "workspace/Workspace.h"

enum class FileKind { Rom, Table, Perevod, Ips, Bps };

// The kind a file's extension says (.gb .gbc .gba, .tbl, .txt, .ips, .bps, in any
// case); nothing for any other name.
std::optional<FileKind> FileKindOfName(const Text& path);

// The words of the program's command line that name files it loads, with their kinds,
// in order (a relative name is taken from `cwd`); `otherText` when any word names no
// existing file of those kinds.
struct CommandLineFiles {
  std::vector<std::pair<FileKind, Text>> files;
  bool otherText = false;
};
CommandLineFiles ReadCommandLine(const std::vector<Text>& words, const Text& cwd);

inline constexpr size_t kRecentFilesKept = 8;

struct RecentFile {
  FileKind kind;
  Text path;
  bool operator==(const RecentFile&) const = default;
};

// The remembered files, newest first; entries the settings file spoils are left out.
std::vector<RecentFile> RecentFiles(const Workspace& ws);
// Puts a loaded file at the head of the list; the same file further down goes, and
// the oldest beyond eight. Only ROM, table and translation files are kept.
void RememberRecentFile(Workspace& ws, FileKind kind, const Text& path);
