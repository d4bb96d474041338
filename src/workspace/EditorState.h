#pragma once
// What the translation editor remembers for the whole run of the program: the line being
// edited, its texts and lengths, the undo history of the edit and the last search. The
// window comes and goes; this stays, so an edit survives closing and reopening it.
#include <cstdint>
#include <optional>
#include <vector>

#include "workspace/Cp1251.h"

inline constexpr int kUndoStates = 1000;

struct EditorState {
  // The target of the next commit; -1 makes the commit append a line.
  std::int32_t CurrentRow = 0;
  // 1-based ROM position of the line being edited; 0 = the line has no address. Wider
  // than the 32 bits a commit accepts, so that an out-of-range address in a file shows
  // as it is and is refused at the commit instead of wrapping.
  std::int64_t RowAddress = 0;
  Text EditText;
  std::int32_t EditTextLength = 0;
  Text OrigText;
  std::int32_t OrigTextLength = 0;
  bool LimitStringSize = false;
  std::vector<Text> UndoBuffer = std::vector<Text>(kUndoStates);
  std::int32_t UndoPosition = 0;
  bool UndoReplay = false;
  Text LastFindString;
};

// A new edit: its starting text is the only state.
void ResetUndo(EditorState& st, const Text& start);
// Records a change of the edit field. The history keeps the starting text and the first
// 999 changes; later ones are not recorded.
void RecordUndo(EditorState& st, const Text& text);
// One step back: the text the field is to show, or nothing at the starting text.
std::optional<Text> UndoStep(EditorState& st);
