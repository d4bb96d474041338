#include <gtest/gtest.h>

#include <string_view>

#include "editor/KeyCodes.h"

namespace {

// The Russian layout letter by letter beside the Latin letter of the same key; a Latin
// letter's key number is its ASCII code.
TEST(VirtualKeyOfCharacter, RussianLettersNameTheLatinKeyTheySitOn) {
  const std::u32string_view russian = U"ЙЦУКЕНГШЩЗФЫВАПРОЛДЯЧСМИТЬ";
  const std::u32string_view latin = U"QWERTYUIOPASDFGHJKLZXCVBNM";
  ASSERT_EQ(russian.size(), latin.size());
  for (size_t i = 0; i < latin.size(); ++i) {
    EXPECT_EQ(VirtualKeyOfCharacter(latin[i]), static_cast<int>(latin[i])) << i;
    EXPECT_EQ(VirtualKeyOfCharacter(russian[i]), static_cast<int>(latin[i])) << i;
  }
}

TEST(VirtualKeyOfCharacter, PunctuationKeysInBothLayouts) {
  const struct {
    char32_t c;
    int code;
  } cases[] = {
      {U'Х', 219}, {U'Ъ', 221}, {U'Ж', 186}, {U'Э', 222}, {U'Б', 188}, {U'Ю', 190}, {U'Ё', 192},
      {U'.', 190}, {U'>', 190}, {U',', 188}, {U'<', 188}, {U'/', 191}, {U'?', 191}, {U';', 186},
      {U'"', 222}, {U'№', 51},  {U'1', 49},  {U')', 48},  {U' ', 32},  {U'Ї', 221}, {U'І', 83},
      {U'Є', 222}, {U'Ў', 79},  {U'Ω', 0},   {U'a', 0},
  };
  for (const auto& c : cases) EXPECT_EQ(VirtualKeyOfCharacter(c.c), c.code) << static_cast<unsigned>(c.c);
}

TEST(ListKeyCommandOf, CtrlKeysNeedCtrlAloneOthersTakeAnyModifier) {
  using C = ListKeyCommand;
  const int none = 0, shift = 1, ctrl = 2, ctrlShift = 3, ctrlAlt = 6;
  const struct {
    int key, modifiers;
    C command;
  } cases[] = {
      {65, ctrl, C::SelectAll},  {65, none, C::None},           {65, ctrlShift, C::None}, {12, ctrl, C::SelectAll},
      {70, ctrl, C::FindDialog}, {68, ctrl, C::FindDialog},     {70, ctrlAlt, C::None},   {190, ctrl, C::ShiftRight},
      {190, shift, C::None},     {13, ctrlShift, C::StartEdit}, {46, shift, C::Delete},   {76, ctrl, C::LowerCase},
      {85, none, C::UpperCase},  {118, shift, C::FindLine},     {90, ctrl, C::None},
  };
  for (const auto& c : cases) EXPECT_EQ(ListKeyCommandOf(c.key, c.modifiers), c.command) << c.key << " " << c.modifiers;
  EXPECT_EQ(ModifierValue(true, true, true), 7);
  EXPECT_EQ(ModifierValue(false, true, false), 2);
}

// Enter acts as it goes down. Ctrl+Z takes one step per physical press of Z made with
// Ctrl alone held, on its release, however the window system marks a held key's
// repeats: as flagged release-press pairs, as unflagged pairs stamped with the time of
// the release (X), or as presses alone.
TEST(FieldKeys, OneUndoPerPhysicalPressWithCtrlHeldAsZWentDown) {
  using A = FieldKeyAction;
  constexpr int none = 0, ctrl = 2, ctrlShift = 3;
  struct Key {
    char what;  // 'P' press, 'R' release
    int modifiers;
    bool repeat;
    unsigned long long time;
  };
  const auto undos = [](std::initializer_list<Key> keys, int key = 90) {
    FieldKeys f;
    int n = 0;
    for (const Key& k : keys) {
      const A a = f.onKey({key, k.modifiers, k.what == 'R', k.repeat, k.time});
      if (key == 90 && k.what == 'P' && k.modifiers == ctrl) {
        EXPECT_EQ(a, A::Swallow);  // the field's own undo never runs
      }
      n += a == A::Undo;
    }
    return n;
  };
  EXPECT_EQ(undos({{'P', ctrl, false, 10}, {'R', ctrl, false, 90}}), 1);
  // Held: flagged pairs; unflagged pairs (X); presses alone; a mix.
  EXPECT_EQ(undos({{'P', ctrl, false, 10}, {'R', ctrl, true, 500}, {'P', ctrl, true, 500}, {'R', ctrl, true, 530},
                   {'P', ctrl, true, 530}, {'R', ctrl, false, 700}}),
            1);
  EXPECT_EQ(undos({{'P', ctrl, false, 10}, {'R', ctrl, false, 500}, {'P', ctrl, false, 500}, {'R', ctrl, false, 530},
                   {'P', ctrl, false, 530}, {'R', ctrl, false, 700}}),
            1);
  EXPECT_EQ(undos({{'P', ctrl, false, 10}, {'P', ctrl, false, 500}, {'P', ctrl, false, 530}, {'R', ctrl, false, 700}}),
            1);
  EXPECT_EQ(undos({{'P', ctrl, false, 10}, {'R', ctrl, true, 500}, {'P', ctrl, false, 500}, {'R', ctrl, false, 530},
                   {'P', ctrl, true, 530}, {'R', ctrl, false, 700}}),
            1);
  // Two presses are two steps, also when the window system gives no times.
  EXPECT_EQ(undos({{'P', ctrl, false, 10}, {'R', ctrl, false, 90}, {'P', ctrl, false, 200}, {'R', ctrl, false, 260}}),
            2);
  EXPECT_EQ(undos({{'P', ctrl, false, 0}, {'R', ctrl, false, 0}, {'P', ctrl, false, 0}, {'R', ctrl, false, 0}}), 2);
  // What is held as Z goes down decides: Ctrl let go before Z still undoes; Ctrl pressed
  // after Z, or with Shift, does not.
  EXPECT_EQ(undos({{'P', ctrl, false, 10}, {'R', none, false, 90}}), 1);
  EXPECT_EQ(undos({{'P', none, false, 10}, {'R', ctrl, false, 90}}), 0);
  EXPECT_EQ(undos({{'P', ctrlShift, false, 10}, {'R', ctrl, false, 90}}), 0);
  EXPECT_EQ(undos({{'P', ctrl, false, 10}, {'R', ctrl, false, 90}}, 89), 0);

  FieldKeys f;
  EXPECT_EQ(f.onKey({13, none, false, false, 5}), A::Commit);
  EXPECT_EQ(f.onKey({13, ctrlShift, false, true, 6}), A::Commit);
  EXPECT_EQ(f.onKey({13, none, true, false, 7}), A::None);
  EXPECT_EQ(f.onKey({90, none, false, false, 8}), A::None);  // a plain z is typed
  // A release lost to another window: the next press is a press again.
  EXPECT_EQ(f.onKey({90, ctrl, false, false, 20}), A::Swallow);
  f.reset();
  EXPECT_EQ(f.onKey({90, ctrl, false, false, 900}), A::Swallow);
  EXPECT_EQ(f.onKey({90, ctrl, true, false, 950}), A::Undo);
}

}  // namespace
