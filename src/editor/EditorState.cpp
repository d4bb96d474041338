#include "workspace/EditorState.h"

void ResetUndo(EditorState& st, const Text& start) {
  st.UndoBuffer[0] = start;
  st.UndoPosition = 0;
  st.UndoReplay = false;
}

void RecordUndo(EditorState& st, const Text& text) {
  if (st.UndoReplay || st.UndoPosition >= kUndoStates - 1) return;
  ++st.UndoPosition;
  st.UndoBuffer[static_cast<size_t>(st.UndoPosition)] = text;
}

std::optional<Text> UndoStep(EditorState& st) {
  if (st.UndoPosition <= 0) return std::nullopt;
  --st.UndoPosition;
  st.EditText = st.UndoBuffer[static_cast<size_t>(st.UndoPosition)];
  return st.EditText;
}
