#include <gtest/gtest.h>

#include "support/TestFiles.h"
#include "workspace/CharTable.h"
#include "workspace/Files.h"

namespace {

struct TableBench : TestBench {
  void load(const std::string& bytes) {
    WriteBytes(dir.path() / "t.tbl", bytes);
    ws.TableFileName = dir.file("t.tbl");
    host.log.clear();
    LoadTable(ws);
  }
  std::vector<Text> warnings() const {
    std::vector<Text> out;
    for (const auto& line : host.log)
      if (line.rfind(W("Предупреждение"), 0) == 0) out.push_back(line);
    return out;
  }
};

TEST(LoadTable, CommentsOnlyGiveAnEmptyTableThatCountsAsLoaded) {
  TableBench t;
  t.load("just a comment\r\n\r\nanother\r\n");
  ASSERT_TRUE(t.ws.TableLoaded);
  EXPECT_EQ(t.ws.CharTableLookup, std::u32string(256, U'\0'));
  EXPECT_EQ(t.ws.TableComments, "just a comment\r\n\r\nanother\r\n");
  EXPECT_EQ(t.host.log[0], W("Комментарий: just a comment"));
  EXPECT_EQ(t.host.log[1], W("Комментарий: "));
  EXPECT_EQ(t.host.log.back(), W("Загрузили таблицу :") + t.ws.TableFileName);
  EXPECT_FALSE(t.ws.TableChanged);
}

TEST(LoadTable, EntriesSplitAtTheFirstEqualsSign) {
  TableBench t;
  t.load("3D==\r\n20= \r\n=x\r\n0041=Q\r\n7f=\r\n");
  ASSERT_TRUE(t.ws.TableLoaded);
  EXPECT_EQ(t.ws.CharTable[0x3D], "=");
  EXPECT_EQ(t.ws.CharTable[0x20], " ");
  EXPECT_EQ(t.ws.CharTable[0x00], "x");
  EXPECT_EQ(t.ws.CharTable[0x41], "Q");
  EXPECT_EQ(t.ws.CharTable[0x7F], Text(1, '\0'));
  EXPECT_EQ(t.ws.CharTableLookup.size(), 256u);
  EXPECT_EQ(t.ws.CharTableLookup[0x3D], '=');
  // The second "=" of "3D==" is the character itself, not a second one.
  EXPECT_TRUE(t.warnings().empty());
}

TEST(LoadTable, WarnsAboutSeveralCharactersAndRepeatedCodes) {
  TableBench t;
  t.load("41=AB\r\n");
  EXPECT_EQ(t.ws.CharTable[0x41], "A");
  EXPECT_EQ(t.warnings(), (std::vector<Text>{W("Предупреждение: Код 41 соответствует нескольким символам") +
                                              W(" (такую запись читает режим расширенных таблиц)")}));

  t.load("41=A\r\n041=B\r\n");
  EXPECT_EQ(t.ws.CharTable[0x41], "B");
  // The code text is shown as the file has it.
  EXPECT_EQ(t.warnings(), (std::vector<Text>{W("Предупреждение: Код 041 определен более чем один раз")}));

  t.load("41=\r\n41=A\r\n");
  EXPECT_TRUE(t.warnings().empty());
  EXPECT_EQ(t.ws.CharTable[0x41], "A");
}

TEST(LoadTable, ACodeAboveFFFailsAndKeepsThePreviousTable) {
  TableBench t;
  t.load("41=A\r\n");
  const auto lookup = t.ws.CharTableLookup;
  for (const char* bad : {"42=B\r\n1FF=x\r\n", "FFFF=x\r\n", "FFFFFFFFFFFFFFFFFFFFFF=x\r\n"}) {
    t.load(std::string("c\r\n") + bad);
    EXPECT_EQ(t.ws.CharTableLookup, lookup) << bad;
    EXPECT_EQ(t.ws.CharTable[0x42], Text(1, '\0')) << bad;
    EXPECT_EQ(t.ws.TableComments, "") << bad;
    EXPECT_EQ(t.host.log.back().rfind(W("Ошибка однако... "), 0), 0u) << bad;
  }
  EXPECT_TRUE(t.ws.TableLoaded);
  EXPECT_EQ(t.host.failures, 3);

  TableBench fresh;
  fresh.load("1FF=x\r\n");
  EXPECT_FALSE(fresh.ws.TableLoaded);
}

TEST(LoadTable, MissingFileChangesNothing) {
  TableBench t;
  t.ws.TableFileName = t.dir.file("none.tbl");
  LoadTable(t.ws);
  EXPECT_FALSE(t.ws.TableLoaded);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("Файл таблицы\r\nне найден :-(")}));
}

