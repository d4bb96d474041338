#pragma once
// Tile transposition: a square block of 8x8 tiles rewritten with rows and columns
// swapped, so that an outside tile editor shows the tiles in the order they are drawn.
// Two runs with the same parameters give the image back.
#include <array>

#include "workspace/Workspace.h"

// The captions of the tile formats, in the order of the window's option buttons.
inline const std::array<const char*, 3> kTileFormatCaptions = {"4BPP (GBA)", "1BPP", "2BPP (GBC)"};

// The transposition window's fields, as text; the format by its option's index.
struct TransposeFields {
  Text startAddr = "&HEA2DF0";
  Text tilesInRow = "31";
  Text tilesInCol = "31";
  int format = 0;
};

// Transposes the block the fields describe in the working copy and commits it.
void TransposeTileBlock(Workspace& ws, const TransposeFields& fields);

// The fields the window opens with: the initial ones, overridden by as many parts of
// TransponINILine as it has.
TransposeFields TransposeFieldsFromSettings(const Workspace& ws);

// The option index of a format named by its first character ("4", "1", "2"); 0 for
// anything else.
int TileFormatIndex(const Text& caption);

// The tile grid transposed: `tiles` tiles of `tileBytes` bytes each form a square of
// side `side`; the last tile may be cut short by the image's end.
Text TransposedTiles(std::string_view block, int side, int tileBytes);
