#include <gtest/gtest.h>

#include <set>

#include "workspace/Cp1251.h"

namespace {

// An oracle independent of the code page table: the simple Unicode case pairs of the
// Latin and Cyrillic letters.
char32_t UnicodeUpper(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
  if (c == 0x0491) return 0x0490;
  return c;
}

char32_t UnicodeLower(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0x0410 && c <= 0x042F) return c + 0x20;
  if (c >= 0x0400 && c <= 0x040F) return c + 0x50;
  if (c == 0x0490) return 0x0491;
  return c;
}

TEST(Cp1251, EveryByteDecodesToADistinctCharacterAndEncodesBack) {
  std::set<char32_t> seen;
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = cp1251::Decode(static_cast<unsigned char>(b));
    EXPECT_TRUE(seen.insert(cp).second) << "byte " << b << " decodes like another byte";
    const auto back = cp1251::Encode(cp);
    ASSERT_TRUE(back.has_value()) << b;
    EXPECT_EQ(*back, b);
  }
  EXPECT_EQ(cp1251::Decode(0xC0), U'А');
  EXPECT_EQ(cp1251::Decode(0xFF), U'я');
  EXPECT_EQ(cp1251::Decode(0xA8), U'Ё');
  EXPECT_EQ(cp1251::Decode(0xB9), U'№');
  EXPECT_EQ(cp1251::Decode(0x88), U'€');
}

TEST(Cp1251, Utf8RoundTripOfAllBytes) {
  Text all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const auto back = cp1251::FromUtf8(cp1251::ToUtf8(all));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
}

TEST(Cp1251, CharactersOutsideTheCodePageAreRefused) {
  EXPECT_FALSE(cp1251::Encode(U'é').has_value());
  EXPECT_FALSE(cp1251::Encode(U'中').has_value());
  EXPECT_FALSE(cp1251::FromUtf8("caf\xC3\xA9").has_value());  // é
  EXPECT_FALSE(cp1251::FromUtf8("\xD0").has_value());         // cut sequence
  EXPECT_FALSE(cp1251::FromUtf8("\xFF").has_value());
  for (const char* malformed :
       {"\xC0\x8A", "\xE0\x80\x8D", "\xED\xA0\x80", "\xF4\x90\x80\x80"})  // overlong, surrogate, too high
    EXPECT_FALSE(cp1251::FromUtf8(malformed).has_value()) << cp1251::ToUtf8(malformed);
  EXPECT_EQ(cp1251::FromUtf8("\xD0\x9F\xD1\x80\xD0\xB8"), Text("\xCF\xF0\xE8"));  // При
}

TEST(Cp1251, CaseMappingMatchesUnicodeForEveryByte) {
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    const char32_t cp = cp1251::Decode(byte);
    const auto expectUpper = cp1251::Encode(UnicodeUpper(cp)).value_or(byte);
    const auto expectLower = cp1251::Encode(UnicodeLower(cp)).value_or(byte);
    EXPECT_EQ(cp1251::ToUpper(byte), expectUpper) << "byte " << b;
    EXPECT_EQ(cp1251::ToLower(byte), expectLower) << "byte " << b;
  }
}

TEST(Cp1251, CaseInsensitiveComparisonCoversBothAlphabets) {
  EXPECT_TRUE(utf8::EqualNoCase(W("Ёлка Tree"), W("ёЛКА tREE")));
  EXPECT_TRUE(utf8::EqualNoCase(W("Ґанок Їжак"), W("ґАНОК їЖАК")));
  EXPECT_FALSE(utf8::EqualNoCase(W("Е"), W("Ё")));
  EXPECT_FALSE(utf8::EqualNoCase("ab", "abc"));
  EXPECT_EQ(utf8::Upper(W("привет, мир!")), W("ПРИВЕТ, МИР!"));
}

TEST(Cp1251, TextOfTheCodePageGoesToItsBytesAndBack) {
  EXPECT_EQ(cp1251::FromUtf8(W("Загрузили ROM: ")), Text("\xC7\xE0\xE3\xF0\xF3\xE7\xE8\xEB\xE8 ROM: "));
  EXPECT_TRUE(cp1251::Fits(W("Ёж №5 €")));
  EXPECT_FALSE(cp1251::Fits(W("Ёж あ")));
  EXPECT_FALSE(cp1251::Fits("a\xC3"));
}

}  // namespace
