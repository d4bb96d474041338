#include <gtest/gtest.h>

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>

#include "MainGuiBench.h"
#include "ui/QtHost.h"

namespace {

QRect In(QWidget* w, QWidget* top) {
  return QRect(w->mapTo(top, QPoint(0, 0)), w->size());
}

TEST(MainWindow, LogGrowsAndTheExitButtonStaysInTheCorner) {
  MainGuiBench b;
  b.form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(b.form.get()));
  auto* log = b.form->findChild<QPlainTextEdit*>("LogText");
  auto* exit = b.form->findChild<QPushButton*>("ExitButton");
  auto* bar = b.form->findChild<QProgressBar*>("ProgressBar1");
  EXPECT_EQ(b.form->focusWidget(), exit);

  auto corner = [&] {
    const QRect r = In(exit, b.form.get());
    return QPoint(b.form->width() - r.right(), b.form->height() - r.bottom());
  };
  b.form->resize(700, 400);
  QApplication::processEvents();
  const QPoint gap = corner();
  const QSize logAt700 = log->size();
  b.form->resize(900, 600);
  QApplication::processEvents();
  EXPECT_EQ(corner(), gap);
  EXPECT_EQ(log->width() - logAt700.width(), 200);
  EXPECT_EQ(log->height() - logAt700.height(), 200);
  EXPECT_EQ(bar->width(), log->width());

  // Too low a window snaps back to the minimum height; the pane keeps a visible strip.
  b.form->resize(900, 20);
  QApplication::processEvents();
  EXPECT_GE(b.form->height(), Twips(1840) - (b.form->frameGeometry().height() - b.form->height()));
  EXPECT_GE(log->height(), Twips(250));
  EXPECT_FALSE(exit->geometry().intersects(log->geometry()));
}

TEST(MainWindow, AppendedLinesScrollTheLogToTheEnd) {
  MainGuiBench b;
  b.form->show();
  auto* log = b.form->findChild<QPlainTextEdit*>("LogText");
  for (int i = 0; i < 300; ++i) AppendLog(b.ws, "line " + std::to_string(i));
  QApplication::processEvents();
  EXPECT_EQ(log->textCursor().position(), log->document()->characterCount() - 1);
  EXPECT_EQ(log->blockCount(), 300);
  EXPECT_TRUE(log->isReadOnly());
}

TEST(HelpWindow, MissingFileIsReportedAndShowsNoWindow) {
  MainGuiBench b;
  b.ws.HelpFileName = b.dir.file("none.rtf");
  b.click("menuHelpContents");
  EXPECT_EQ(b.host.messageTexts(),
            std::vector<Text>{W("Файл справки (tarvellohelp.rtf)") + "\r\n" + W("не найден :-(")});
  EXPECT_EQ(b.host.messages[0].icon, Icon::Critical);
  EXPECT_EQ(b.form->findChild<QWidget*>("HelpForm"), nullptr);

  b.ws.HelpFileName = "  ";
  b.click("menuHelpContents");
  EXPECT_EQ(b.host.messages.size(), 3u);
  EXPECT_EQ(b.host.messages[2].text, W("Вы можете выйти из программы и проверить путь+файл в tarvello.ini"));
}

TEST(HelpWindow, ShowsTheGuideOnceAndRereadsItAfterClose) {
  MainGuiBench b;
  WriteBytes(b.path("tarvellohelp.rtf"), "{\\rtf1\\ansicpg1251 {\\b \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}\\par}");
  b.click("menuHelpContents");
  auto* help = b.form->findChild<QWidget*>("HelpForm");
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->windowTitle(), QString::fromUtf8("Tarvello Подсказка"));
  auto* text = help->findChild<QTextBrowser*>("HelpText");
  EXPECT_EQ(text->toPlainText(), QString::fromUtf8("Привет"));

  // While it is open the command only brings it up; the file is not read again.
  WriteBytes(b.path("tarvellohelp.rtf"), "{\\rtf1 second}");
  b.click("menuHelpContents");
  EXPECT_EQ(b.form->findChildren<QWidget*>("HelpForm").size(), 1);
  EXPECT_EQ(text->toPlainText(), QString::fromUtf8("Привет"));

  // Focus puts the caret at the start, wherever it was.
  QTextCursor end = text->textCursor();
  end.movePosition(QTextCursor::End);
  text->setTextCursor(end);
  help->activateWindow();
  text->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  ASSERT_TRUE(text->hasFocus());
  EXPECT_EQ(text->textCursor().position(), 0);

  QPointer<QWidget> gone = help;
  help->findChild<QPushButton*>("CloseButton")->click();
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gone.isNull());
  b.click("menuHelpContents");
  help = b.form->findChild<QWidget*>("HelpForm");
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->findChild<QTextBrowser*>("HelpText")->toPlainText(), "second");
}

TEST(HelpWindow, CloseButtonStaysCentredUnderTheGrowingText) {
  MainGuiBench b;
  WriteBytes(b.path("tarvellohelp.rtf"), "{\\rtf1 x}");
  b.click("menuHelpContents");
  auto* help = b.form->findChild<QWidget*>("HelpForm");
  ASSERT_NE(help, nullptr);
  auto* text = help->findChild<QTextBrowser*>("HelpText");
  auto* close = help->findChild<QPushButton*>("CloseButton");
  for (int width : {400, 700}) {
    help->resize(width, 500);
    QApplication::processEvents();
    const QRect button = In(close, help);
    EXPECT_LE(std::abs(button.center().x() - help->width() / 2), 1) << width;
    EXPECT_GT(button.top(), In(text, help).bottom()) << width;
    EXPECT_EQ(help->width() - text->width(), Twips(15) + Twips(30)) << width;
  }
  help->resize(1, 1);
  QApplication::processEvents();
  EXPECT_GE(help->width(), Twips(166));
  EXPECT_GE(help->height(), Twips(961));
  EXPECT_EQ(help->focusWidget(), close);
}

