#pragma once
// BPS patches of the ROM: the changes made since the load, the translation alone, and a
// downloaded patch applied to the loaded ROM.
#include "workspace/Workspace.h"

// The file dialogs' filter for BPS patches (a UTF-8 literal: pass it through W()).
inline constexpr char kBpsFilter[] = "BPS патч (*.bps)|*.bps|Все файлы (*.*)|*.*";

// The BPS of the ROM as loaded → RomImage, into OutputBPSFileName.
void SaveBps(Workspace& ws);
// The translation put into a copy of the ROM as loaded, as the plain insertion puts it;
// the BPS of the loaded ROM → that copy, into OutputBPSFileName. The workspace's images
// are not touched.
void GenerateBpsFromPerevod(Workspace& ws);
// Applies the patch file BPSFileName to RomImage and commits it.
void ApplyBps(Workspace& ws);

// The BPS of `source` → `target` into OutputBPSFileName (asked for when empty).
bool SaveBpsOf(Workspace& ws, std::string_view source, std::string_view target);
