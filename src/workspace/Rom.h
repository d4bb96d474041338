#pragma once
// The ROM image file, and what a save does with a file it would overwrite.
#include <string_view>
#include <vector>

#include "workspace/Workspace.h"

void LoadRom(Workspace& ws);
void SaveRom(Workspace& ws);

// What a save does with a file it would overwrite, decided before the write.
struct SaveTarget {
  Text backup;                 // the old content's new name; empty: none is kept
  std::vector<Text> logLines;  // said once the new file is in place
};

// Run before a save when a file of that name exists: stamps a new name (changing `name`),
// names the old file's backup, or lets the save replace it, as the settings say. Nothing
// is touched yet: SaveReplacing does the rest once the new content is complete.
SaveTarget PrepareSaveTarget(Workspace& ws, Text& name);

// Writes `data` to `name` under the rule above. At every instant the name holds the
// whole old file or the whole new one; a backup, when kept, holds the old content. The
// rule's log lines come only once the new file is in place. Throws on failure.
void SaveReplacing(Workspace& ws, Text& name, std::string_view data);

// day-month-year-hour-minute-second of the host's clock, as in 06-12-2026-8-15-00.
Text MakeStamp(const Workspace& ws);
// The name up to the last "." of its file part, with ".bak" instead; ".bak" appended
// when the file part has none (a dot in a folder's name never counts).
Text BackupName(const Text& name);

// A modifying operation that finished commits its working copy.
void CommitRomWorkImage(Workspace& ws);
// Every write of RomImage goes through here, so the ROM as loaded stays as it was.
void ReplaceRomImage(Workspace& ws, const Text& image);

// The ROM file's bytes as the last LoadRom read them, whatever has been committed since.
std::string_view RomOriginalImage(const Workspace& ws);
