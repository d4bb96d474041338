#pragma once
// Trying the ROM in an emulator: the image in memory, unsaved changes included, is
// written to a folder of its own under the system's temporary folder and the command
// of the setting EmulatorCommand is started on it. The user's ROM files are never
// written, and the workbench does not wait for the emulator.
#include <optional>
#include <vector>

#include "workspace/Workspace.h"

// The command's words: split at spaces, a word in double quotes kept whole, and every
// "%f" replaced by `file`; a command without "%f" gets the file as its last word.
std::vector<Text> EmulatorArguments(const Text& command, const Text& file);

// The program a command's first word names: itself when it holds a "/", else the first
// executable of that name in PATH, then in /usr/games (where Debian puts emulators,
// a folder not every PATH holds). Nothing when there is none.
std::optional<Text> FindProgram(const Text& name);

// The file name the image gets: the loaded ROM's own name, or a name whose extension
// says the kind of the image (".gba" for a Game Boy Advance header, else ".gb").
Text EmulatorImageName(const Workspace& ws);

// "Запустить в эмуляторе": refuses without a ROM; a command whose program is missing
// gets a message that names the setting.
void RunInEmulator(Workspace& ws);
