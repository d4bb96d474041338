#pragma once
// The editor's commands on the list of translation lines: filling it, deleting and
// changing the case of the selected lines, and finding a line. List line k shows entry
// k of the translation; a selection is given as ascending list indexes.
#include <functional>
#include <optional>
#include <vector>

#include "workspace/Workspace.h"

// The list control holds at most this many lines.
inline constexpr int kListLimit = 32767;

// The selection as the commands take it: the list's selected indexes in whatever order
// the control gives them, ascending and each once.
std::vector<int> AscendingRows(std::vector<int> rows);

// The line to make current again after the list was filled anew, possibly shorter:
// `row`, or the last line when it is gone. Nothing with no line before or none now.
std::optional<int> RowAfterRefill(int row, int listCount);

// The message about the list limit.
void warning32k(Workspace& ws);

// Lists the translation from its first entry: at most kListLimit lines, and none from
// the first empty entry on (the lines behind stay in the translation). `add` receives
// the index ranges to show, a hundred lines at a time. Returns the number listed.
int FillTheListBox(Workspace& ws, const std::function<void(int begin, int end)>& add);

// The question a command on several lines asks; one selected line is not asked about.
bool ConfirmRowsCommand(Workspace& ws, size_t selectedCount, const Text& question);

// Deletes the selected entries and every empty entry, then ends the edit in progress.
void DeleteSelectedLines(Workspace& ws, const std::vector<int>& selected);

// Upper case for case text "U" (either case), lower case for any other; whole entries,
// letters of both alphabets.
void UcaseSelectedLines(Workspace& ws, const std::vector<int>& selected, const Text& caseText);

// No line being edited: what a deletion or a find-dialog change leaves.
void ResetEditState(EditorState& st);

// The search of the find-line command, from the line after `current` to the last listed
// line. Returns the list line to make current, or nothing to leave the current line.
std::optional<int> FindString(Workspace& ws, int current, int listCount);
