#include <gtest/gtest.h>

#include "processing/Merge.h"
#include "support/TestFiles.h"
#include "workspace/Files.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

namespace {

struct MergeBench : TestBench {
  Text file(const std::string& name, const std::string& bytes) {
    WriteBytes(dir.path() / name, bytes);
    return dir.file(name);
  }
  bool logged(const Text& line) const { return std::find(host.log.begin(), host.log.end(), line) != host.log.end(); }
};

TEST(AppendPerevodFiles, GluesFilesInListOrder) {
  MergeBench b;
  AppendPerevodFiles(b.ws, {b.file("1.txt", "a\r\nb\r\n"), b.file("2.txt", "c\r\n\r\nd")});
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"a", "b", "c", "d"}));
  EXPECT_EQ(b.ws.PerevodFileName, W("склеенный_файл.txt"));
  EXPECT_TRUE(b.ws.PerevodLoaded);
  EXPECT_TRUE(b.ws.PerevodChanged);
  EXPECT_EQ(b.host.captions.back(), b.ws.VersionText + W(" - Склеенный файл"));
  EXPECT_TRUE(b.logged(W("Подклеиваем файл перевода ") + b.dir.file("2.txt")));
  EXPECT_EQ(b.host.log.back(), W("загрузили склееный файл"));
}

TEST(AppendPerevodFiles, LeadingEmptyLineStaysOthersGo) {
  MergeBench b;
  AppendPerevodFiles(b.ws, {b.file("1.txt", "\r\n\r\n1 a\r\n\r\n"), b.file("2.txt", "\r\n2 b")});
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"", "1 a", "2 b"}));
}

TEST(AppendPerevodFiles, FilesOfLineBreaksOnlyAreEmpty) {
  MergeBench b;
  b.ws.PerevodArray = {"1 old"};
  b.ws.PerevodLoaded = true;
  AppendPerevodFiles(b.ws, {b.file("1.txt", "\r\n\r\n"), b.file("2.txt", "")});
  EXPECT_EQ(b.host.log.back(), W("какие то пустые, эти ваши файлы :-("));
  EXPECT_EQ(b.ws.PerevodArray, std::vector<Text>{"1 old"});
  EXPECT_FALSE(b.ws.PerevodLoaded);
}

TEST(AppendPerevodFiles, SaveQuestionCancelYesAndNo) {
  MergeBench b;
  b.ws.PerevodArray = {"1 mine"};
  b.ws.PerevodLoaded = b.ws.PerevodChanged = true;
  b.ws.PerevodFileName = b.dir.file("mine.txt");
  const std::vector<Text> files{b.file("1.txt", "1 a"), b.file("2.txt", "2 b")};

  b.host.answers = {Answer::Cancel};
  AppendPerevodFiles(b.ws, files);
  EXPECT_EQ(b.host.log.back(), W("операция склеивания файлов отменена"));
  EXPECT_EQ(b.ws.PerevodArray, std::vector<Text>{"1 mine"});
  EXPECT_TRUE(b.ws.PerevodChanged);
  EXPECT_EQ(b.host.messages.back().buttons, Buttons::YesNoCancel);
  EXPECT_EQ(b.host.closedWindows, (std::vector<Window>{Window::EditForm, Window::FindForm}));

  b.host.answers = {Answer::Yes};
  AppendPerevodFiles(b.ws, files);
  EXPECT_EQ(ReadBytes(b.dir.path() / "mine.txt"), "1 mine");
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"1 a", "2 b"}));

  b.host.answers = {Answer::No};
  AppendPerevodFiles(b.ws, files);
  EXPECT_TRUE(b.logged(W("предыдущие изменения перевода потеряны")));
}

TEST(AppendPerevodFiles, UnreadableFileKeepsTheOldTranslationWithFlagsCleared) {
  MergeBench b;
  b.ws.PerevodArray = {"1 mine"};
  b.ws.PerevodLoaded = true;
  const Text missing = b.dir.file("gone.txt");
  AppendPerevodFiles(b.ws, {b.file("1.txt", "1 a"), missing});
  ASSERT_EQ(b.host.messages.size(), 1u);
  EXPECT_EQ(b.host.messages[0].text,
            W("проверьте, имя и путь файла") + "\r\n" + W("т.е. его можно прочитать:") + "\r\n" + missing);
  EXPECT_EQ(b.ws.PerevodArray, std::vector<Text>{"1 mine"});
  EXPECT_FALSE(b.ws.PerevodLoaded);
  EXPECT_EQ(b.host.failures, 1);
}

