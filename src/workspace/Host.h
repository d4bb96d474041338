#pragma once
// The port through which operations reach the user: every message box, input box,
// file dialog, progress bar and event-loop pass of the core goes through a Host.
#include <ctime>
#include <optional>
#include <vector>

#include "workspace/Cp1251.h"

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Critical, Exclamation, Information };
enum class Answer { Ok, Cancel, Yes, No };

struct FileRequest {
  enum class Kind { Open, Save } kind = Kind::Open;
  Text title;
  Text filter;    // "Описание (*.a;*.b)|*.a;*.b|..."
  Text fileName;  // the name the dialog starts with
  bool multiSelect = false;
};

enum class Bar { Main, Editor };  // ProgressBar1 of the main window, ProgressBar2 of the editor

struct ProgressState {
  bool visible = false;
  int min = 0;
  int max = 0;
  int value = 0;
};

enum class Window { EditForm, FindForm };

class Host {
 public:
  virtual ~Host() = default;
  virtual void logLineAdded(const Text& line) = 0;
  virtual void pumpEvents() = 0;
  virtual Answer message(const Text& text, Buttons buttons, Icon icon) = 0;
  virtual std::optional<Text> inputBox(const Text& prompt, const Text& title, const Text& answer) = 0;
  // Absolute file names; empty when the dialog was cancelled.
  virtual std::vector<Text> chooseFiles(const FileRequest& request) = 0;
  virtual void progress(Bar bar, const ProgressState& state) = 0;
  virtual void closeWindow(Window window) = 0;
  virtual void setMainCaption(const Text& caption) = 0;
  // Called once for every general error line and every path-not-found report, so that
  // a batch run can tell that a step failed.
  virtual void failureReported() {}
  // The local clock; hosts under test pin it so stamped names are repeatable.
  virtual std::tm localTime() const;
};

// Answers every question with its safe default and shows nothing: for benchmarks and
// for hosts that only need to override a few calls.
class NullHost : public Host {
 public:
  void logLineAdded(const Text&) override {}
  void pumpEvents() override {}
  Answer message(const Text&, Buttons buttons, Icon) override;
  std::optional<Text> inputBox(const Text&, const Text&, const Text&) override { return std::nullopt; }
  std::vector<Text> chooseFiles(const FileRequest&) override { return {}; }
  void progress(Bar, const ProgressState&) override {}
  void closeWindow(Window) override {}
  void setMainCaption(const Text&) override {}
};

// The answer a question gets when nobody is there to answer it: No, Cancel, or OK
// where OK is the only button.
Answer DefaultAnswer(Buttons buttons);
