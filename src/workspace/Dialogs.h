#pragma once
// What operations ask of the user through the host: file checks, file dialogs and the
// progress bars.
#include "workspace/Workspace.h"

// Trims `name` in place and tells whether that file exists, reporting a missing one.
bool CheckFileExists(Workspace& ws, Text& name, const Text& kind);

// The chosen name of a one-file dialog, or empty when cancelled. A bare name is taken
// from the dialog's folder, the working directory.
Text ChooseFileName(Workspace& ws, FileRequest::Kind kind, const Text& title, const Text& filter);

// Shows a progress bar for the life of the object; it hides again however the work ends.
class Progress {
 public:
  Progress(Workspace& ws, Bar bar, int min, int max);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  void set(int value);

 private:
  Host& host_;
  Bar bar_;
  ProgressState state_;
};
