#include <QApplication>

#include "ui/MainForm.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Settings.h"
#include "workspace/Workspace.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  MainForm window;
  QtHost host(&window);
  Workspace ws(host);
  const Text cwd = CurrentDirectory();
  InitWorkspace(ws, cwd);
  ReadSettings(ws);
  ApplyStartupDefaults(ws, cwd);
  window.setWindowTitle(toQString(ws.VersionText));
  window.show();
  const int status = QApplication::exec();
  WriteSettings(ws);
  SaveLogFile(ws);
  return status;
}
