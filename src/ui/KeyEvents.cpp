#include "ui/KeyEvents.h"

#include <QKeyEvent>
#include <iterator>
#include <utility>

#include "editor/KeyCodes.h"

namespace {

int KeypadKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period: return 110;
    case Qt::Key_Slash: return 111;
    default: return 0;
  }
}

int NamedKey(int key) {
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
  static const std::pair<int, int> kTable[] = {
      {Qt::Key_Return, 13},   {Qt::Key_Enter, 13},    {Qt::Key_Delete, 46},   {Qt::Key_Clear, 12},
      {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},       {Qt::Key_Backtab, 9},   {Qt::Key_Escape, 27},
      {Qt::Key_PageUp, 33},   {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},      {Qt::Key_Home, 36},
      {Qt::Key_Left, 37},     {Qt::Key_Up, 38},       {Qt::Key_Right, 39},    {Qt::Key_Down, 40},
      {Qt::Key_Insert, 45},   {Qt::Key_Shift, 16},    {Qt::Key_Control, 17},  {Qt::Key_Alt, 18},
      {Qt::Key_Pause, 19},    {Qt::Key_CapsLock, 20}, {Qt::Key_NumLock, 144}, {Qt::Key_ScrollLock, 145},
      {Qt::Key_Menu, 93},
  };
  for (const auto& [qt, code] : kTable)
    if (qt == key) return code;
  return 0;
}

}  // namespace

int VirtualKey(const QKeyEvent& e) {
  const int key = e.key();
  if (e.modifiers() & Qt::KeypadModifier)
    if (const int code = KeypadKey(key)) return code;
  if (const int code = NamedKey(key)) return code;
  // A character key: Qt names it by the character it types, upper case.
  if (key > 0 && key <= 0xFFFF) {
    if (const int code = VirtualKeyOfCharacter(QChar(static_cast<char16_t>(key)).toUpper().unicode())) return code;
  }
  const QString text = e.text();
  if (text.size() == 1 && text[0].isPrint()) return VirtualKeyOfCharacter(text[0].toUpper().unicode());
  return 0;
}

int ModifierValue(const QKeyEvent& e) {
  const Qt::KeyboardModifiers m = e.modifiers();
  return ModifierValue(m & Qt::ShiftModifier, m & Qt::ControlModifier, m & Qt::AltModifier);
}
