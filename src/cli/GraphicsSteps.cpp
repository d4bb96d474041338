#include "cli/ArgChecks.h"
#include "cli/Steps.h"
#include "graphics/TileExchange.h"

namespace {

// OFFSET,COUNT,FORMAT,PERROW[,PALETTE[,CELL]]: the graphics window's fields; OFFSET
// "Z&H..." names a compressed block, whose unpacked tiles are taken.
void ExportStep(Workspace& ws, const StepArgs& args) {
  TileFields fields;
  fields.offset = args[0];
  fields.count = args[1];
  fields.format = args[2];
  fields.perRow = args[3];
  if (args.size() > 4) fields.palette = args[4];
  if (args.size() > 5) fields.cell = args[5];
  ExportTiles(ws, fields);
}

// [OFFSET,FORMAT[,CELL]]: used only for a PNG that carries no record of its block.
void ImportStep(Workspace& ws, const StepArgs& args) {
  TileFields fields;
  if (args.size() > 0) fields.offset = args[0];
  if (args.size() > 1) fields.format = args[1];
  if (args.size() > 2) fields.cell = args[2];
  ImportTiles(ws, fields);
}

}  // namespace

void RegisterGraphicsSteps(StepRegistry& r) {
  r.add("ExportTiles", StepDef{4, 6, ExportStep,
                               {CheckTileOffset, CheckTileIndex, CheckTileFormat, CheckTileIndex, CheckPalette,
                                CheckCellSize}});
  r.add("ImportTiles", StepDef{0, 3, ImportStep, {CheckTileOffset, CheckTileFormat, CheckCellSize}});
}
