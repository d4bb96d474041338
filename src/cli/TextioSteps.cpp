#include "cli/ArgChecks.h"
#include "cli/Steps.h"
#include "textio/Extraction.h"
#include "textio/FitCheck.h"
#include "textio/GbPointers.h"
#include "textio/GbaPointers.h"
#include "textio/Insertion.h"
#include "textio/ShiftedPut.h"
#include "workspace/Errors.h"
#include "workspace/Log.h"

namespace {

// The runner checked the argument before the run (CheckShift); a shift computed from a
// new address can still leave the 32-bit range, which ends the step with the general
// error line, as a refused field would stop the window's button.
std::int32_t ShiftArg(const StepArgs& args, size_t index) {
  if (index >= args.size()) return 0;
  if (auto shift = ReadShiftField(args[index])) return *shift;
  throw OperationError(kErrUnexpected,
                       W("сдвиг должен быть целым числом от -2147483648 до 2147483647: ") + args[index]);
}

// The pointer check box (CheckFlag): 1/YES checked, 0/NO (or nothing) unchecked.
bool CheckArg(const StepArgs& args, size_t index) {
  if (index >= args.size()) return false;
  const Text value = utf8::Upper(args[index]);
  return value == "1" || value == "YES";
}

// The pointer kind chosen in the window (CheckPointerKind): GBA (or nothing) as ever, GB
// for Game Boy tables.
PointerKind KindArg(const StepArgs& args, size_t index) {
  if (index >= args.size()) return PointerKind::Gba;
  return utf8::Upper(args[index]) == "GB" ? PointerKind::Gb : PointerKind::Gba;
}

}  // namespace

void RegisterTextioSteps(StepRegistry& r) {
  r.add("ExtractTextFromRom", ExtractTextFromRom);
  r.add("PutPerevodInRom",
        StepDef{0, 1, [](Workspace& ws, const StepArgs& a) { PutPerevodInRom(ws, ShiftArg(a, 0)); }, {CheckShift}});
  r.add("BuildGbaPointerTable", BuildGbaPointerTable);
  r.add("PackPerevodAddresses", [](Workspace& ws) { PackPerevodAddresses(ws); });
  r.add("CorrectGbaPointers",
        StepDef{0, 1, [](Workspace& ws, const StepArgs& a) { CorrectGbaPointers(ws, ShiftArg(a, 0)); }, {CheckShift}});
  r.add("FindGbaPointers", FindGbaPointers);
  r.add("CheckFit", [](Workspace& ws) { CheckFit(ws); });
  r.add("BuildGbPointerTable", BuildGbPointerTable);
  r.add("CorrectGbPointers",
        StepDef{0, 1, [](Workspace& ws, const StepArgs& a) { CorrectGbPointers(ws, ShiftArg(a, 0)); }, {CheckShift}});
  r.add("FindGbPointers", FindGbPointers);
  // The shifted insertion window's button: SHIFT as typed in its shift field, CORRECT
  // its pointer check box, KIND the pointer kind beside it.
  r.add("ShiftedPut", StepDef{1,
                              3,
                              [](Workspace& ws, const StepArgs& a) {
                                const bool correct = CheckArg(a, 1);
                                const PointerKind kind = KindArg(a, 2);
                                ShiftedPut(ws, ShiftArg(a, 0), correct, kind);
                              },
                              {CheckShift, CheckFlag, CheckPointerKind}});
  // The same with a new address typed for the first line instead of the shift; a first
  // line without a space leaves the shift field at its initial 0.
  r.add("ShiftedPutTo", StepDef{1,
                                3,
                                [](Workspace& ws, const StepArgs& a) {
                                  const bool correct = CheckArg(a, 1);
                                  const PointerKind kind = KindArg(a, 2);
                                  const auto shift = ShiftForNewAddress(ws, a[0]).value_or(0);
                                  ShiftedPut(ws, ShiftArg(StepArgs{ShiftFieldText(shift)}, 0), correct, kind);
                                },
                                {CheckAddress, CheckFlag, CheckPointerKind}});
}
