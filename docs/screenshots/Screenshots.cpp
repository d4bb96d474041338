// Takes the README's screenshots: the workbench on a real X server (run under
// xvfb-run by docs/screenshots/take.sh), each window captured by ImageMagick's
// `import`. Not part of the program.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/Program.h"
#include "textio/Extraction.h"
#include "textio/Insertion.h"
#include "ui/Application.h"
#include "ui/EditForm.h"
#include "ui/GraphicsForm.h"
#include "ui/MainForm.h"
#include "ui/QtHost.h"
#include "ui/TableEditForm.h"
#include "workspace/Files.h"
#include "workspace/OpenedFiles.h"

namespace {

QString gOut;

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(25);
  }
}

void Capture(QWidget* window, const char* name) {
  Settle();
  const QString id = QStringLiteral("0x%1").arg(window->winId(), 0, 16);
  QProcess::execute("import", {"-window", id, gOut + "/" + name});
}

// A part of the screen, for what lies in several windows (a menu open over its window).
void CaptureScreen(const QRect& area, const char* name) {
  Settle();
  const QString crop = QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y());
  QProcess::execute("import", {"-window", "root", "-crop", crop, "+repage", gOut + "/" + name});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;  // SOURCE_DIR OUT_DIR
  QApplication app(argc, argv);
  SetUpApplication(app);
  const std::filesystem::path source = argv[1];
  gOut = QString::fromLocal8Bit(argv[2]);
  const std::filesystem::path work = std::filesystem::temp_directory_path() / "tarvello-screens";
  std::filesystem::create_directories(work);
  const auto over = std::filesystem::copy_options::overwrite_existing;
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);
  std::filesystem::copy_file(source / "tests/data/flozz_tictactoe.gb", work / "tictactoe.gb", over);
  std::filesystem::copy_file(source / "data/tarvellohelp.rtf", work / "tarvellohelp.rtf", over);
  QtHost host;
  Workspace ws(host);
  StartProgram(ws, FromNativePath(work), false);
  ws.ExtendedLogs = "NO";
  MainForm main(ws);
  host.setMainWindow(&main);
  main.move(0, 0);
  main.show();

  // The cycle: ROM and a table, extraction, the translation loaded and put back.
  OpenFileOfKind(main, FileKind::Rom, FromNativePath(work / "tictactoe.gb"));
  auto* fresh = new TableEditForm(ws, &main);
  fresh->findChild<QPushButton*>("btnResetROM")->click();
  fresh->close();
  ws.ReportFileName = FromNativePath(work / "tictactoe.txt");
  ExtractTextFromRom(ws);
  OpenFileOfKind(main, FileKind::Perevod, ws.ReportFileName);
  PutPerevodInRom(ws, 0);
  main.refreshCaption();
  Capture(&main, "mainform.png");

  // The Edit menu open, as a click on its caption leaves it. The window is made tall enough to hold the menu.
  if (auto* edit = main.findChild<QMenu*>("menuEdit")) {
    const QSize before = main.size();
    main.resize(before.width(), std::max(before.height(), main.menuBar()->height() + edit->sizeHint().height() + 12));
    Settle();
    main.menuBar()->setActiveAction(edit->menuAction());
    Settle();
    CaptureScreen(main.frameGeometry().united(edit->geometry()), "mainform-menu.png");
    edit->hide();
    main.resize(before);
    Settle();
  }

  auto* editor = new EditForm(ws, &main);
  editor->move(40, 40);
  editor->show();
  auto* list = editor->findChild<QListWidget*>("PerevodList");
  list->setCurrentRow(std::min(3, list->count() - 1));
  QMetaObject::invokeMethod(editor->findChild<QAction*>("menuRowToEdit"), "trigger");
  Capture(editor, "editform.png");
  editor->close();

  auto* table = new TableEditForm(ws, &main);
  table->move(40, 40);
  table->show();
  table->findChild<QLineEdit*>("fldStartAddr")->setText("654");
  table->ShowDumpPreview();
  Capture(table, "tableeditform.png");
  table->close();

  // The graphics window on the Game Boy font of joamag's printer demo (2BPP at &H415).
  std::filesystem::copy_file(source / "tests/data/joamag_printer.gb", work / "printer.gb", over);
  OpenFileOfKind(main, FileKind::Rom, FromNativePath(work / "printer.gb"));
  auto* graphics = new GraphicsForm(ws, &main);
  graphics->move(40, 40);
  graphics->resize(900, 560);
  graphics->show();
  graphics->findChild<QComboBox*>("fldFormat")->setCurrentIndex(1);
  graphics->findChild<QSpinBox*>("fldZoom")->setValue(3);
  graphics->findChild<QCheckBox*>("chkGrid")->setChecked(true);
  graphics->findChild<QSpinBox*>("fldColour")->setValue(3);
  auto* offset = graphics->findChild<QLineEdit*>("fldOffset");
  offset->setText("&H415");
  emit offset->editingFinished();
  Capture(graphics, "graphicsform.png");
  graphics->close();

  main.showHelp();
  if (QWidget* help = main.findChild<QWidget*>("HelpForm")) Capture(help, "helpform.png");

  // The exit's first question, as leaving with the patched ROM unsaved shows it; every
  // question is answered No.
  bool captured = false, capturing = false;
  QTimer answerer;
  answerer.setInterval(100);
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || capturing) return;
    if (!captured) {
      capturing = captured = true;
      Capture(box, "question.png");
      capturing = false;
    }
    box->button(QMessageBox::No)->click();
  });
  answerer.start();
  QObject::connect(&main, &MainForm::exitRequested, [&ws] { ExitProgram(ws); });
  main.requestExit();
  return captured ? 0 : 1;
}