TEST(CombinePerevodFiles, InterleavesAndLetsTheLongerFileRunOn) {
  MergeBench b;
  const Text first = b.file("a.txt", "A1\r\nA2\r\nA3");
  CombinePerevodFiles(b.ws, {first, b.file("b.txt", "B1\r\nB2")});
  EXPECT_TRUE(b.logged(W("Предупреждение: количество строк в файлах не совпадает")));
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"A1", "B1", "A2", "B2", "A3"}));
  EXPECT_EQ(b.ws.PerevodFileName, b.dir.file("слитый_файл_из_a.txt_и_b.txt.txt"));
  EXPECT_EQ(b.host.captions.back(), b.ws.VersionText + " - " + b.ws.PerevodFileName);
  EXPECT_EQ(b.host.log.back(), W("Слили файлы ") + first + W(" и ") + b.dir.file("b.txt"));
  EXPECT_TRUE(b.ws.PerevodLoaded && b.ws.PerevodChanged);
}

TEST(CombinePerevodFiles, EmptyLinesVanishAndTheResultCanBeSaved) {
  MergeBench b;
  // Both end with a line break, so both have an empty last line; the third lines are empty.
  CombinePerevodFiles(b.ws, {b.file("a.txt", "A1\r\nA2\r\n\r\nA4\r\n"), b.file("b.txt", "B1\r\nB2\r\n\r\nB4\r\n"),
                             b.file("c.txt", "C1")});
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"A1", "B1", "A2", "B2", "A4", "B4"}));
  EXPECT_FALSE(b.logged(W("Предупреждение: количество строк в файлах не совпадает")));
  SavePerevod(b.ws);
  EXPECT_EQ(ReadBytes(NativePath(b.ws.PerevodFileName)), "A1\r\nB1\r\nA2\r\nB2\r\nA4\r\nB4");
}

TEST(CombinePerevodFiles, NeedsTwoFilesAndReadsBeforeAsking) {
  MergeBench b;
  CombinePerevodFiles(b.ws, {b.file("a.txt", "x")});
  EXPECT_EQ(b.host.log, std::vector<Text>{W("нужно указывать ДВА файла перевода")});

  b.ws.PerevodChanged = true;
  CombinePerevodFiles(b.ws, {b.file("a.txt", "x"), b.dir.file("gone.txt")});
  EXPECT_EQ(b.host.failures, 1);
  ASSERT_EQ(b.host.messages.size(), 1u);  // the read failure, no save question
  EXPECT_TRUE(b.ws.PerevodChanged);

  b.host.answers = {Answer::Cancel};
  CombinePerevodFiles(b.ws, {b.file("a.txt", "x"), b.file("b.txt", "y")});
  EXPECT_EQ(b.host.log.back(), W("операция слияния файлов перевода отменена"));
  EXPECT_EQ(b.ws.PerevodArray, std::vector<Text>{""});
}

TEST(WritePerevodIntoRomImage, WritesAtAddressesAndSkipsWhatDoesNotFit) {
  MergeBench b;
  b.ws.RomImage = Text(8, '.');
  b.ws.PerevodArray = {"2 ab", "&H7 xyz", "0 q", "9 w", "nospace", "4294967296 z", "3 B"};
  WritePerevodIntoRomImage(b.ws);
  EXPECT_EQ(b.ws.RomImage, ".aB...xy");
  EXPECT_TRUE(b.logged(W("Эй!, а где поинтеры ?, Вы чего мне подсунули?")));
  EXPECT_TRUE(b.logged(W("Адрес 9 вне образа ROM, строку пропустили")));
  EXPECT_TRUE(b.logged(W("Адрес 0 вне образа ROM, строку пропустили")));
  EXPECT_EQ(RomWorkImage(b.ws), Text(8, '.')) << "a ROM save still writes what it did";
  EXPECT_EQ(RomOriginalImage(b.ws), Text(8, '.'));
}

struct FuzzyBench : MergeBench {
  FuzzyBench() {
    ws.RomImage = Text(200, 'R');
    RomWorkBuffer(ws) = Text(200, 'W');
    ws.RomLoaded = ws.RomChanged = true;
    ws.CharTable.assign(256, Text(1, '\0'));
    ws.CharTable[0x41] = "A";
    ws.CharTableLookup = std::u32string(256, U'\0');
    ws.CharTableLookup[0x41] = 'A';
    ws.TableLoaded = ws.TableChanged = true;
    ws.NumberOfTextChars = 2;
  }
  void expectRomAndTableUntouched() const {
    EXPECT_EQ(ws.RomImage, Text(200, 'R'));
    EXPECT_EQ(RomWorkImage(ws), Text(200, 'W'));
    EXPECT_TRUE(ws.RomLoaded && ws.RomChanged && ws.TableLoaded && ws.TableChanged);
    EXPECT_EQ(ws.CharTable[0x42], Text(1, '\0'));
    EXPECT_EQ(ws.CharTableLookup[0x42], '\0');
  }
};

