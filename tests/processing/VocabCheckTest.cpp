#include <gtest/gtest.h>

#include <random>

#include "processing/ShortTextIndex.h"
#include "processing/VocabCheck.h"
#include "support/TestFiles.h"
#include "workspace/Perevod.h"

namespace {

struct VocabBench : TestBench {
  VocabBench() { ws.VocabularyFile = dir.file("clean.txt"); }
  void run(const std::string& dictionary, std::vector<Text> lines) {
    WriteBytes(dir.path() / "clean.txt", dictionary);
    ws.PerevodArray = std::move(lines);
    ws.PerevodLoaded = true;
    VocabCheck(ws);
  }
};

TEST(VocabCheck, RemovesShortTextsTheDictionaryLacks) {
  VocabBench b;
  b.run("THE\r\ncat\r\n", {"100 the", "200 xq", "300 at", "400 hello world"});
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"100 the", "300 at", "400 hello world"}));
  EXPECT_EQ(b.host.log.back(), W("Закончена проверка по словарю, удалено 1 строк"));
  EXPECT_NE(std::find(b.host.log.begin(), b.host.log.end(), W("удалена строка перевода смещением 200 ")),
            b.host.log.end());
  EXPECT_TRUE(b.ws.PerevodChanged);
}

TEST(VocabCheck, EmptyTextsLongTextsAndLinesWithoutSpace) {
  VocabBench b;
  b.run("abc\r\n", {"1 zz", "500 ", "abc", "qqqq", "2 zzzzz", "3 zz"});
  // 'qqqq' is judged by its whole content, '500 ' has nothing to judge.
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"500 ", "abc", "2 zzzzz"}));
}

TEST(VocabCheck, CyrillicCaseAndTextsAcrossTheLineBreakCount) {
  VocabBench b;
  b.run(W("ПРИВЕТ\r\nмир"), {W("1 вет"), W("2 ТМ"), W("3 т\r\nм"), W("4 мИр"), W("5 ё")});
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{W("1 вет"), W("3 т\r\nм"), W("4 мИр")}));
}

TEST(VocabCheck, DictionaryIsReadOnceAndEmptyOneRefuses) {
  VocabBench b;
  b.run("abc", {"1 ab"});
  WriteBytes(b.dir.path() / "clean.txt", "xyz");
  b.ws.PerevodArray = {"1 ab", "2 xy"};
  VocabCheck(b.ws);
  EXPECT_EQ(b.ws.PerevodArray, std::vector<Text>{"1 ab"});  // still the first dictionary

  VocabBench empty;
  empty.ws.VocabularyFile.clear();
  empty.ws.PerevodArray = {"1 ab"};
  empty.ws.PerevodLoaded = true;
  VocabCheck(empty.ws);
  EXPECT_EQ(empty.host.log, std::vector<Text>{W("Словарь не загружен или пустой")});
  EXPECT_FALSE(empty.ws.PerevodChanged);
}

TEST(VocabCheck, NoEmptyLinesRemainAtTheEnds) {
  VocabBench b;
  b.run("hello", {"1 zz", "", "2 he", "", "3 qq"});
  EXPECT_EQ(b.ws.PerevodArray, std::vector<Text>{"2 he"});
  // Every line removed: no lines at all, which saves as an empty file.
  VocabBench all;
  all.run("hello", {"1 zz", "2 qq"});
  EXPECT_TRUE(all.ws.PerevodArray.empty());
  all.ws.PerevodFileName = all.dir.file("out.txt");
  SavePerevod(all.ws);
  EXPECT_EQ(ReadBytes(all.dir.path() / "out.txt"), "");
}

TEST(VocabCheck, RefusesWithoutATranslation) {
  VocabBench b;
  VocabCheck(b.ws);
  EXPECT_EQ(b.host.log, std::vector<Text>{W("Перевод еще не загружен")});
}

TEST(LoadVocabulary, MissingFileIsCreatedEmptyAndLeavesItUnloaded) {
  VocabBench b;
  LoadVocabulary(b.ws);
  EXPECT_TRUE(std::filesystem::exists(b.dir.path() / "clean.txt"));
  EXPECT_FALSE(b.ws.Vocabulary.loaded);
  EXPECT_EQ(b.host.log.back(), W("Прочитали словарь из файла ") + b.ws.VocabularyFile);

  b.ws.VocabularyFile = b.dir.file("no/such/folder.txt");
  LoadVocabulary(b.ws);
  EXPECT_EQ(b.host.log.back().rfind(W("Ошибка при загрузке словаря... ")), 0u);
}

// The index must answer as a case-insensitive substring search of the dictionary does,
// for every short text, over all 256 byte values.
TEST(ShortTextIndex, AgreesWithASubstringSearch) {
  std::mt19937 rng(11);
  Text dictionary;
  for (int i = 0; i < 3000; ++i) dictionary += static_cast<char>(rng() % 24 + (i % 3 ? 0xC0 : 0x41));
  dictionary += Text("\0\0\0\0x", 5);
  const Text upper = utf8::Upper(cp1251::ToUtf8(dictionary));
  const ShortTextIndex index(cp1251::ToUtf8(dictionary));
  for (int i = 0; i < 20000; ++i) {
    Text probe;
    const size_t len = rng() % 4 + 1;
    const size_t at = rng() % (dictionary.size() - len);
    probe = rng() % 2 ? dictionary.substr(at, len) : Text();
    for (size_t k = probe.size(); k < len; ++k) probe += static_cast<char>(rng() % 256);
    probe = cp1251::ToUtf8(probe);
    if (rng() % 2) probe = utf8::Lower(probe);
    ASSERT_EQ(index.contains(probe), upper.find(utf8::Upper(probe)) != Text::npos) << probe;
  }
  EXPECT_TRUE(index.contains(Text(4, '\0')));
  EXPECT_FALSE(index.contains(""));
  EXPECT_FALSE(index.contains("abcde"));
  EXPECT_FALSE(ShortTextIndex("").contains("a"));
}

}  // namespace
