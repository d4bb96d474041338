#include <QApplication>
#include <QDir>

#include "app/Program.h"
#include "ui/Application.h"
#include "ui/MainForm.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "workspace/Files.h"
#include "workspace/OpenedFiles.h"

namespace {

// Beside the program (the build folder, or a copy anywhere), then the data folder of
// an installed program: relative to it first, so that a moved installation finds its own.
std::vector<Text> DataFolders() {
  const QString program = QCoreApplication::applicationDirPath();
  std::vector<Text> folders;
  for (const QString& folder : {program, QDir::cleanPath(program + "/../share/tarvello"),
                                QStringLiteral(TARVELLO_DATA_DIR)})
    if (auto text = fromQString(folder)) folders.push_back(*text);
  return folders;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SetUpApplication(app);
  QtHost host;
  Workspace ws(host);
  // Qt has taken its own options out of argv; whatever is left is the user's: the files
  // a desktop's "open with" passes, or text that names none.
  std::vector<Text> words;
  bool unreadable = false;
  for (int i = 1; i < argc; ++i) {
    if (auto word = fromQString(QString::fromLocal8Bit(argv[i])))
      words.push_back(*word);
    else
      unreadable = true;
  }
  const Text cwd = CurrentDirectory();
  const CommandLineFiles line = ReadCommandLine(words, cwd);
  StartProgram(ws, cwd, unreadable || line.otherText, DataFolders());
  MainForm window(ws);
  host.setMainWindow(&window);
  QObject::connect(&window, &MainForm::exitRequested, [&ws] {
    ExitProgram(ws);
    QApplication::exit(0);
  });
  window.show();
  window.openFiles(line.files);
  return QApplication::exec();
}
