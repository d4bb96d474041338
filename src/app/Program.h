#pragma once
// The program's start and end around the main window.
#include "workspace/Workspace.h"

// Prepares the workspace before the main window is shown: the settings read, the
// version texts built, the defaults applied. Command-line text that names no file to
// load only gets the message that there is no batch mode.
// The help file, when the settings name none and the working folder has none, is the
// first one found in `dataFolders` (beside the program, its installed data folder).
void StartProgram(Workspace& ws, const Text& cwd, bool hasCommandLine, const std::vector<Text>& dataFolders = {});

// The shutdown, which cannot be cancelled: the settings are written first, then each
// changed object is offered for saving, then the log is appended to the log file. The
// caller ends the program right after.
void ExitProgram(Workspace& ws);
