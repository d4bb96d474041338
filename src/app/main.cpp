#include <QApplication>

#include "app/Program.h"
#include "ui/Application.h"
#include "ui/MainForm.h"
#include "ui/QtHost.h"
#include "workspace/Files.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SetUpApplication(app);
  QtHost host;
  Workspace ws(host);
  // Qt has taken its own options out of argv; whatever is left is the user's.
  StartProgram(ws, CurrentDirectory(), argc > 1);
  MainForm window(ws);
  host.setMainWindow(&window);
  QObject::connect(&window, &MainForm::exitRequested, [&ws] {
    ExitProgram(ws);
    QApplication::exit(0);
  });
  window.show();
  return QApplication::exec();
}
