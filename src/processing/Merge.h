#pragma once
// Merging translation files: gluing them one after another, interleaving two line by
// line, and the fuzzy merge that lays every line at its address into a blank image
// and extracts that image again, so that lines for the same bytes become one.
#include <vector>

#include "workspace/Workspace.h"

// Each takes the chosen files as full paths, in the order the dialog named them.
void AppendPerevodFiles(Workspace& ws, const std::vector<Text>& files);
void CombinePerevodFiles(Workspace& ws, const std::vector<Text>& files);
void FuzzyCombinePerevodFiles(Workspace& ws, const std::vector<Text>& files);

// Writes the text of every translation line over RomImage at the line's address.
void WritePerevodIntoRomImage(Workspace& ws);
// The same over any image; lines without an address or outside the image are logged
// and skipped.
void WritePerevodIntoImage(Workspace& ws, RomBytes& image);

// The 256-entry table in which every code stands for its own Windows-1251 character
// (code 0 for none).
std::vector<Text> IdentityCharTable();