TEST(LoadTable, AcceptsLfAndCrLineEnds) {
  TableBench t;
  t.load("hdr\n41=A\n42=B\r43=C");
  EXPECT_EQ(t.ws.TableComments, "hdr\r\n");
  EXPECT_EQ(t.ws.CharTable[0x41], "A");
  EXPECT_EQ(t.ws.CharTable[0x42], "B");
  EXPECT_EQ(t.ws.CharTable[0x43], "C");
}

TEST(LoadTable, RealTablesLoad) {
  TableBench t;
  t.ws.TableFileName = FromNativePath(TestData("telefang_patch.tbl"));
  LoadTable(t.ws);
  ASSERT_TRUE(t.ws.TableLoaded);
  EXPECT_EQ(t.ws.CharTable[0x3D], "=");
  EXPECT_EQ(t.ws.CharTable[0x24], "$");
  EXPECT_EQ(t.ws.CharTable[0x27], "'");  // the later of the two entries for 27
  t.ws.TableFileName = FromNativePath(TestData("sanqui_medarot1.tbl"));
  LoadTable(t.ws);
  EXPECT_TRUE(t.ws.TableLoaded);
  EXPECT_EQ(t.ws.TableComments.substr(0, 2), "\r\n");
}

TEST(SaveTable, WritesCommentsThenCodesInTwoUppercaseDigits) {
  TableBench t;
  t.load("my table\r\n0a=q\r\n41=A\r\nff=z\r\n");
  t.ws.TableChanged = true;
  t.ws.TableFileName = t.dir.file("out.tbl");
  SaveTable(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "out.tbl"), "my table\r\n\r\n0A=q\r\n41=A\r\nFF=z\r\n");
  EXPECT_FALSE(t.ws.TableChanged);
  EXPECT_EQ(t.host.log.back(), W("Таблица сохранена в файл ") + t.ws.TableFileName);

  // Each load and save adds one more empty comment line after the block.
  t.ws.TableFileName = t.dir.file("out.tbl");
  LoadTable(t.ws);
  SaveTable(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "out.tbl"), "my table\r\n\r\n\r\n0A=q\r\n41=A\r\nFF=z\r\n");
}

TEST(SaveTable, RefusesWithoutTableOrNameAndReportsAFailedWrite) {
  TableBench t;
  SaveTable(t.ws);
  EXPECT_EQ(t.host.log.back(), W("Таблицу еще не загружали, поэтому и сохранять нечего"));
  t.load("41=A\r\n");
  t.ws.TableFileName.clear();
  SaveTable(t.ws);
  EXPECT_EQ(t.host.log.back(), W("Не задано имя файла для сохранения таблицы"));
  t.ws.TableChanged = true;
  t.ws.TableFileName = t.dir.file("missing/out.tbl");
  SaveTable(t.ws);
  EXPECT_EQ(t.host.log.back().rfind(W("Ошибка однако... "), 0), 0u);
  EXPECT_TRUE(t.ws.TableChanged);
}

TEST(TableCodec, EncodesToTheLowestCodeOfACharacter) {
  TableBench t;
  t.load("21=a\r\n61=a\r\n62=b\r\n");
  const TableCodec codec(t.ws.CharTableLookup);
  EXPECT_EQ(codec.encode('a'), 0x21);
  EXPECT_EQ(codec.encode('b'), 0x62);
  EXPECT_FALSE(codec.encode('c').has_value());
  EXPECT_EQ(codec.encode('\0'), 0x00);  // NUL: the lowest code without a character
  EXPECT_EQ(codec.decode(0x61), 'a');
  EXPECT_EQ(codec.decode(0x63), '\0');
}

}  // namespace
