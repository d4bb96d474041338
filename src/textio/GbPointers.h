#pragma once
// Game Boy pointers in the pointer tables named by the setting GbPointerTables: report
// which lines a table entry reaches, record the entries before the strings move, and
// rewrite them afterwards with each string's new place in its bank.
#include <cstdint>

#include "workspace/Workspace.h"

// The number of the general error line when the recorded entries do not belong to the
// translation (never recorded, or recorded for other lines).
inline constexpr int kErrNoGbPointerMap = 1103;

// True (after telling the user) when the tables cannot be used: none named, a range that
// cannot be read, or a table past the loaded ROM.
bool RefuseGbPointerTables(Workspace& ws);

void BuildGbPointerTable(Workspace& ws);
// Also runs at shift 0 when packing moved lines since the entries were recorded.
void CorrectGbPointers(Workspace& ws, std::int32_t shift);
void FindGbPointers(Workspace& ws);
