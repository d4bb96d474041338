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
  bool replace = true;         // false: the save fails rather than replace a file
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
// The length of such a stamp at the start of `file`, with the counter ("-2") a second
// save in the same second adds; 0 when `file` starts with none.
size_t StampLength(std::string_view file);
// The name up to the last "." of its file part, with ".bak" instead; ".bak" appended
// when the file part has none (a dot in a folder's name never counts).
Text BackupName(const Text& name);

// The working copy (RomWorkImage): what a ROM save writes. After a load, a commit or a
// discard it holds RomImage's bytes; only an operation that stopped part way leaves it
// different. Every write goes through one of the three below, so none can see stale bytes.
std::string_view RomWorkImage(const Workspace& ws);
// For an operation that starts from the committed image: the copy set to RomImage.
RomBytes& StartRomWork(Workspace& ws);
// For an operation that goes on from the copy as it stands.
RomBytes& ContinueRomWork(Workspace& ws);
// For an operation that writes the copy whole: its buffer, whose bytes are left over.
RomBytes& RomWorkBuffer(Workspace& ws);
// The copy is RomImage again; what was written into it is dropped.
void DiscardRomWork(Workspace& ws);
// For an operation that writes RomImage itself, not through the working copy: RomImage,
// once the copy and the ROM as loaded have bytes of their own, so neither changes with it.
RomBytes& RomImageToWrite(Workspace& ws);
// RomImage takes the copy's bytes (the copy is then RomImage again); RomChanged stays.
void AdoptRomWorkImage(Workspace& ws);
// A modifying operation that finished commits its working copy and sets RomChanged.
void CommitRomWorkImage(Workspace& ws);

// The ROM file's bytes as the last LoadRom read them, whatever has been committed since.
std::string_view RomOriginalImage(const Workspace& ws);
