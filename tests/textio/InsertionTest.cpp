#include <gtest/gtest.h>

#include "textio/Insertion.h"
#include "textio/TextioBench.h"
#include "workspace/Rom.h"

namespace {

const Text kInserted = W("Текст перевода вставлен в ROM");
const Text kUnknownWarning = W("Только, что вставили в ROM символ, отсутствующий в таблице");

struct InsertBench : TextioBench {
  InsertBench() {
    table({{0x80, 'A'}, {0x81, 'B'}, {0x82, 'C'}, {0x90, ' '}});
    rom(std::string(16, '\xEE'));
  }
};

TEST(PutPerevodInRom, OverwritesExactlyTheCharactersOfEachLine) {
  InsertBench t;
  // Longer than what it replaces, shorter, and a hex address; nothing but the text is written.
  t.perevod({"1 AB", "&H6 CAB", "12 A B"});
  PutPerevodInRom(t.ws, 0);
  std::string expected(16, '\xEE');
  expected.replace(0, 2, "\x80\x81");
  expected.replace(5, 3, "\x82\x80\x81");
  expected.replace(11, 3, "\x80\x90\x81");
  EXPECT_EQ(t.ws.RomImage, expected);
  EXPECT_EQ(RomWorkImage(t.ws), expected);
  EXPECT_TRUE(t.ws.RomChanged);
  EXPECT_FALSE(t.ws.PerevodChanged);
  EXPECT_EQ(t.host.log, (std::vector<Text>{kInserted}));
  EXPECT_TRUE(t.host.messages.empty());

  // Running it again over the patched image gives the same bytes.
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(t.ws.RomImage, expected);
}

TEST(PutPerevodInRom, UnknownCharactersAreSkippedOrWrittenAsTheirOwnByte) {
  InsertBench t;
  t.perevod({"2 AxB", "10 \xC6z"});  // x, z and the Cyrillic letter are not in the table

  t.ws.SkipUnknownTRChars = "YES";
  PutPerevodInRom(t.ws, 0);
  std::string skipped(16, '\xEE');
  skipped[1] = '\x80';
  skipped[3] = '\x81';
  EXPECT_EQ(t.ws.RomImage, skipped);
  EXPECT_EQ(t.host.log, (std::vector<Text>{kInserted}));

  t.ws.RomImage = std::string(16, '\xEE');
  t.ws.SkipUnknownTRChars = "NO";
  t.clearRecords();
  PutPerevodInRom(t.ws, 0);
  std::string written = skipped;
  written[2] = 'x';
  written[9] = '\xC6';
  written[10] = 'z';
  EXPECT_EQ(t.ws.RomImage, written);
  EXPECT_EQ(t.host.log, (std::vector<Text>{kUnknownWarning, kUnknownWarning, kUnknownWarning, kInserted}));

  t.ws.ExtendedLogs = "NO";
  t.clearRecords();
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(t.host.log, (std::vector<Text>{kInserted}));
}

TEST(PutPerevodInRom, EscapesAreEncodedLikeTypedCharacters) {
  InsertBench t;
  // <$0A> is no table character; <$41> is the letter A, which the table has under 0x80.
  t.perevod({"1 <$0A><$41>", "5 A<$4"});
  t.ws.SkipUnknownTRChars = "NO";
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(0, 2), "\x0A\x80");
  // An incomplete escape is plain text.
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(4, 4), "\x80<$4");

  t.ws.RomImage = std::string(16, '\xEE');
  t.ws.SkipUnknownTRChars = "YES";
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(0, 2), "\xEE\x80");
}

TEST(PutPerevodInRom, AShiftMovesEveryLineAndIsKeptInTheLinesWhenAsked) {
  InsertBench t;
  t.rom(std::string(200, '\0'));
  t.perevod({"100 AB", "&H66 C", "no-space", "104  A"});
  t.ws.UseHEXaddr = "YES";
  t.ws.LeaveChangesInPerevodAddr = "YES";
  PutPerevodInRom(t.ws, 16);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(115, 2), "\x80\x81");
  EXPECT_EQ(t.ws.RomImage[117], '\x82');  // &H66 is 102, moved to 118
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(119, 2), "\x90\x80");
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"&H74 AB", "&H76 C", "no-space", "&H78  A"}));
  EXPECT_TRUE(t.ws.PerevodChanged);
  EXPECT_EQ(t.host.log.front(), W("дополнительное смещение к адресам указанным в файле перевода равно  16"));

  // Kept addresses move again on every run; decimal when the setting says so.
  t.ws.UseHEXaddr = "NO";
  t.clearRecords();
  PutPerevodInRom(t.ws, -16);
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"100 AB", "102 C", "no-space", "104  A"}));
  EXPECT_EQ(t.host.log, (std::vector<Text>{kInserted}));  // a negative shift is not logged

  InsertBench notKept;
  notKept.rom(std::string(200, '\0'));
  notKept.perevod({"100 AB", "&H66 C"});
  notKept.ws.LeaveChangesInPerevodAddr = "NO";
  PutPerevodInRom(notKept.ws, 16);
  EXPECT_EQ(Text(std::string_view(notKept.ws.RomImage)).substr(115, 3), "\x80\x81\x82");
  EXPECT_EQ(notKept.ws.PerevodArray, (std::vector<Text>{"100 AB", "&H66 C"}));
  EXPECT_FALSE(notKept.ws.PerevodChanged);
}

