#include <gtest/gtest.h>

#include "editor/FindReplace.h"
#include "editor/TextSearch.h"
#include "support/TestFiles.h"

namespace {

struct FindBench : TestBench {
  explicit FindBench(std::vector<Text> lines) {
    ws.PerevodArray = std::move(lines);
    ws.ExtendedLogs = "NO";
  }
};

TEST(FindAndReplace, CaseInsensitiveLatinAndCyrillic) {
  FindBench b({"10 Hello", "20 hello world", "30 Bye", W("40 Привет, ПРИВЕТ и привет")});
  b.ws.Editor.CurrentRow = 2;
  EXPECT_EQ(FindAndReplace(b.ws, "hello", "Hi", false), 2);
  EXPECT_EQ(b.ws.PerevodArray[0], "10 Hi");
  EXPECT_EQ(b.ws.PerevodArray[1], "20 Hi world");
  EXPECT_EQ(b.host.log.back(), W("изменили 2 строк(и) перевода"));
  EXPECT_TRUE(b.ws.PerevodChanged);
  EXPECT_EQ(b.ws.Editor.CurrentRow, -1);

  EXPECT_EQ(FindAndReplace(b.ws, W("привет"), W("Здравствуй"), false), 1);
  EXPECT_EQ(b.ws.PerevodArray[3], W("40 Здравствуй, Здравствуй и Здравствуй"));
}

TEST(FindAndReplace, CaseSensitiveOnlyExactCodes) {
  FindBench b({"10 Hello", "20 hello world", W("30 Привет привет")});
  EXPECT_EQ(FindAndReplace(b.ws, "hello", "Hi", true), 1);
  EXPECT_EQ(b.ws.PerevodArray[0], "10 Hello");
  EXPECT_EQ(b.ws.PerevodArray[1], "20 Hi world");
  EXPECT_EQ(FindAndReplace(b.ws, W("привет"), "x", true), 1);
  EXPECT_EQ(b.ws.PerevodArray[2], W("30 Привет x"));
}

TEST(FindAndReplace, EveryOccurrenceOnceAndOnlyInTexts) {
  FindBench b({"40 foo boo", "10 Hell", "bare10", "&H0A aaa"});
  b.ws.ExtendedLogs = "YES";
  EXPECT_EQ(FindAndReplace(b.ws, "o", "0", true), 1);
  EXPECT_EQ(b.ws.PerevodArray[0], "40 f00 b00");
  EXPECT_EQ(b.host.log.front(), W("В строке с указателем=40 подстроку=\"o\" заменили на=\"0\""));
  EXPECT_EQ(b.host.log.back(), W("изменили 1 строк(и) перевода"));

  // The replacement is not searched again; addresses and lines without a space are left.
  EXPECT_EQ(FindAndReplace(b.ws, "a", "aa", true), 1);
  EXPECT_EQ(b.ws.PerevodArray[3], "&H0A aaaaaa");
  b.host.log.clear();
  b.ws.PerevodChanged = false;
  EXPECT_EQ(FindAndReplace(b.ws, "10", "x", true), 0);
  EXPECT_EQ(b.ws.PerevodArray[2], "bare10");
  EXPECT_EQ(b.host.log, std::vector<Text>{W("Подстрока \"10\" не найдена")});
  EXPECT_FALSE(b.ws.PerevodChanged);

  b.host.log.clear();
  EXPECT_EQ(FindAndReplace(b.ws, "", "x", true), 0);
  EXPECT_TRUE(b.host.log.empty());
  EXPECT_TRUE(b.host.progressCalls.size() > 0);
}

// The text after the first space, not the editor's split: a zero address is cut off too.
TEST(FindWhatOfRow, TextAfterTheFirstSpaceOrTheWholeLine) {
  FindBench b({"1000 Hello  you", "NoSpace", "0 zero", " lead", "abc def"});
  const std::optional<Text> expected[] = {"Hello  you", "NoSpace", "zero", "lead", "def"};
  for (int row = 0; row < 5; ++row) EXPECT_EQ(FindWhatOfRow(b.ws, row), expected[row]) << row;
  EXPECT_FALSE(FindWhatOfRow(b.ws, -1));
  EXPECT_FALSE(FindWhatOfRow(b.ws, 5));
}

TEST(FindAndDelete, RemovesMatchingAndEmptyLines) {
  FindBench b({"10 Hello", "", "30 Bye", "bye"});
  EXPECT_EQ(FindAndDelete(b.ws, "bye", false), 1);
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"10 Hello", "bye"}));
  EXPECT_EQ(b.host.log.back(), W("удалили 1 строк(и) перевода"));
  EXPECT_TRUE(b.ws.PerevodChanged);
}

TEST(FindAndDelete, EveryLineLeavesZeroLines) {
  FindBench b({W("1 Да"), W("2 да"), W("3 ДА-ДА")});
  b.ws.ExtendedLogs = "YES";
  EXPECT_EQ(FindAndDelete(b.ws, W("дА"), false), 3);
  EXPECT_TRUE(b.ws.PerevodArray.empty());
  EXPECT_EQ(b.host.log.front(), W("Удалили стороку с указателем=1"));
  // The editor's bar ran from 0 to the highest index and is hidden again.
  EXPECT_EQ(b.host.progressCalls.front().first, Bar::Editor);
  EXPECT_EQ(b.host.progressCalls.front().second.max, 2);
  EXPECT_FALSE(b.host.progressCalls.back().second.visible);
}

TEST(TextFinder, CaseFoldingCoversEveryLetterOfTheCodePage) {
  // Every byte matches its own upper and lower case form and nothing else of its kind.
  for (int c = 1; c < 256; ++c) {
    const Text one = cp1251::ToUtf8(Text(1, static_cast<char>(c)));
    const TextFinder finder(one, false);
    EXPECT_TRUE(finder.in(utf8::Upper(one))) << c;
    EXPECT_TRUE(finder.in(utf8::Lower(one))) << c;
  }
  size_t count = 0;
  EXPECT_EQ(TextFinder("AB", false).replaceAll("abAbABaB", "-", count), "----");
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(TextFinder("aa", true).replaceAll("aaa", "b", count), "ba");
}

}  // namespace
