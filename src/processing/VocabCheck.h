#pragma once
// The clean-up dictionary and the check that removes short garbage lines, the runs of
// graphics or code bytes that extraction took for text, from the translation.
#include "workspace/Workspace.h"

void LoadVocabulary(Workspace& ws);
void VocabCheck(Workspace& ws);
