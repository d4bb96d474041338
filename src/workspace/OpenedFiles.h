#pragma once
// The files the user opens by name rather than through a command's dialog (dropped on
// the main window, or chosen from the recent files), and the list of the last eight
// ROM, table and translation files loaded, kept in the settings.
#include <optional>
#include <vector>

#include "workspace/Workspace.h"

enum class FileKind { Rom, Table, Perevod, Ips, Bps };

// The kind a file's extension says (.gb .gbc .gba, .tbl, .txt, .ips, .bps, in any
// case); nothing for any other name.
std::optional<FileKind> FileKindOfName(const Text& path);

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
