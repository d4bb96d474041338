#pragma once
// Tiles out to an indexed PNG and back: the translator draws the missing glyphs in any
// image editor and the workbench puts the indices back as tiles. The PNG carries a record
// of its block, so the import asks nothing.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "graphics/Tiles.h"
#include "workspace/Workspace.h"

// Where a block of tiles lives and how it is drawn.
struct TileBlock {
  std::int64_t offset = 0;  // 0-based
  TileLayout layout;
  std::optional<std::int64_t> paletteOffset;  // none: the format's greys
  // The offset is a compressed stream's and the tiles are its unpacked bytes, from the first.
  bool packed = false;
};

// "offset=&H1C0;format=4BPP;count=96;perrow=16;cell=1x1;palette=GREY" (or palette=&H...;
// a compressed stream's block: offset=Z&H1C0).
std::string FormatPngRecord(const TileBlock& block);
std::optional<TileBlock> ParsePngRecord(std::string_view record);

// The PNG of the block's tiles, `tiles` holding at least layout.bytes() bytes: any byte
// buffer, the ROM image's bytes at the offset or a block unpacked elsewhere.
std::string TilesToPng(std::string_view tiles, const TileBlock& block, const Palette& palette);

struct PngTiles {
  TileBlock block;     // from the PNG's record, or `fallback` with the image's own size
  bool fromRecord = false;
  std::string tiles;   // block.layout.bytes() bytes
  Text refusal;        // why the PNG cannot be taken; empty when it can
};
// The palette a true-colour picture's colours must come from, or the refusal's text.
using PaletteSource = std::function<std::optional<Palette>(const TileBlock& block, Text& refusal)>;
// The tiles a PNG holds. An indexed picture gives its indices; a grey or true-colour one
// only colours of the block's palette. Reads at most `maxPixels` pixels.
PngTiles TilesFromPng(std::string_view png, const TileBlock& fallback, const PaletteSource& palette, size_t maxPixels);

// The graphics window's fields and the steps' arguments, as typed.
struct TileFields {
  Text offset;            // decimal or "&H", "Z&H..." a stream; for an import, empty: only from the PNG's record
  Text count = "256";
  Text format = "4BPP";
  Text perRow = "16";
  Text palette = "GREY";  // GREY or the offset of the ROM's colours
  Text cell = "1x1";
};

// Writes the block the fields name to a PNG file chosen in the save dialog. A stream's
// block gives at most as many tiles as its unpacked bytes hold.
void ExportTiles(Workspace& ws, const TileFields& fields);
// Writes the tiles of a PNG file chosen in the open dialog into the ROM image; a stream's
// tiles go into its unpacked bytes, which are packed again and put back. The block as it
// now lies (a moved stream at its new offset); nothing when nothing was taken.
std::optional<TileBlock> ImportTiles(Workspace& ws, const TileFields& fields);

// The offset field names a compressed stream: "Z" and the stream's offset.
bool IsPackedOffset(const Text& offset);
// The fields read as a block; the refusal's text when they cannot be.
std::optional<TileBlock> ReadTileFields(const TileFields& fields, Text& refusal);
// The palette the block names, read from `rom`; the refusal's text when it lies past its end.
std::optional<Palette> BlockPalette(std::string_view rom, const TileBlock& block, Text& refusal);
