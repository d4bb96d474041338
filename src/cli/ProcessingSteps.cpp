#include <cstdint>

#include "cli/Steps.h"
#include "processing/Dictionary.h"
#include "processing/GroupAndSort.h"
#include "processing/Merge.h"
#include "processing/VocabCheck.h"
#include "workspace/Files.h"

namespace {

// The merges get the file list as a multi-file dialog gives it: absolute paths.
std::vector<Text> AbsolutePaths(const StepArgs& args) {
  std::vector<Text> paths;
  for (const auto& name : args)
    paths.push_back(!name.empty() && name.front() == kPathSeparator ? name : JoinPath(CurrentDirectory(), name));
  return paths;
}

StepDef FileListStep(void (*op)(Workspace&, const std::vector<Text>&)) {
  return StepDef{1, SIZE_MAX, [op](Workspace& ws, const StepArgs& args) { op(ws, AbsolutePaths(args)); }};
}

}  // namespace

void RegisterProcessingSteps(StepRegistry& r) {
  r.add("LoadTRVocabulary", LoadTRVocabulary);
  r.add("TranslateByVocabulary", TranslateByVocabulary);
  r.add("AddLeadingSpaceToTRWords", AddLeadingSpaceToTRWords);
  r.add("SaveTRVocabulary", SaveTRVocabulary);
  r.add("LoadVocabulary", LoadVocabulary);
  r.add("VocabCheck", VocabCheck);
  // The operations apply their own rules to the list's length (two files for the
  // interleaving, the rest ignored), so any non-empty list is accepted here.
  r.add("AppendPerevodFiles", FileListStep(AppendPerevodFiles));
  r.add("CombinePerevodFiles", FileListStep(CombinePerevodFiles));
  r.add("FuzzyCombinePerevodFiles", FileListStep(FuzzyCombinePerevodFiles));
  r.add("WritePerevodIntoRomImage", WritePerevodIntoRomImage);
  r.add("GroupEqualTRLines", GroupEqualTRLines);
  r.add("SortPerevod", StepDef{1, 1, [](Workspace& ws, const StepArgs& args) { SortPerevod(ws, args[0]); }});
}
