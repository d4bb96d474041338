#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QProgressBar>

#include "MainGuiBench.h"

namespace {

// A table for A..Z and the space, everything else without a character.
std::string LetterTable() {
  std::string t = "20= \r\n";
  for (char c = 'A'; c <= 'Z'; ++c) {
    char line[16];
    std::snprintf(line, sizeof line, "%02X=%c\r\n", static_cast<unsigned char>(c), c);
    t += line;
  }
  return t;
}

TEST(MainCycle, LoadExtractTranslateInsertAndSaveByMenu) {
  MainGuiBench b;
  const std::string rom = std::string("\x01HELLO\x00\x02WORLD WIDE\x00X\x03", 21);
  WriteBytes(b.path("game.gb"), rom);
  WriteBytes(b.path("game.tbl"), LetterTable());

  b.click("menuOpenROM", "game.gb");
  b.click("menuOpenTable", "game.tbl");
  b.click("menuExtractTextFromROM", "report.txt");
  EXPECT_EQ(ReadBytes(b.path("report.txt")), "2 HELLO\r\n9 WORLD WIDE\r\n");

  // The translator's work, done outside: the same lines with new texts.
  WriteBytes(b.path("ru.txt"), "2 HOWDY\r\n9 PLANET\r\n");
  b.click("menuOpenPerevod", "ru.txt");
  EXPECT_EQ(b.form->windowTitle().toStdString(), "Tarvello 1.41b - " + b.dir.file("ru.txt"));
  b.click("menuPutTranslationInROM");
  b.click("menuSaveROMAs", "out.gb");

  std::string expected = rom;
  expected.replace(1, 5, "HOWDY");
  expected.replace(8, 6, "PLANET");
  EXPECT_EQ(ReadBytes(b.path("out.gb")), expected);
  EXPECT_EQ(ReadBytes(b.path("game.gb")), rom);
  EXPECT_FALSE(b.ws.RomChanged);
  EXPECT_EQ(b.ws.OutputRomFileName, b.dir.file("out.gb"));

  for (const Text& line :
       {W("Загрузили ROM: ") + b.dir.file("game.gb"),
        W("Вынули текст из ROM файла: ") + b.dir.file("game.gb") + W(" в файл: ") + b.dir.file("report.txt"),
        W("Файл перевода ") + b.dir.file("ru.txt") + W(" загружен,  2 строк"), W("Текст перевода вставлен в ROM"),
        W("ROM сохранен в ") + b.dir.file("out.gb")})
    EXPECT_TRUE(b.logged(line)) << line;
  // The log pane shows what the workspace logged, line for line.
  const QString pane = b.form->findChild<QPlainTextEdit*>("LogText")->toPlainText();
  std::string expectedPane = b.ws.LogText;
  for (size_t p; (p = expectedPane.find("\r\n")) != std::string::npos;) expectedPane.erase(p, 1);
  EXPECT_EQ(pane.toStdString(), expectedPane);
  EXPECT_TRUE(b.form->findChild<QProgressBar*>("ProgressBar1")->isHidden());
}

TEST(MainCycle, ProgressReachesTheMainBarAndTheEditorsRoute) {
  MainGuiBench b;
  auto* bar = b.form->findChild<QProgressBar*>("ProgressBar1");
  b.host.progress(Bar::Main, ProgressState{true, 0, 50, 20});
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(bar->maximum(), 50);
  EXPECT_EQ(bar->value(), 20);
  std::vector<int> editorValues;
  b.host.progress(Bar::Editor, ProgressState{true, 0, 9, 3});  // no editor yet: nowhere to go
  b.form->setEditorProgress([&](const ProgressState& s) { editorValues.push_back(s.value); });
  b.host.progress(Bar::Editor, ProgressState{true, 0, 9, 4});
  EXPECT_EQ(editorValues, std::vector<int>{4});
  EXPECT_EQ(bar->value(), 20);
  b.host.progress(Bar::Main, ProgressState{false, 0, 50, 50});
  EXPECT_TRUE(bar->isHidden());
}

}  // namespace
