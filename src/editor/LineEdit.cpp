#include "editor/LineEdit.h"

#include <algorithm>
#include <limits>

#include "editor/AddressField.h"
#include "editor/ListCommands.h"
#include "workspace/EntryCodec.h"
#include "workspace/Escapes.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
// The list cannot grow past this many lines by a commit (two below its limit).
constexpr int kAppendLimit = 32765;

// Characters: a kana, a kanji or a character beyond the Basic Multilingual Plane is one.
std::int32_t Length(const Text& text) {
  return static_cast<std::int32_t>(std::min<size_t>(utf8::Length(text), kInt32Max));
}

bool IsEntry(const Workspace& ws, int index) {
  return index >= 0 && static_cast<size_t>(index) < ws.PerevodArray.size();
}

EditorLine TakeLine(Workspace& ws, int index) {
  EditorLine line = SplitEditorLine(ws.PerevodArray[static_cast<size_t>(index)]);
  if (line.address == 0) LogZeroAddress(ws);
  return line;
}

void RefuseAddress(Workspace& ws) {
  const Text text =
      W("Адрес строки должен быть числом от 0 до 2147483647,") + "\r\n" + W("строка перевода не изменена");
  ws.host->message(text, Buttons::Ok, Icon::Exclamation);
  AppendLog(ws, W("Адрес строки не число от 0 до 2147483647, строка перевода не изменена"));
  MarkNotDone(ws);
}

}  // namespace

EditorLine SplitEditorLine(std::string_view entry) {
  const PerevodLineParts parts = ParsePerevodLine(entry);
  if (!parts.hasSeparator || parts.address == 0) return {0, Text(entry)};
  return {parts.address, Text(parts.text)};
}

void LogZeroAddress(Workspace& ws) {
  AppendLog(ws, W("Нулевой указатель, такую строку НЕЛЬЗЯ использовать для возвращения в ROM"));
}

std::optional<SelectionView> SelectLine(Workspace& ws, int listIndex) {
  EditorState& st = ws.Editor;
  st.CurrentRow = listIndex;
  if (!IsEntry(ws, listIndex)) {
    st.CurrentRow = 0;
    return std::nullopt;
  }
  const EditorLine line = TakeLine(ws, listIndex);
  st.RowAddress = line.address;
  const std::int32_t length = ws.TableExtended ? EncodedLength(ws, line.text) : Length(DecodeEscapes(line.text));
  return SelectionView{PointerText(line.address), length};
}

bool StartEdit(Workspace& ws, int listIndex) {
  EditorState& st = ws.Editor;
  st.CurrentRow = listIndex;
  if (!IsEntry(ws, listIndex)) {
    warning32k(ws);
    return false;
  }
  const EditorLine line = TakeLine(ws, listIndex);
  st.RowAddress = line.address;
  st.EditText = st.OrigText = line.text;
  st.EditTextLength = st.OrigTextLength = ws.TableExtended ? EncodedLength(ws, line.text) : Length(line.text);
  return true;
}

CaretView CaretViewOf(const Workspace& ws, const Text& field, int caret, int selectedLength) {
  const std::int64_t before =
      ws.TableExtended ? EncodedLength(ws, Text(utf8::Prefix(field, static_cast<size_t>(std::max(caret, 0))))) : caret;
  return {caret, ws.Editor.OrigTextLength - before, selectedLength};
}

std::int32_t EncodedLength(const Workspace& ws, const Text& text) {
  if (!ws.TableExtended) return Length(text);
  const size_t bytes = EntryCodec(ws).encode(text).bytes.size();
  return static_cast<std::int32_t>(std::min<size_t>(bytes, kInt32Max));
}

void MoveStartRight(EditorState& st) {
  ++st.RowAddress;
  if (!st.EditText.empty()) st.EditText.erase(0, utf8::Advance(st.EditText, 1));
  st.EditTextLength = Length(st.EditText);
}

bool MoveStartLeft(EditorState& st) {
  if (st.RowAddress - 1 < 0) return false;
  --st.RowAddress;
  st.EditText.insert(0, 1, ' ');
  st.EditTextLength = Length(st.EditText);
  return true;
}

void UndoLineEdit(EditorState& st) {
  st.EditText = st.OrigText;
  st.EditTextLength = st.OrigTextLength;
}

AddressFieldView AddressFieldChanged(Workspace& ws, std::string_view field) {
  AddressFieldView view;
  const AddressFieldReading reading = ReadAddressField(field);
  if (reading.kind == AddressFieldReading::Kind::Number && reading.value > 0 && reading.value < kInt32Max) {
    ws.Editor.RowAddress = reading.value;
    view.pointer = PointerText(reading.value);
  }
  if (const auto pointed = PointedAddress(field)) view.pointedLabel = Digits(*pointed);
  if (reading.kind == AddressFieldReading::Kind::TooLarge)
    AppendLog(ws, W("Ошибка однако... Переполнение 6...вероятно введено слишком большое число"));
  return view;
}

Text PaddedText(const Text& field, std::int32_t origLength, bool pad) {
  if (!pad || Length(field) >= origLength) return field;
  return field + Text(static_cast<size_t>(origLength - Length(field)), ' ');
}

CommitResult CommitEdit(Workspace& ws, const Text& fieldText, std::string_view addressField, int listCount) {
  EditorState& st = ws.Editor;
  const AddressFieldReading reading = ReadAddressField(addressField);
  if (reading.kind != AddressFieldReading::Kind::Number || reading.value < 0) {
    RefuseAddress(ws);
    return {};
  }
  st.RowAddress = reading.value;
  CommitResult result;
  result.line = reading.value != 0 ? Digits(reading.value) + " " + fieldText : fieldText;
  if (reading.value == 0) LogZeroAddress(ws);
  const bool listed = st.CurrentRow >= 0 && st.CurrentRow < listCount && IsEntry(ws, st.CurrentRow);
  if (listed) {
    ws.PerevodArray[static_cast<size_t>(st.CurrentRow)] = result.line;
    result.kind = CommitResult::Kind::Replaced;
    result.row = st.CurrentRow;
    AppendLog(ws, W("поменяли строку перевода номер") + StrNum(st.CurrentRow));
  } else if (listCount < kAppendLimit) {
    // Right behind the last listed line, so that list line k stays entry k also when
    // the list stopped before the end of the translation.
    // An empty entry there (the one that stopped the list) carries nothing and takes
    // the line.
    const size_t at = std::min(static_cast<size_t>(listCount), ws.PerevodArray.size());
    if (at < ws.PerevodArray.size() && ws.PerevodArray[at].empty())
      ws.PerevodArray[at] = result.line;
    else
      ws.PerevodArray.insert(ws.PerevodArray.begin() + static_cast<std::ptrdiff_t>(at), result.line);
    result.kind = CommitResult::Kind::Appended;
    result.row = static_cast<int>(at);
    AppendLog(ws, W("добавили строку перевода"));
  } else {
    result.kind = CommitResult::Kind::ListFull;
  }
  ws.PerevodChanged = true;
  return result;
}
