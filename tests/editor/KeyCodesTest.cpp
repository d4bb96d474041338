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

// Enter acts as it goes down, Ctrl+Z as it comes up and only once however long it is
// held; a held key's repeats come as releases and presses marked as repeats.
TEST(FieldKeyOf, EnterOnThePressUndoOnTheOneRealRelease) {
  using A = FieldKeyAction;
  const int none = 0, shift = 1, ctrl = 2, ctrlShift = 3, ctrlAlt = 6;
  const struct {
    int key, modifiers;
    bool release, repeat;
    A action;
  } cases[] = {
      {90, ctrl, true, false, A::Undo},     {90, ctrl, false, false, A::Swallow},
      {90, ctrl, false, true, A::Swallow},  {90, ctrl, true, true, A::Swallow},
      {90, none, true, false, A::None},     {90, ctrlShift, true, false, A::None},
      {90, ctrlAlt, false, false, A::None}, {89, ctrl, true, false, A::None},
      {13, none, false, false, A::Commit},  {13, ctrlShift, false, true, A::Commit},
      {13, none, true, false, A::None},     {65, shift, false, false, A::None},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FieldKeyOf(c.key, c.modifiers, c.release, c.repeat), c.action)
        << c.key << " " << c.modifiers << " " << c.release << " " << c.repeat;
}

}  // namespace
