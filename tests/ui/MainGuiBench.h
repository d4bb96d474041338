#pragma once
// The real main window on a scripted host: dialogs are answered from the host's
// queues, while log lines, progress and the caption reach the window as with QtHost.
#include <QAction>
#include <QApplication>
#include <functional>
#include <memory>

#include "app/Program.h"
#include "support/TestFiles.h"
#include "ui/MainForm.h"
#include "workspace/Files.h"
#include "workspace/Log.h"

class GuiHost : public ScriptedHost {
 public:
  MainForm* form = nullptr;
  // Runs inside each message box, as a user acting while the box is up.
  std::function<void(const Text&)> duringMessage;

  void logLineAdded(const Text& line) override {
    ScriptedHost::logLineAdded(line);
    if (form) form->appendLogLine(line);
  }
  void progress(Bar bar, const ProgressState& state) override {
    ScriptedHost::progress(bar, state);
    if (form) form->showProgress(bar, state);
  }
  void closeWindow(Window window) override {
    ScriptedHost::closeWindow(window);
    if (form) form->closeSideWindow(window);
  }
  void setMainCaption(const Text& caption) override {
    ScriptedHost::setMainCaption(caption);
    if (form) form->setCaption(caption);
  }
  Answer message(const Text& text, Buttons buttons, Icon icon) override {
    if (duringMessage) duringMessage(text);
    return ScriptedHost::message(text, buttons, icon);
  }
};

struct MainGuiBench {
  GuiHost host;
  Workspace ws{host};
  TempDir dir;
  std::unique_ptr<MainForm> form;
  int exits = 0;

  // `ini` is written as the settings file before the start, when given.
  explicit MainGuiBench(const std::string* ini = nullptr, bool commandLine = false) {
    if (ini) WriteBytes(dir.path() / "tarvello.ini", *ini);
    StartProgram(ws, FromNativePath(dir.path()), commandLine);
    form = std::make_unique<MainForm>(ws);
    host.form = form.get();
    QObject::connect(form.get(), &MainForm::exitRequested, [this] {
      ++exits;
      ExitProgram(ws);
    });
  }
  ~MainGuiBench() { host.form = nullptr; }

  QAction* item(const char* name) const { return form->findChild<QAction*>(name); }
  // Chooses the item as the user would; the next file dialog gets `file`.
  void click(const char* name) { item(name)->trigger(); }
  void click(const char* name, const std::string& file) {
    host.files.push_back({dir.file(file)});
    click(name);
  }
  std::filesystem::path path(const std::string& name) const { return dir.path() / name; }
  bool logged(const Text& line) const { return std::find(host.log.begin(), host.log.end(), line) != host.log.end(); }
};
