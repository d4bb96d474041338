#pragma once
// The ROM's compressed blocks as the translator works with them: a list of every stream,
// a stream unpacked into a file, a file packed into a stream, and a file packed and put
// back in place of a stream, moved and repointed when it grew.
#include <optional>

#include "compression/Codecs.h"
#include "workspace/Workspace.h"

// The list of streams into a report file asked for with a save dialog.
void FindCompressed(Workspace& ws);
// The stream at `offset` (decimal or "&H", 0-based) unpacked into a file asked for.
void UnpackBlock(Workspace& ws, const Text& offset);
// A file asked for, packed as `type` (LZ77, LZ77WRAM, RLE, HUFF4, HUFF8) into a file asked for.
void PackFile(Workspace& ws, const Text& type);
// A file asked for, packed in the type of the stream at `offset` (or `type`) and written
// over it, or into free space with its pointers rewritten when it no longer fits.
void PutPackedBlock(Workspace& ws, const Text& offset, const Text& type = Text());

// What a type argument names: the format, and whether LZ77 may copy from distance 1.
struct PackKind {
  StreamType type = StreamType::Lz77;
  bool wram = false;
};
std::optional<PackKind> ReadPackKind(const Text& name);
// A stream the user named by its offset: where it is, its type and what it unpacks to.
struct FoundBlock {
  size_t offset = 0;
  StreamType type = StreamType::Lz77;
  UnpackResult unpacked;
};
// The stream at `offset` (as typed) in the ROM image; nothing after telling the user why not.
std::optional<FoundBlock> BlockAt(Workspace& ws, const Text& offset);
// Why there is no stream at `offset`: the text BlockAt shows, for a view that only says it.
Text NoBlockText(size_t offset, StreamError error);
// The settings a put back reads (free byte, free ranges) are good; otherwise the user is told.
bool PutBackSettingsGood(Workspace& ws);
// `data` packed in the block's type (or as `kind` says) and written over it, or into free
// space with its pointers rewritten when it no longer fits; a message and no change when
// nothing fits. Where the stream now lies; nothing when the ROM image did not take it.
std::optional<size_t> PutBack(Workspace& ws, const FoundBlock& block, const Text& data, std::optional<PackKind> kind = std::nullopt);
// A block offset as typed: decimal digits or "&H" and hexadecimal digits.
std::optional<size_t> ReadBlockOffset(const Text& text);
// The menu's question for a block's offset; nothing when cancelled.
std::optional<Text> AskBlockOffset(Workspace& ws, const Text& title);
