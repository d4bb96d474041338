#include "workspace/OpenedFiles.h"

#include <array>

#include "workspace/Files.h"

namespace {

using Slot = Text Workspace::*;
constexpr std::array<Slot, kRecentFilesKept> kSlots = {
    &Workspace::RecentFiles1, &Workspace::RecentFiles2, &Workspace::RecentFiles3, &Workspace::RecentFiles4,
    &Workspace::RecentFiles5, &Workspace::RecentFiles6, &Workspace::RecentFiles7, &Workspace::RecentFiles8,
};

struct KindName {
  FileKind kind;
  const char* name;
};
constexpr KindName kKindNames[] = {{FileKind::Rom, "ROM"}, {FileKind::Table, "TABLE"}, {FileKind::Perevod, "PEREVOD"}};

std::optional<RecentFile> ParseSlot(const Text& value) {
  const size_t bar = value.find('|');
  if (bar == Text::npos || bar + 1 == value.size()) return std::nullopt;
  for (const KindName& k : kKindNames)
    if (value.compare(0, bar, k.name) == 0) return RecentFile{k.kind, value.substr(bar + 1)};
  return std::nullopt;
}

}  // namespace

std::optional<FileKind> FileKindOfName(const Text& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == Text::npos || (slash != Text::npos && dot < slash)) return std::nullopt;
  const Text ext = utf8::Lower(path.substr(dot + 1));
  if (ext == "gb" || ext == "gbc" || ext == "gba") return FileKind::Rom;
  if (ext == "tbl") return FileKind::Table;
  if (ext == "txt") return FileKind::Perevod;
  if (ext == "ips") return FileKind::Ips;
  if (ext == "bps") return FileKind::Bps;
  return std::nullopt;
}

CommandLineFiles ReadCommandLine(const std::vector<Text>& words, const Text& cwd) {
  CommandLineFiles line;
  for (const Text& word : words) {
    const Text path = !word.empty() && word[0] == '/' ? word : JoinPath(cwd, word);
    const auto kind = FileKindOfName(path);
    if (kind && RegularFileExists(path))
      line.files.emplace_back(*kind, path);
    else
      line.otherText = true;
  }
  return line;
}

std::vector<RecentFile> RecentFiles(const Workspace& ws) {
  std::vector<RecentFile> files;
  for (Slot slot : kSlots)
    if (auto file = ParseSlot(ws.*slot)) files.push_back(std::move(*file));
  return files;
}

void RememberRecentFile(Workspace& ws, FileKind kind, const Text& path) {
  const KindName* name = nullptr;
  for (const KindName& k : kKindNames)
    if (k.kind == kind) name = &k;
  if (!name || path.empty()) return;
  std::vector<RecentFile> files = RecentFiles(ws);
  std::erase(files, RecentFile{kind, path});
  files.insert(files.begin(), RecentFile{kind, path});
  for (size_t i = 0; i < kSlots.size(); ++i) {
    Text& slot = ws.*kSlots[i];
    slot.clear();
    if (i >= files.size()) continue;
    for (const KindName& k : kKindNames)
      if (k.kind == files[i].kind) slot = Text(k.name) + "|" + files[i].path;
  }
}
