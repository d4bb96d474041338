#pragma once
// The editor's keys as its key table names them: the Windows virtual-key numbers and
// the modifier value (1 Shift, 2 Ctrl, 4 Alt). A letter key has one number in every
// layout, so a translator typing in the Russian layout still gets Ctrl+Z on the key
// that carries Z and Я.

// The number of the key that typed `upper` (an upper-case letter, a digit or a
// punctuation mark of the US or the Russian layout); 0 for a character no key of the
// two layouts carries.
int VirtualKeyOfCharacter(char32_t upper);

int ModifierValue(bool shift, bool ctrl, bool alt);

// What a key pressed in the translation list does.
enum class ListKeyCommand {
  None,
  StartEdit,   // Enter
  Delete,      // Delete
  SelectAll,   // Ctrl+A, Ctrl+Clear
  FindDialog,  // Ctrl+F, Ctrl+D
  LowerCase,   // L
  UpperCase,   // U
  FindLine,    // F7
  ShiftRight,  // Ctrl with the ">" key
};
ListKeyCommand ListKeyCommandOf(int keyCode, int modifiers);

// What a key does in the edit field as it goes down (press) or comes up (release).
// Enter commits on the press. Ctrl+Z (Ctrl alone at the release) takes one undo step
// on the release, and a key held down takes it once: the repeats a held key sends are
// not releases. Its presses are kept from the field, whose own undo would know nothing
// of the edit's history.
enum class FieldKeyAction { None, Commit, Undo, Swallow };
FieldKeyAction FieldKeyOf(int keyCode, int modifiers, bool release, bool autoRepeat);
