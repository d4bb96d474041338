#include "editor/KeyCodes.h"

#include <iterator>
#include <string_view>

namespace {

constexpr int kCtrlAlone = 2;

// The keys of the main block row by row, each key's number, then the characters each
// row carries in the US layout (unshifted, shifted) and in the Russian layout (upper
// case, shifted). The Ukrainian and Belarusian letters share the Russian keys. The US
// rows come first: a punctuation mark both layouts carry names its US key.
constexpr int kDigitCodes[] = {192, 49, 50, 51, 52, 53, 54, 55, 56, 57, 48, 189, 187};
constexpr int kUpperCodes[] = {81, 87, 69, 82, 84, 89, 85, 73, 79, 80, 219, 221, 220};
constexpr int kHomeCodes[] = {65, 83, 68, 70, 71, 72, 74, 75, 76, 186, 222};
constexpr int kLowerCodes[] = {90, 88, 67, 86, 66, 78, 77, 188, 190, 191};

struct KeyRow {
  std::u32string_view characters;  // one character per key, left to right
  const int* codes;
};

const KeyRow kRows[] = {
    {U"`1234567890-=", kDigitCodes}, {U"~!@#$%^&*()_+", kDigitCodes},  {U"QWERTYUIOP[]\\", kUpperCodes},
    {U"QWERTYUIOP{}|", kUpperCodes}, {U"ASDFGHJKL;'", kHomeCodes},     {U"ASDFGHJKL:\"", kHomeCodes},
    {U"ZXCVBNM,./", kLowerCodes},    {U"ZXCVBNM<>?", kLowerCodes},

    {U"Ё1234567890-=", kDigitCodes}, {U"Ё!\"№;%:?*()_+", kDigitCodes}, {U"ЙЦУКЕНГШЩЗХЪ\\", kUpperCodes},
    {U"ЙЦУКЕНГШЎЗХЇ/", kUpperCodes}, {U"ФЫВАПРОЛДЖЭ", kHomeCodes},     {U"ФІВАПРОЛДЖЄ", kHomeCodes},
    {U"ЯЧСМИТЬБЮ.", kLowerCodes},    {U"ЯЧСМИТЬБЮ,", kLowerCodes},
};

}  // namespace

int VirtualKeyOfCharacter(char32_t upper) {
  if (upper == U' ') return 32;
  if (upper == U'Ґ') return 192;  // the key left of 1 in the Ukrainian layout
  for (const KeyRow& row : kRows) {
    const size_t at = row.characters.find(upper);
    if (at != std::u32string_view::npos) return row.codes[at];
  }
  return 0;
}

int ModifierValue(bool shift, bool ctrl, bool alt) {
  return (shift ? 1 : 0) + (ctrl ? 2 : 0) + (alt ? 4 : 0);
}

ListKeyCommand ListKeyCommandOf(int keyCode, int modifiers) {
  const bool ctrlAlone = modifiers == kCtrlAlone;
  switch (keyCode) {
    case 13: return ListKeyCommand::StartEdit;
    case 46: return ListKeyCommand::Delete;
    case 65:
    case 12: return ctrlAlone ? ListKeyCommand::SelectAll : ListKeyCommand::None;
    case 68:
    case 70: return ctrlAlone ? ListKeyCommand::FindDialog : ListKeyCommand::None;
    case 76: return ListKeyCommand::LowerCase;
    case 85: return ListKeyCommand::UpperCase;
    case 118: return ListKeyCommand::FindLine;
    case 190: return ctrlAlone ? ListKeyCommand::ShiftRight : ListKeyCommand::None;
    default: return ListKeyCommand::None;
  }
}

FieldKeyAction FieldKeys::onKey(const FieldKeyEvent& e) {
  constexpr int kEnter = 13, kZ = 90;
  if (e.keyCode == kEnter) return e.release ? FieldKeyAction::None : FieldKeyAction::Commit;
  if (e.keyCode != kZ) return FieldKeyAction::None;
  const bool ctrl = e.modifiers == kCtrlAlone;
  if (!e.release) {
    const bool repeat = e.autoRepeat || zDown_ || (e.time != 0 && e.time == lastRelease_);
    if (!repeat) armed_ = ctrl;
    zDown_ = true;
    return ctrl || armed_ ? FieldKeyAction::Swallow : FieldKeyAction::None;
  }
  lastRelease_ = e.time;
  if (e.autoRepeat) return ctrl || armed_ ? FieldKeyAction::Swallow : FieldKeyAction::None;
  zDown_ = false;
  if (!armed_) return ctrl ? FieldKeyAction::Swallow : FieldKeyAction::None;
  armed_ = false;
  return FieldKeyAction::Undo;
}
