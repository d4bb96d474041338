#include "cli/ArgChecks.h"
#include "cli/Steps.h"
#include "tools/TableEdit.h"
#include "workspace/Escapes.h"

namespace {

// The buttons of the table editor that act on the table itself, the grid being the
// table as it stands: after a shift the editor shows the table again, which without a
// loaded table empties it.
void Shift(Workspace& ws, void (*shift)(Workspace&)) {
  shift(ws);
  GridFromTable(ws);
}

// CODE,TEXT: the text dropped on the cell of the hexadecimal code, as from a letter strip.
void DropStep(Workspace& ws, const StepArgs& args) {
  Grid grid = JoinedTable(ws);
  const int code = static_cast<int>(ReadHexPrefix(args[0]));  // 00..FF: CheckTableCode
  DropOnGrid(grid, code, args[1]);
  PutGridInTable(ws, grid, Text());
  if (!args[1].empty()) ws.TableChanged = true;
}

}  // namespace

void RegisterTableEditSteps(StepRegistry& r) {
  r.add("ShiftTableLeft", [](Workspace& ws) { Shift(ws, ShiftTableLeft); });
  r.add("ShiftTableRight", [](Workspace& ws) { Shift(ws, ShiftTableRight); });
  r.add("ResetTable1251", [](Workspace& ws) { ResetTable(ws, Windows1251Grid(), Text()); });
  r.add("ResetTableAlph", [](Workspace& ws) { ResetTable(ws, AlphabetGrid(), Text()); });
  r.add("ClearTable", [](Workspace& ws) { ResetTable(ws, Grid(kTableCodes, U'\0'), Text()); });
  r.add("CheckEngLetters", CheckEngLetters);
  r.add("CheckRusLetters", CheckRusLetters);
  r.add("DropOnTable", StepDef{2, 2, DropStep, {CheckTableCode, nullptr}});
}
