#pragma once
// The workbench's main window: the menu bar that starts every command, the log pane,
// the progress bar and the exit button. It is also the window side of the host: the
// host hands it log lines, progress and the closing of the editor windows.
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>
#include <string>

#include "ui/MainFormCommands.h"
#include "workspace/Workspace.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class AboutForm;
class HelpForm;

class MainForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainForm(Workspace& ws, QWidget* parent = nullptr);
  ~MainForm() override;

  Workspace& workspace() { return ws_; }

  // The window side of the host.
  void appendLogLine(const Text& line);
  // Shows the lines not yet in the pane; runs by itself at the next event-loop pass.
  void flushLog();
  void showProgress(Bar bar, const ProgressState& state);
  // ProgressBar2 lives in the translation editor; it routes its bar here while it is open.
  void setEditorProgress(std::function<void(const ProgressState&)> show) { editorProgress_ = std::move(show); }
  // Windows that operations close before they replace the translation (the editor and
  // the find dialog) register how to close them while they are open.
  void registerSideWindow(Window window, std::function<void()> close) { sideWindows_[window] = std::move(close); }
  void unregisterSideWindow(Window window) { sideWindows_.erase(window); }
  void closeSideWindow(Window window);

  // Runs a command unless another one is running; false when it was not started. Every
  // menu item goes through here, and the tool windows route their buttons through it
  // too, so that no command starts inside another that is still working on the lines.
  bool runCommand(const std::function<void()>& command);
  bool busy() const { return busy_; }

  // The tool windows exist once each: made on first use, brought up again afterwards.
  void showToolWindow(const std::string& name, const std::function<QWidget*(MainForm&)>& make);
  QWidget* toolWindow(const std::string& name) const;
  void showHelp();
  void showAbout();

  // Loads files named outside the menus (dropped, or on the command line), each
  // through its kind's command, in order.
  void openFiles(const std::vector<std::pair<FileKind, Text>>& files);

  // The caption the operations set; "*" is added while anything is changed and unsaved.
  void setCaption(const Text& caption);
  void refreshCaption();

  // The exit button, the Exit item and the close box. During a command the exit waits
  // for the command's end; once begun it cannot be cancelled.
  void requestExit();

 signals:
  // Disables or enables the buttons of the tool windows with the menus.
  void busyChanged(bool busy);
  // The program's shutdown runs on this; the window only asks for it.
  void exitRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  // ROMs, tables, translations and patches dropped on the window load as by their commands.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenus();
  void buildRecentFilesMenu();
  void syncRecentFiles();
  void syncOptionChecks();
  void setBusy(bool busy);
  // The place and size kept in the settings between runs.
  void applyRememberedGeometry();
  void rememberGeometry();

  Workspace& ws_;
  const std::vector<MenuEntry> menu_;
  QPlainTextEdit* logText_;
  QProgressBar* progressBar_;
  QPushButton* exitButton_;
  QMenu* recentFiles_ = nullptr;
  Text caption_;
  bool logAtEnd_ = true;  // the pane follows the newest line unless the user scrolled up
  bool logSettling_ = false;  // the pane is re-wrapping after a resize
  std::map<QAction*, const MenuEntry*> optionItems_;
  QStringList pendingLog_;
  std::function<void(const ProgressState&)> editorProgress_;
  std::map<Window, std::function<void()>> sideWindows_;
  std::map<std::string, QPointer<QWidget>> toolWindows_;
  QPointer<HelpForm> helpForm_;
  AboutForm* aboutForm_ = nullptr;
  bool busy_ = false;
  bool exitPending_ = false;
  bool exiting_ = false;
};

// Design sizes are in twips; 15 twips are one pixel at 96 dots per inch.
constexpr int Twips(int twips) {
  return (twips + 7) / 15;
}
