#include <gtest/gtest.h>

#include <QPushButton>

#include "MainGuiBench.h"
#include "workspace/Files.h"

namespace {

// Notes at each question whether the settings file had been written by then.
struct ExitWatch {
  std::vector<bool> settingsWrittenAtQuestion;
  void watch(MainGuiBench& b) {
    std::filesystem::remove(b.path("tarvello.ini"));
    b.host.duringMessage = [this, &b](const Text&) {
      settingsWrittenAtQuestion.push_back(std::filesystem::exists(b.path("tarvello.ini")));
    };
  }
};

TEST(MainExit, AsksOnlyForChangedObjectsInOrderAfterWritingTheSettings) {
  MainGuiBench b;
  ExitWatch w;
  w.watch(b);
  b.ws.PerevodChanged = b.ws.RomChanged = b.ws.IpsChanged = b.ws.TableChanged = b.ws.TRVocabularyChanged = true;
  b.host.answers = {Answer::No, Answer::No, Answer::No, Answer::No, Answer::No};
  b.form->findChild<QPushButton*>("ExitButton")->click();
  EXPECT_EQ(b.host.messageTexts(),
            (std::vector<Text>{W("Будем сохранять изменения перевода ?"), W("Будем сохранять пропатченый ROM ?"),
                               W("Будем сохранять сгенерированный IPS ?"), W("Будем сохранять таблицу ?"),
                               W("Будем сохранять исправленный словарь ?")}));
  for (const ShownMessage& m : b.host.messages) {
    EXPECT_EQ(m.buttons, Buttons::YesNo);
    EXPECT_EQ(m.icon, Icon::None);
  }
  EXPECT_EQ(w.settingsWrittenAtQuestion, std::vector<bool>(5, true));
  EXPECT_EQ(b.exits, 1);

  MainGuiBench two;
  two.ws.RomChanged = two.ws.TableChanged = true;
  two.click("menuExit");
  EXPECT_EQ(two.host.messageTexts(),
            (std::vector<Text>{W("Будем сохранять пропатченый ROM ?"), W("Будем сохранять таблицу ?")}));
}

TEST(MainExit, YesRunsTheSaveAndTheLogFileGetsADatedBlock) {
  MainGuiBench b;
  b.ws.DoSaveLogsInFile = b.dir.file("session.log");
  WriteBytes(b.path("session.log"), "earlier");
  b.ws.PerevodArray = {"1 A", "2 B"};
  b.ws.PerevodFileName = b.dir.file("t.txt");
  b.ws.PerevodChanged = true;
  b.host.answers = {Answer::Yes};
  b.form->close();
  EXPECT_EQ(ReadBytes(b.path("t.txt")), "1 A\r\n2 B");
  // The log file is Windows-1251, as every text file written.
  const std::string expected =
      "earlier\r\n-------------12-06-2026 08:15:00-------------\r\n" + *cp1251::FromUtf8(b.ws.LogText);
  EXPECT_EQ(ReadBytes(b.path("session.log")), expected);
  EXPECT_NE(b.ws.LogText.find(W("Файл перевода сохранен в файл: ")), Text::npos);
  // Once begun the exit is not run again by a further close.
  b.form->close();
  b.click("menuExit");
  EXPECT_EQ(b.exits, 1);
  EXPECT_EQ(ReadBytes(b.path("session.log")), expected);
}

// Work without a file name (typed from nothing) gets the save dialog; a cancelled one
// saves nothing and the exit goes on.
TEST(MainExit, YesWithoutANameShowsTheSaveDialog) {
  MainGuiBench b;
  b.ws.PerevodArray = {"1 A", "2 B"};
  b.ws.PerevodFileName.clear();
  b.ws.PerevodChanged = b.ws.TableChanged = b.ws.TRVocabularyChanged = true;
  b.ws.TableFileName.clear();
  b.ws.TRVocabularyFile.clear();
  b.host.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
  b.host.files = {{b.dir.file("typed.txt")}, {}, {}};
  b.click("menuExit");
  EXPECT_EQ(ReadBytes(b.path("typed.txt")), "1 A\r\n2 B");
  EXPECT_EQ(b.host.prompts, (std::vector<Text>{W("Сохранить перевод как..."), W("Сохранить таблицу как..."),
                                               W("Сохранить словарь как...")}));
  EXPECT_EQ(b.exits, 1);
}

TEST(MainExit, NothingChangedAsksNothingAndWritesOnlyTheSettings) {
  MainGuiBench b;
  ExitWatch w;
  w.watch(b);
  AppendLog(b.ws, "line");
  const auto before = std::distance(std::filesystem::directory_iterator(b.dir.path()), {});
  b.click("menuExit");
  EXPECT_TRUE(b.host.messages.empty());
  EXPECT_TRUE(std::filesystem::exists(b.path("tarvello.ini")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(b.dir.path()), {}), before + 1);
}

}  // namespace
