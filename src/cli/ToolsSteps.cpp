#include "cli/ArgChecks.h"
#include "cli/Steps.h"
#include "tools/Dumper.h"
#include "tools/Emulator.h"
#include "tools/FieldNumber.h"
#include "tools/HeaderChecksums.h"
#include "tools/TableGenerator.h"
#include "tools/TileTransposition.h"
#include "workspace/CharTable.h"
#include "workspace/Log.h"

namespace {

// START,END,LINESIZE,ENCODE as typed in the dumper window; the step is its RUN button.
void DumpStep(Workspace& ws, const StepArgs& args) {
  DumperFields fields;
  fields.startAddr = args[0];
  fields.endAddr = args[1];
  fields.lineSize = args[2];
  fields.encode = ReadFieldNumber(args[3]) != 0;
  RunDumper(ws, fields);
}

// START,N,BPP: the transposition window's fields, BPP naming the format by its digit.
void TransposeStep(Workspace& ws, const StepArgs& args) {
  TransposeFields fields;
  fields.startAddr = args[0];
  fields.tilesInRow = fields.tilesInCol = args[1];
  fields.format = TileFormatIndex(args[2]);
  TransposeTileBlock(ws, fields);
}

// The search as the table editor runs it, on the loaded table: with an alphabet the
// letters, without one the space among the table's free codes. What it finds goes into
// the table, as the editor merges it, so that SaveTable shows the result.
void RelativeSearchStep(Workspace& ws, const StepArgs& args) {
  const std::u32string current = LookupOf(ws.CharTable);
  const std::u32string found = args.empty()
                                   ? RelativeSearch(ws, Text(), Text(), current)
                                   : RelativeSearch(ws, W("Введите текст из букв ") + args[0], args[0], std::u32string());
  if (!ws.TableLoaded || ws.CharTable.size() != 256) return;
  for (size_t code = 0; code < 256; ++code) {
    if (found[code] == 0 || ws.CharTable[code] == utf8::Of(found[code])) continue;
    ws.CharTable[code] = utf8::Of(found[code]);
    if (ws.CharTableLookup.size() == 256) ws.CharTableLookup[code] = found[code];
    ws.TableChanged = true;
  }
}

}  // namespace

void RegisterToolsSteps(StepRegistry& r) {
  r.add("DumpRomBlock",
        StepDef{4, 4, DumpStep, {CheckFieldNumber, CheckFieldNumber, CheckFieldNumber, CheckFieldNumber}});
  r.add("TransposeTileBlock", StepDef{3, 3, TransposeStep, {CheckFieldNumber, CheckTileIndex, CheckBpp}});
  r.add("GenerateTable", GenerateTable);
  r.add("FixHeaderChecksums", [](Workspace& ws) { FixHeaderChecksums(ws); });
  r.add("RelativeSearch", StepDef{0, 1, RelativeSearchStep});
  r.add("RunInEmulator", RunInEmulator);
}
