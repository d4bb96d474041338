#pragma once
// The table generator: codes of the Latin letters, the space and the digits found by
// relative search from words the user knows to be in the game.
#include "workspace/Workspace.h"

// Four searches into GenCodeMap, written as a new table file to GenTableFileName.
void GenerateTable(Workspace& ws);

// One search for the table editor. With a 256-character starting map it looks for the
// space code among the map's free codes; otherwise for `alphabet` in a fresh map,
// asking with `prompt`. The result is the map; CharTable is not touched.
std::u32string RelativeSearch(Workspace& ws, const Text& prompt, const Text& alphabet, const std::u32string& startMap);

// The generated table file for a map of 256 Windows-1251 bytes (GenCodeMap).
Text GeneratedTableText(const Workspace& ws, const Text& map);
