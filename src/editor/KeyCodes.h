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
// Enter commits on the press. Ctrl+Z takes one undo step on the release of each
// physical press of Z made while Ctrl alone was held, whatever is held when Z comes up.
// Its presses are kept from the field, whose own undo would know nothing of the
// edit's history.
enum class FieldKeyAction { None, Commit, Undo, Swallow };

struct FieldKeyEvent {
  int keyCode;
  int modifiers;
  bool release;
  bool autoRepeat;  // as the window system marked it
  unsigned long long time = 0;  // the window system's milliseconds; 0 when it gives none
};

// A held key repeats as presses, or as release-press pairs; the window system marks
// them as repeats only some of the time (under X most repeated releases come unmarked).
// So a press of Z while Z is down is a repeat, and so is a press stamped with the very
// time of the release before it: no hand lets go and presses again within the same
// millisecond. The first unmarked release of a held key takes the step; the rest of
// the hold takes none.
class FieldKeys {
 public:
  FieldKeyAction onKey(const FieldKeyEvent& e);
  // The field lost the keyboard: the release of a key held now goes elsewhere.
  void reset() { *this = FieldKeys(); }

 private:
  bool zDown_ = false;
  bool armed_ = false;  // Ctrl alone was held as Z went down, and no step taken yet
  unsigned long long lastRelease_ = 0;
};
