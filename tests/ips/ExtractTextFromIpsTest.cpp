#include "IpsFixture.h"
#include "TestPatch.h"
#include "ips/IpsFile.h"
#include "ips/IpsText.h"
#include "workspace/Files.h"

namespace {

// The table codes of a word in the letter table (A at 0x80).
std::string Codes(const std::string& word) {
  std::string out;
  for (char c : word) out += static_cast<char>(0x80 + c - 'A');
  return out;
}

class ExtractTextFromIpsTest : public IpsTest {
 protected:
  void SetUp() override {
    setLetterTable();
    ws.NumberOfTextChars = 3;
    ws.ReportFileName = b.dir.file("report.txt");
  }
  std::string report() const { return ReadBytes(b.dir.path() / "report.txt"); }
};

TEST_F(ExtractTextFromIpsTest, RecordAt0x100GivesLine257) {
  ws.UseHEXaddr = "YES";  // the report's addresses are decimal whatever the setting
  setPatch(TestPatch().data(0x100, Codes("HELLO")).bytes(), "hello.ips");
  ExtractTextFromIps(ws);
  EXPECT_EQ(report(), "257 HELLO\r\n");
  EXPECT_EQ(host.log, std::vector<Text>{W("Вынули текст из IPS файла: hello.ips в файл: ") + b.dir.file("report.txt")});
  EXPECT_TRUE(host.fileRequests.empty());
  expectProgressSane();
}

TEST_F(ExtractTextFromIpsTest, RunsShorterThanTheMinimumAreDropped) {
  // Runs of 3 (kept), 2 (dropped), and one that ends the record's data (kept).
  setPatch(TestPatch().data(0, Codes("ABC") + "\x01" + Codes("DE") + "\x02\x03" + Codes("FGHI")).bytes());
  ExtractTextFromIps(ws);
  EXPECT_EQ(report(), "1 ABC\r\n9 FGHI\r\n");
}

TEST_F(ExtractTextFromIpsTest, RunsNeverCrossRecordsAndRunLengthRecordsGiveNoText) {
  setPatch(TestPatch().data(0x10, Codes("ABC")).data(0x13, Codes("DEF")).run(0x40, 20, 0x80).bytes());
  ExtractTextFromIps(ws);
  EXPECT_EQ(report(), "17 ABC\r\n20 DEF\r\n");
}

TEST_F(ExtractTextFromIpsTest, PatchOfRunLengthRecordsOnlyGivesAnEmptyReport) {
  setPatch(TestPatch().run(0, 100, 0x80).run(200, 5, 0x81).bytes());
  ExtractTextFromIps(ws);
  ASSERT_TRUE(FileExists(ws.ReportFileName));
  EXPECT_EQ(report(), "");
}

TEST_F(ExtractTextFromIpsTest, ExistingReportIsReplacedOnlyAfterTheDialog) {
  WriteBytes(b.dir.path() / "report.txt", "old");
  setPatch(TestPatch().data(0, Codes("ABCD")).bytes());
  host.files.push_back({b.dir.file("report.txt")});
  ExtractTextFromIps(ws);
  ASSERT_EQ(host.fileRequests.size(), 1u);
  EXPECT_EQ(host.fileRequests[0].title, W("Сохранить отчет как..."));
  EXPECT_EQ(host.fileRequests[0].filter, W("Файл отчета (*.txt)|*.txt;*.rep|Все файлы (*.*)|*.*"));
  EXPECT_EQ(report(), "1 ABCD\r\n");

  ExtractTextFromIps(ws);  // the dialog is cancelled this time
  EXPECT_EQ(host.log.back(), W("Не задано имя файла отчета"));
  EXPECT_TRUE(ws.ReportFileName.empty());
  EXPECT_EQ(report(), "1 ABCD\r\n");
}

TEST_F(ExtractTextFromIpsTest, RefusalsComeInOrderAndWriteNothing) {
  ExtractTextFromIps(ws);
  ws.IpsLoaded = true;
  ws.TableLoaded = false;
  ExtractTextFromIps(ws);
  EXPECT_EQ(host.messageTexts(), (std::vector<Text>{W("IPS файл не загружен"), W("Файл таблицы не загружен")}));
  setLetterTable();
  ExtractTextFromIps(ws);
  EXPECT_EQ(host.log.back(), W("нулевая длинна IPS файла :-("));
  setPatch("PATCh" + Codes("ABCDEF"));
  ExtractTextFromIps(ws);
  EXPECT_EQ(host.messages.back().text, W("Это не IPS файл"));
  EXPECT_EQ(host.log.back(), W("в IPS файле нет нужного заголовка"));
  EXPECT_FALSE(FileExists(ws.ReportFileName));
}

TEST_F(ExtractTextFromIpsTest, CutShortRecordYieldsTheTextItHas) {
  setPatch("PATCH" + Bytes({0, 0, 0, 0, 9}) + Codes("ABCD"));
  ExtractTextFromIps(ws);
  EXPECT_EQ(report(), "1 ABCD\r\n");
  EXPECT_TRUE(logged(IpsCutShortWarning()));
}

TEST_F(ExtractTextFromIpsTest, PatchStillAppliesAfterExtraction) {
  const std::string patch = TestPatch().data(2, Codes("HI")).run(0, 1, 'x').bytes();
  setPatch(patch);
  ExtractTextFromIps(ws);
  EXPECT_EQ(ws.IpsImage, patch);
  setRom("......");
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, "x." + Codes("HI") + "..");
}

TEST_F(ExtractTextFromIpsTest, UnwritableReportIsAGeneralError) {
  ws.ReportFileName = b.dir.file("missing/folder/report.txt");
  setPatch(TestPatch().data(0, Codes("ABCD")).bytes());
  ExtractTextFromIps(ws);
  ASSERT_FALSE(host.log.empty());
  EXPECT_EQ(host.log.back().rfind(W("Ошибка однако... "), 0), 0u);
  EXPECT_EQ(host.failures, 1);
  expectProgressSane();
}

}  // namespace
