#pragma once
// The ROM image file, and what a save does with a file it would overwrite.
#include "workspace/Workspace.h"

void LoadRom(Workspace& ws);
void SaveRom(Workspace& ws);

// Run before a save when a file of that name exists: stamps a new name, renames the old
// file to its backup, or lets the save replace it, as the settings say.
void PrepareSaveTarget(Workspace& ws, Text& name);

// day-month-year-hour-minute-second of the host's clock, as in 06-12-2026-8-15-00.
Text MakeStamp(const Workspace& ws);
// The name up to its last "." with ".bak" instead; ".bak" appended when there is none.
Text BackupName(const Text& name);

// A modifying operation that finished commits its working copy.
void CommitRomWorkImage(Workspace& ws);