TEST(PutPerevodInRom, AByteOutsideTheImageEndsTheRunWithoutCommitting) {
  InsertBench t;
  t.perevod({"1 AB", "0 C", "3 A"});
  PutPerevodInRom(t.ws, 0);
  ASSERT_EQ(t.host.log.size(), 2u);
  EXPECT_EQ(t.host.log[0], W("ПРЕДУПРЕЖДЕНИЕ: Указатель на нулевое смещение в ROM'e, так и задумано?(...продолжим)"));
  EXPECT_EQ(t.host.log[1], W("Ошибка однако... запись в позицию 0 за пределами ROM (размер 16) 1101"));
  EXPECT_EQ(t.host.failures, 1);
  EXPECT_EQ(t.ws.RomImage, std::string(16, '\xEE'));
  EXPECT_EQ(RomWorkImage(t.ws).substr(0, 3), "\x80\x81\xEE");  // the lines before it stay
  EXPECT_FALSE(t.ws.RomChanged);

  // The next run starts again from the committed image; the tail past the end fails
  // after the characters that still fit.
  t.perevod({"15 ABC"});
  t.clearRecords();
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(t.host.log.back(), W("Ошибка однако... запись в позицию 17 за пределами ROM (размер 16) 1101"));
  std::string work(16, '\xEE');
  work[14] = '\x80';
  work[15] = '\x81';
  EXPECT_EQ(RomWorkImage(t.ws), work);
  EXPECT_FALSE(t.ws.RomChanged);

  // Skipped characters write nothing and so never fail; the image never grows.
  t.ws.SkipUnknownTRChars = "YES";
  t.perevod({"0 xy", "16 Bzz"});
  t.clearRecords();
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(t.host.log.back(), kInserted);
  EXPECT_EQ(t.ws.RomImage.size(), 16u);
  EXPECT_EQ(t.ws.RomImage[15], '\x81');
}

TEST(PutPerevodInRom, ARefusedOrThinTranslationSaysSo) {
  InsertBench t;
  t.ws.PerevodLoaded = false;
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("Файл с переводом еще не загружен")}));
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Файл с переводом еще не загружен")}));

  t.clearRecords();
  t.perevod({"3 AB"});
  t.ws.RomLoaded = false;
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("ROM еще не загружен")}));
  EXPECT_EQ(t.host.messages[0].buttons, Buttons::Ok);

  // One line is warned about and still inserted.
  t.clearRecords();
  t.ws.RomLoaded = true;
  PutPerevodInRom(t.ws, 0);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("Маловааато будет :-), может еще строчку ?")}));
  EXPECT_EQ(t.host.messages[0].icon, Icon::Critical);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(2, 2), "\x80\x81");

  // No lines at all: nothing written, no warning, still a completed insertion.
  t.clearRecords();
  t.perevod({});
  t.ws.RomChanged = false;
  PutPerevodInRom(t.ws, 0);
  EXPECT_TRUE(t.host.messages.empty());
  EXPECT_TRUE(t.ws.RomChanged);
}

TEST(PutPerevodInRom, WithoutATableAsksWhetherToLoadIt) {
  InsertBench t;
  t.ws.TableLoaded = false;
  t.perevod({"1 AB", "3 C"});
  t.host.answers.push_back(Answer::No);
  PutPerevodInRom(t.ws, 0);
  ASSERT_EQ(t.host.messages.size(), 1u);
  EXPECT_EQ(t.host.messages[0].buttons, Buttons::YesNo);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Таблица еще не загружена")}));
  EXPECT_FALSE(t.ws.RomChanged);

  WriteBytes(t.dir.path() / "t.tbl", "41=A\r\n42=B\r\n43=C\r\n");
  t.ws.TableFileName = t.dir.file("t.tbl");
  t.host.answers.push_back(Answer::Yes);
  t.clearRecords();
  PutPerevodInRom(t.ws, 0);
  EXPECT_TRUE(t.ws.TableLoaded);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(0, 4), "ABC\xEE");
}

// Found by the insertion fuzz target: a run that failed part way used to leave the
// lines before the failure with their shifted addresses, so fixing the last line and
// running again moved those lines twice.
TEST(PutPerevodInRom, AFailedShiftedRunKeepsTheTranslationAsItWas) {
  InsertBench t;
  t.perevod({"1 AB", "5 C", "15 ABC"});
  t.ws.LeaveChangesInPerevodAddr = "YES";
  EXPECT_FALSE(PutPerevodInRom(t.ws, 1));
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"1 AB", "5 C", "15 ABC"}));
  EXPECT_FALSE(t.ws.PerevodChanged);
  EXPECT_EQ(t.ws.RomImage, std::string(16, '\xEE'));

  // The corrected translation then moves by the shift once.
  t.perevod({"1 AB", "5 C", "14 A"});
  EXPECT_TRUE(PutPerevodInRom(t.ws, 1));
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"2 AB", "6 C", "15 A"}));
  EXPECT_TRUE(t.ws.PerevodChanged);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(1, 2), "\x80\x81");
}

}  // namespace
