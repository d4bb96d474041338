#pragma once
// The main window's command set: every item of the menu bar in order, with what it does.
#include <functional>
#include <vector>

#include "workspace/OpenedFiles.h"
#include "workspace/Workspace.h"

class MainForm;

// What a menu item does; `caption` is the item's caption as program text.
using MenuHandler = std::function<void(MainForm& form, const Text& caption)>;

struct MenuEntry {
  int level;                          // 0: the menu bar, 1: its menus' items, 2: items of a submenu
  const char* name;                   // the objectName of the item
  const char* caption;                // UTF-8, shown as it is
  MenuHandler run;                    // empty for a submenu and for the disabled item
  Text Workspace::*option = nullptr;  // a toggle with a check mark
  bool enabled = true;
  const char* checkedValue = "YES";  // the option's value that shows the check mark
};

// The menu bar in order; each window builds its own copy.
std::vector<MenuEntry> MainMenuEntries();

// Loads a file named without the command's dialog (dropped on the main window, or a
// recent file) through its kind's operation, with the operation's usual questions; a
// ROM, table or translation that loads joins the recent files.
void OpenFileOfKind(MainForm& form, FileKind kind, const Text& path);

// The one answer of every command whose operation has not been built yet.
void LogNotAvailable(Workspace& ws, const Text& caption);
