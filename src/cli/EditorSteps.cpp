#include "cli/ArgChecks.h"
#include "cli/Steps.h"
#include "editor/FindReplace.h"
#include "tools/FieldNumber.h"

namespace {

// The find dialog's check box: 1 for a case-sensitive search, as "Учитывать регистр".
bool CaseSenseArg(const StepArgs& args, size_t at) {
  return args.size() > at && ReadFieldNumber(args[at]) != 0;
}

}  // namespace

void RegisterEditorSteps(StepRegistry& r) {
  // FIND,REPLACE[,CASE]: the dialog's "Найти и заменить на ..." button.
  r.add("FindAndReplace", StepDef{2,
                                  3,
                                  [](Workspace& ws, const StepArgs& args) {
                                    FindAndReplace(ws, args[0], args[1], CaseSenseArg(args, 2));
                                  },
                                  {nullptr, nullptr, CheckFieldNumber}});
  // FIND[,CASE]: its "Найти и удалить строки" button.
  r.add("FindAndDelete",
        StepDef{1,
                2,
                [](Workspace& ws, const StepArgs& args) { FindAndDelete(ws, args[0], CaseSenseArg(args, 1)); },
                {nullptr, CheckFieldNumber}});
}
