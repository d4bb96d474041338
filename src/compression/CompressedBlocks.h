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
// A block offset as typed: decimal digits or "&H" and hexadecimal digits.
std::optional<size_t> ReadBlockOffset(const Text& text);
// The menu's question for a block's offset; nothing when cancelled.
std::optional<Text> AskBlockOffset(Workspace& ws, const Text& title);
