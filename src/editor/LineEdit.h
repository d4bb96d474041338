#pragma once
// Editing one translation line: selecting it, taking it into the edit field, moving its
// start, the address field, and writing it back. The window shows what these leave in
// the workspace's editor state.
#include <cstdint>
#include <optional>
#include <string_view>

#include "workspace/Workspace.h"

// The edit field's limit when the length is not limited.
inline constexpr int kFreeEditLimit = 10000;

struct EditorLine {
  std::int64_t address = 0;  // 0: no address, and the text is the whole entry
  Text text;
};

// An entry split as the editor sees it. An entry without a space, or whose address
// reads as 0, is edited whole, its digits included.
EditorLine SplitEditorLine(std::string_view entry);

// The warning for a line that names no ROM position.
void LogZeroAddress(Workspace& ws);

// What selecting list line `listIndex` shows: the pointer text and the original length
// of the selected line, escapes counted as one byte. Nothing when the index names no
// entry (the commit target then becomes line 0).
struct SelectionView {
  Text pointer;
  std::int32_t origLength = 0;
};
std::optional<SelectionView> SelectLine(Workspace& ws, int listIndex);

// Takes entry `listIndex` into the edit state. False, after the list-limit warning,
// when there is no such entry; the commit target then keeps the index, so a commit
// appends. The caller resets the undo history once the fields show the new text.
bool StartEdit(Workspace& ws, int listIndex);

// The labels beside the edit field after a key or a move of the caret: the caret's
// position in `field` (0 before the first character), how far the original length
// reaches past it (negative once the caret is past it), and the length of the
// selection. With an extended table the reach is in bytes, as the original length is:
// the original length less the bytes the text before the caret encodes to.
struct CaretView {
  int caret = 0;
  std::int64_t leftTillEol = 0;
  int selected = 0;
};
CaretView CaretViewOf(const Workspace& ws, const Text& field, int caret, int selectedLength);

// A text's length as the editor counts it: its characters, or with an extended table
// the bytes it encodes to.
std::int32_t EncodedLength(const Workspace& ws, const Text& text);

// ">" starts the string one byte later without its first character; "<" one byte
// earlier with a leading space, false (nothing done) when that would pass address 0.
void MoveStartRight(EditorState& st);
bool MoveStartLeft(EditorState& st);

// Back to the text the edit started with; the address stays.
void UndoLineEdit(EditorState& st);

// What the address field shows beside itself after a change of its text.
struct AddressFieldView {
  Text pointer;                      // empty when the text is no address
  std::optional<Text> pointedLabel;  // Label12; nothing leaves it as it was
};
// The address field's change: a number above 0 and below 2147483647 becomes RowAddress;
// a number too large for 32 bits is logged.
AddressFieldView AddressFieldChanged(Workspace& ws, std::string_view field);

// The text the commit writes: padded with spaces to the original length when asked.
Text PaddedText(const Text& field, std::int32_t origLength, bool pad);

struct CommitResult {
  enum class Kind { Refused, Replaced, Appended, ListFull } kind = Kind::Refused;
  int row = -1;  // the list line replaced or added
  Text line;
};
// Writes the edit into the translation at CurrentRow, or adds it after the last listed
// line when CurrentRow names no listed line. An address field that holds no number from
// 0 to 2147483647 refuses the commit with a message and changes nothing.
CommitResult CommitEdit(Workspace& ws, const Text& fieldText, std::string_view addressField, int listCount);
