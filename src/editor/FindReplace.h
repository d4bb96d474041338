#pragma once
// The find dialog's two operations over every line of the translation: replace a
// substring in the texts, or delete the lines whose text holds it. Addresses are never
// searched or changed; a line without a space is never touched. There is no undo.
#include <optional>

#include "workspace/Workspace.h"

// What the dialog opens with for list line `row`: the entry's text after its first
// space, the whole entry without one; nothing when the row names no entry.
std::optional<Text> FindWhatOfRow(const Workspace& ws, int row);

// Both return the number of lines changed or deleted; 0 also for an empty search text,
// which does nothing at all. A change ends the edit in progress; the editor's list is
// then to be filled again.
int FindAndReplace(Workspace& ws, const Text& findWhat, const Text& replaceWith, bool caseSense);
int FindAndDelete(Workspace& ws, const Text& findWhat, bool caseSense);
