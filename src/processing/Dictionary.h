#pragma once
// The word-for-word dictionary: a file of alternating search and replacement lines,
// applied to the whole translation as one mass find-and-replace.
#include <string_view>

#include "workspace/Workspace.h"

void LoadTRVocabulary(Workspace& ws);
void TranslateByVocabulary(Workspace& ws);
void AddLeadingSpaceToTRWords(Workspace& ws);
void SaveTRVocabulary(Workspace& ws);

// The pairs of a dictionary file's content, logging each as the load does. Throws
// OperationError when the content holds no line at all.
TRVocabularyData ParseTRVocabulary(Workspace& ws, std::string_view data);
