#pragma once
// The dumper: a ROM block as table-decoded text in fixed-width lines keyed by address,
// in the form of translation lines so that a dump loads as a translation.
#include <cstdint>

#include "workspace/Workspace.h"

// Writes the block from `start` to `end` (1-based, both included) to ReportFileName,
// `lineSize` bytes a line. A start of 0 is taken as 1, also for the caller.
void DumpRomBlock(Workspace& ws, std::int32_t& start, std::int32_t end, std::int32_t lineSize, bool encode);

// The decoded text of up to 1,001 bytes from `start`, without addresses or line breaks,
// for the table editor's preview; `start` and `end` come back as used.
Text DumpPreview(Workspace& ws, std::int32_t& start, std::int32_t& end, bool encode);

// The dumper window's fields, as text.
struct DumperFields {
  Text startAddr = "1";
  Text endAddr = "16384";
  Text lineSize = "70";
  bool encode = true;
};

// The fields the window opens with: the initial ones, overridden by as many parts of
// DumperINILine as it has.
DumperFields DumperFieldsFromSettings(const Workspace& ws);

// The end field that a typed dump length gives: start + length.
Text DumpEndForLength(const Text& startAddr, const Text& dumpLen);

// The window's RUN: reads the fields, dumps, and remembers the fields in DumperINILine.
void RunDumper(Workspace& ws, const DumperFields& fields);
