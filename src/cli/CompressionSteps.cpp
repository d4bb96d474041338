#include "cli/ArgChecks.h"
#include "cli/Steps.h"
#include "compression/CompressedBlocks.h"

void RegisterCompressionSteps(StepRegistry& r) {
  r.add("FindCompressed", FindCompressed);
  r.add("UnpackBlock",
        StepDef{1, 1, [](Workspace& ws, const StepArgs& a) { UnpackBlock(ws, a[0]); }, {CheckBlockOffset}});
  r.add("PackFile", StepDef{1, 1, [](Workspace& ws, const StepArgs& a) { PackFile(ws, a[0]); }, {CheckPackType}});
  r.add("PutPackedBlock",
        StepDef{1, 2, [](Workspace& ws, const StepArgs& a) { PutPackedBlock(ws, a[0], a.size() > 1 ? a[1] : Text()); },
                {CheckBlockOffset, CheckPackType}});
}
