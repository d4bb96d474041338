#include "IpsFixture.h"
#include "TestPatch.h"
#include "ips/IpsFile.h"
#include "workspace/Files.h"

namespace {

using IpsFileTest = IpsTest;

TEST_F(IpsFileTest, LoadTakesAnyContentByteForByte) {
  const std::string content = "not a patch" + Bytes({0, 255, 13, 10, 0});
  WriteBytes(b.dir.path() / "x.ips", content);
  ws.IPSFileName = "  " + b.dir.file("x.ips") + " ";
  ws.IpsChanged = true;
  LoadIps(ws);
  EXPECT_EQ(ws.IpsImage, content);
  EXPECT_EQ(ws.IPSFileName, b.dir.file("x.ips"));
  EXPECT_EQ(host.log, std::vector<Text>{W("Загрузили IPS: ") + b.dir.file("x.ips")});
  EXPECT_TRUE(ws.IpsLoaded);
  EXPECT_TRUE(ws.IpsChanged);
}

TEST_F(IpsFileTest, LoadOfMissingFileKeepsThePatchInMemory) {
  setPatch("PATCHEOF");
  ws.IpsLoaded = false;
  ws.IPSFileName = b.dir.file("none.ips");
  LoadIps(ws);
  EXPECT_EQ(host.messageTexts(), std::vector<Text>{W("IPS Файл") + "\r\n" + W("не найден :-(")});
  EXPECT_EQ(ws.IpsImage, "PATCHEOF");
  EXPECT_FALSE(ws.IpsLoaded);
}

TEST_F(IpsFileTest, SaveWritesTheImageAndClearsChanged) {
  setPatch("PATCH" + Bytes({0, 0, 1, 0, 1, 0x80}) + "EOF");
  ws.IpsChanged = true;
  ws.OutputIPSFileName = b.dir.file("out.ips");
  SaveIpsAs(ws);
  EXPECT_EQ(ReadBytes(b.dir.path() / "out.ips"), ws.IpsImage);
  EXPECT_EQ(host.log, std::vector<Text>{W("IPS сохранен в ") + b.dir.file("out.ips")});
  EXPECT_FALSE(ws.IpsChanged);
}

TEST_F(IpsFileTest, SaveOfEmptyImageCreatesEmptyFile) {
  ws.IpsLoaded = true;  // loaded from an empty file
  ws.OutputIPSFileName = b.dir.file("empty.ips");
  SaveIpsAs(ws);
  ASSERT_TRUE(FileExists(ws.OutputIPSFileName));
  EXPECT_EQ(ReadBytes(b.dir.path() / "empty.ips"), "");
}

TEST_F(IpsFileTest, SaveReplacesAnExistingFileWithoutBackup) {
  WriteBytes(b.dir.path() / "out.ips", "old content, longer than the new one");
  setPatch("PATCHEOF");
  ws.OutputIPSFileName = b.dir.file("out.ips");
  SaveIpsAs(ws);
  EXPECT_EQ(ReadBytes(b.dir.path() / "out.ips"), "PATCHEOF");
  EXPECT_FALSE(FileExists(b.dir.file("out.bak")));
  EXPECT_EQ(host.log, (std::vector<Text>{W("враги убили старый файл ") + b.dir.file("out.ips") + ":-)",
                                         W("IPS сохранен в ") + b.dir.file("out.ips")}));
}

TEST_F(IpsFileTest, SaveWithoutNameAsksAndKeepsTheChosenName) {
  setPatch("PATCHEOF");
  host.files.push_back({b.dir.file("chosen.ips")});
  SaveIpsAs(ws);
  ASSERT_EQ(host.fileRequests.size(), 1u);
  EXPECT_EQ(host.fileRequests[0].kind, FileRequest::Kind::Save);
  EXPECT_EQ(host.fileRequests[0].title, W("Сохранить IPS как..."));
  EXPECT_EQ(host.fileRequests[0].filter, W("Patch файл (*.ips)|*.ips|Все файлы (*.*)|*.*"));
  EXPECT_EQ(ws.OutputIPSFileName, b.dir.file("chosen.ips"));
  EXPECT_EQ(ReadBytes(b.dir.path() / "chosen.ips"), "PATCHEOF");
}

TEST_F(IpsFileTest, SaveWithCancelledDialogSavesNothing) {
  setPatch("PATCHEOF");
  ws.IpsChanged = true;
  SaveIpsAs(ws);
  EXPECT_EQ(host.log, std::vector<Text>{W("Не указано имя файла для сохранения, IPS не сохранен")});
  EXPECT_TRUE(ws.IpsChanged);
  EXPECT_TRUE(ws.OutputIPSFileName.empty());
}

TEST_F(IpsFileTest, SaveIntoMissingFolderIsAGeneralErrorAndKeepsChanged) {
  setPatch("PATCHEOF");
  ws.IpsChanged = true;
  ws.OutputIPSFileName = b.dir.file("no/such/folder/out.ips");
  SaveIpsAs(ws);
  ASSERT_EQ(host.log.size(), 1u);
  EXPECT_EQ(host.log[0].rfind(W("Ошибка однако... "), 0), 0u);
  EXPECT_EQ(host.failures, 1);
  EXPECT_TRUE(ws.IpsChanged);
}

}  // namespace
