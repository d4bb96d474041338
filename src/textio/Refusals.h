#pragma once
// The refusals and warnings that insertion and the pointer operations share, word for
// word, so that a shifted insertion reports each the same way whichever step meets it.
#include <cstdint>

#include "workspace/Workspace.h"

// True (after telling the user) when no translation is loaded.
bool RefuseWithoutPerevod(Workspace& ws);
// True (after telling the user) when no ROM is loaded.
bool RefuseWithoutRom(Workspace& ws);
// Loads the ROM and the table when they are missing; true (after telling the user) when
// one of them is still missing.
bool RefuseWithoutRomOrTable(Workspace& ws);
// A translation of one line (or none) is only warned about; the work goes on.
void WarnIfSingleLine(Workspace& ws);
// The warning for a line that points at position 0.
void WarnZeroAddress(Workspace& ws);
// A line whose address no GBA pointer can reach is reported and left alone.
void WarnNoGbaPointer(Workspace& ws, std::int64_t address);