TEST(AboutWindow, ShowsTheCreditsModallyAndIsKept) {
  MainGuiBench b;
  QString shown;
  int opened = 0;
  auto answer = [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    ++opened;
    EXPECT_EQ(box->objectName(), "AboutForm");
    EXPECT_EQ(box->windowTitle(), "Tarvello About");
    shown = box->findChild<QTextEdit*>("myTextBox")->toPlainText();
    box->findChild<QPushButton*>("Command1")->click();
  };
  QTimer::singleShot(0, answer);
  b.click("menuAbout");
  QTimer::singleShot(0, answer);
  b.click("menuAbout");
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(b.form->findChildren<QDialog*>("AboutForm").size(), 1);
  EXPECT_TRUE(shown.startsWith("Tarvello 1.41b\n"));
  EXPECT_EQ(shown.toStdString(), [&] {
    std::string s = b.ws.AboutText;
    for (size_t p; (p = s.find("\r\n")) != std::string::npos;) s.erase(p, 1);
    return s;
  }());
}

TEST(QtHostDialogs, WindowsFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFilter(W("GameBoy ROM (*.gb;*.gbc;*.gba)|*.gb;*.gbc;*.gba|Все файлы (*.*)|*.*")),
            QString::fromUtf8("GameBoy ROM (*.gb *.gbc *.gba);;Все файлы (*)"));
  EXPECT_EQ(QtFilter("Patch (*.ips)|*.ips"), "Patch (*.ips)");
  EXPECT_EQ(QtFilter("No pattern"), "");
}

// Answers the next message box with `button` and notes what it showed.
struct BoxAnswer {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QList<QMessageBox::StandardButton> buttons;
  void answerNext(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      buttons.clear();
      for (QAbstractButton* bt : box->buttons()) buttons << box->standardButton(bt);
      box->button(button)->click();
    });
  }
};

TEST(QtHostDialogs, MessageBoxesHaveTheButtonSetsIconsAndTheProgramsTitle) {
  QtHost host;
  BoxAnswer seen;
  seen.answerNext(QMessageBox::No);
  EXPECT_EQ(host.message(W("Будем сохранять таблицу ?"), Buttons::YesNo, Icon::None), Answer::No);
  EXPECT_EQ(seen.text, QString::fromUtf8("Будем сохранять таблицу ?"));
  EXPECT_EQ(seen.title, "Tarvello");
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.buttons.size(), 2);

  seen.answerNext(QMessageBox::Yes);
  EXPECT_EQ(host.message("x", Buttons::YesNoCancel, Icon::None), Answer::Yes);
  EXPECT_EQ(seen.buttons.size(), 3);

  seen.answerNext(QMessageBox::Cancel);
  EXPECT_EQ(host.message("x", Buttons::OkCancel, Icon::Exclamation), Answer::Cancel);
  EXPECT_EQ(seen.icon, QMessageBox::Warning);

  seen.answerNext(QMessageBox::Ok);
  EXPECT_EQ(host.message("a\r\nb", Buttons::Ok, Icon::Critical), Answer::Ok);
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
}

TEST(QtHostDialogs, InputBoxStartsWithTheDefaultAnswer) {
  QtHost host;
  QString start;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    start = dialog->textValue();
    dialog->setTextValue(QString::fromUtf8("Привет"));
    dialog->accept();
  });
  EXPECT_EQ(host.inputBox(W("Адрес?"), "T", W("&H100")), std::optional<Text>(W("Привет")));
  EXPECT_EQ(start, "&H100");

  QTimer::singleShot(0, [&] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(host.inputBox("p", "t", "a"), std::nullopt);
}

TEST(QtHostDialogs, FileDialogsCarryTitleFilterAndSelectionMode) {
  QtHost host;
  TempDir dir;
  WriteBytes(dir.path() / "a.txt", "1 A");
  WriteBytes(dir.path() / "b.txt", "1 B");
  QString title;
  QStringList filters;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  auto answer = [&](const QStringList& names) {
    QTimer::singleShot(0, [&, names] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      title = dialog->windowTitle();
      filters = dialog->nameFilters();
      mode = dialog->fileMode();
      if (names.isEmpty()) return dialog->reject();
      dialog->setDirectory(QString::fromStdString(dir.path().string()));
      dialog->selectFile(names.size() == 1 ? names[0] : "\"" + names.join("\" \"") + "\"");
      QMetaObject::invokeMethod(dialog, "accept");
    });
  };
  FileRequest request;
  request.title = W("Какие ДВА файла перевода будем сливать в один...");
  request.filter = W("Файл перевода (*.txt)|*.txt|Все файлы (*.*)|*.*");
  request.multiSelect = true;
  answer({"a.txt", "b.txt"});
  const std::vector<Text> chosen = host.chooseFiles(request);
  EXPECT_EQ(title, QString::fromUtf8("Какие ДВА файла перевода будем сливать в один..."));
  EXPECT_EQ(filters, (QStringList{QString::fromUtf8("Файл перевода (*.txt)"), QString::fromUtf8("Все файлы (*)")}));
  EXPECT_EQ(mode, QFileDialog::ExistingFiles);
  EXPECT_EQ(chosen, (std::vector<Text>{dir.file("a.txt"), dir.file("b.txt")}));

  request.kind = FileRequest::Kind::Save;
  request.multiSelect = false;
  answer({});
  EXPECT_TRUE(host.chooseFiles(request).empty());
  EXPECT_EQ(mode, QFileDialog::AnyFile);
}

}  // namespace
