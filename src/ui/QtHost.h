#pragma once
// The host on real Qt dialogs, parented to the main window.
#include <QElapsedTimer>
#include <QPointer>

#include "workspace/Host.h"

class MainForm;
class QProgressBar;

class QtHost : public Host {
 public:
  explicit QtHost(MainForm* window);
  void setWindow(MainForm* window) { window_ = window; }

  void logLineAdded(const Text& line) override;
  void pumpEvents() override;
  Answer message(const Text& text, Buttons buttons, Icon icon) override;
  std::optional<Text> inputBox(const Text& prompt, const Text& title, const Text& answer) override;
  std::vector<Text> chooseFiles(const FileRequest& request) override;
  void progress(Bar bar, const ProgressState& state) override;
  void closeWindow(Window window) override;
  void setMainCaption(const Text& caption) override;

 private:
  QPointer<MainForm> window_;
  QElapsedTimer sincePump_;
};

// "Описание (*.a;*.b)|*.a;*.b|..." as Qt's "Описание (*.a *.b);;...".
QString QtFilter(const Text& windowsFilter);