TEST(FuzzyCombinePerevodFiles, LaterFilesWinAndTheRestShowsThrough) {
  FuzzyBench b;
  b.host.files = {{b.dir.file("merged.txt")}};
  FuzzyCombinePerevodFiles(b.ws, {b.file("1.txt", "100 HELLO\r\n10 ab\r\n"), b.file("2.txt", "100 HEY\r\n150 x")});
  EXPECT_EQ(ReadBytes(b.dir.path() / "merged.txt"), "10 ab\r\n100 HEYLO\r\n");
  EXPECT_EQ(b.host.fileRequests.at(0).title, W("Сохранить вынутый текст как..."));
  EXPECT_EQ(b.host.fileRequests.at(0).kind, FileRequest::Kind::Save);
  EXPECT_EQ(b.ws.ReportFileName, b.dir.file("merged.txt"));
  b.expectRomAndTableUntouched();
  EXPECT_FALSE(b.ws.PerevodLoaded);
  EXPECT_FALSE(b.ws.PerevodChanged);
  EXPECT_EQ(b.host.captions.back(), b.ws.VersionText);
  EXPECT_EQ(b.host.log.back(), W("Умное объединение файлов перевода закончено"));
  // The extraction's lines are in the log text as well as on the screen.
  EXPECT_NE(b.ws.LogText.find(W("Вынули текст из ROM файла: ")), Text::npos);
}

// Windows-1251 files of Cyrillic text merge to the same Windows-1251 bytes; the text goes
// through the blank image a character a byte.
TEST(FuzzyCombinePerevodFiles, CyrillicMergesByteForByte) {
  FuzzyBench b;
  b.host.files = {{b.dir.file("merged.txt")}};
  FuzzyCombinePerevodFiles(b.ws, {b.file("1.txt", "100 \xCF\xD0\xC8\xC2\xC5\xD2\r\n"), b.file("2.txt", "100 \xDF\xC4")});
  EXPECT_EQ(ReadBytes(b.dir.path() / "merged.txt"), "100 \xDF\xC4\xC8\xC2\xC5\xD2\r\n");  // ЯДИВЕТ
}

TEST(FuzzyCombinePerevodFiles, CancelAtTheSaveQuestionEndsEverything) {
  FuzzyBench b;
  b.ws.PerevodArray = {"1 mine"};
  b.ws.PerevodLoaded = b.ws.PerevodChanged = true;
  b.host.answers = {Answer::Cancel};
  FuzzyCombinePerevodFiles(b.ws, {b.file("1.txt", "100 HELLO"), b.file("2.txt", "100 HEY")});
  EXPECT_EQ(b.host.log.back(), W("операция склеивания файлов отменена"));
  EXPECT_TRUE(b.host.fileRequests.empty());
  EXPECT_EQ(b.ws.PerevodArray, std::vector<Text>{"1 mine"});
  EXPECT_TRUE(b.ws.PerevodLoaded && b.ws.PerevodChanged);
  b.expectRomAndTableUntouched();
}

TEST(FuzzyCombinePerevodFiles, RefusalsAndEmptyFiles) {
  MergeBench noRom;
  FuzzyCombinePerevodFiles(noRom.ws, {noRom.file("1.txt", "1 a"), noRom.file("2.txt", "2 b")});
  EXPECT_EQ(noRom.host.log, std::vector<Text>{W("ROM еще не загружен")});

  FuzzyBench b;
  FuzzyCombinePerevodFiles(b.ws, {b.file("1.txt", "\r\n"), b.file("2.txt", "")});
  EXPECT_EQ(b.host.log.back(), W("Перевод так и не был загружен :-("));
  EXPECT_TRUE(b.host.fileRequests.empty());
  b.expectRomAndTableUntouched();
}

TEST(FuzzyCombinePerevodFiles, CancelledReportDialogExtractsNothing) {
  FuzzyBench b;
  FuzzyCombinePerevodFiles(b.ws, {b.file("1.txt", "1 ab"), b.file("2.txt", "5 cd")});
  EXPECT_EQ(b.ws.ReportFileName, "");
  EXPECT_EQ(b.host.log.back(), W("Умное объединение файлов перевода закончено"));
  EXPECT_EQ(b.ws.LogText.find(W("Вынули текст")), Text::npos);
  b.expectRomAndTableUntouched();
}

}  // namespace
