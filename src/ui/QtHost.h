#pragma once
// The host on real Qt dialogs. What belongs to windows (the log pane, the progress
// bars, the caption, closing the editor windows) is passed on to the main window;
// the questions, input boxes and file dialogs are shown here, each over the window
// whose command asked (the active one), which gets the focus back when it closes.
#include <QElapsedTimer>
#include <QFont>
#include <QPointer>

#include "workspace/Host.h"

class MainForm;
class QWidget;

class QtHost : public Host {
 public:
  QtHost() { sincePump_.start(); }
  void setMainWindow(MainForm* window) { window_ = window; }

  void logLineAdded(const Text& line) override;
  void pumpEvents() override;
  Answer message(const Text& text, Buttons buttons, Icon icon) override;
  std::optional<Text> inputBox(const Text& prompt, const Text& title, const Text& answer) override;
  std::vector<Text> chooseFiles(const FileRequest& request) override;
  void progress(Bar bar, const ProgressState& state) override;
  void closeWindow(Window window) override;
  void setMainCaption(const Text& caption) override;

 private:
  QWidget* parent() const;
  QPointer<MainForm> window_;
  QElapsedTimer sincePump_;
};

// The title of every message box: the program's name, as a box without a title of its
// own shows it.
QString BoxTitle();

// "Описание (*.a;*.b)|*.a;*.b|..." as Qt's "Описание (*.a *.b);;...".
QString QtFilter(const Text& windowsFilter);

// A name chosen in a save dialog, with the extension of the Qt filter chosen ("a" under
// "Файл перевода (*.txt)" is "a.txt") when the name has none; under "every file" as it is.
QString WithFilterExtension(const QString& name, const QString& qtFilter);

// The font dialog: the chosen font, or nothing when cancelled. For the windows that
// let the user pick their fonts.
std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial);
