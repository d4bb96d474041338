#pragma once
// The Game Boy Advance pointers of a shifted insertion: record every line's pointer
// before the strings move, pack the lines one after another, rewrite the recorded
// pointers to the new places afterwards, and, on its own, report which lines have a
// pointer in the ROM.
#include <cstdint>

#include "workspace/Workspace.h"

// The number of the general error line when the recorded table does not belong to the
// translation (never built, or built for other lines).
inline constexpr int kErrNoPointerTable = 1102;

void BuildGbaPointerTable(Workspace& ws);
// Each line with a text follows the previous one, one byte after its end: its characters
// for a one-byte table, the bytes the insertion (moved by `shift`) leaves for it for an
// extended one. The GBA pointer table, when recorded for these lines, follows along.
void PackPerevodAddresses(Workspace& ws, std::int32_t shift = 0);
void CorrectGbaPointers(Workspace& ws, std::int32_t shift);
void FindGbaPointers(Workspace& ws);
