#pragma once
// Workspaces with a ROM image and a table already in place, for the tool tests.
#include <string>

#include "support/TestFiles.h"
#include "workspace/CharTable.h"
#include "workspace/Rom.h"

inline void PutRom(Workspace& ws, const std::string& image) {
  ws.RomImage = image;
  DiscardRomWork(ws);
  ws.InputRomFileName = "game.gb";
  ws.RomLoaded = true;
}

// A table giving every code a printable character except the codes in `undefined`.
inline void PutTable(Workspace& ws, const std::string& undefined = "") {
  std::string text;
  static const char kHex[] = "0123456789ABCDEF";
  for (int code = 0; code < 256; ++code) {
    if (undefined.find(static_cast<char>(code)) != std::string::npos) continue;
    const char c = static_cast<char>(code < 0x20 || code == '=' || code == 0x7F ? 'A' + code % 26 : code);
    text += std::string{kHex[code >> 4], kHex[code & 15], '=', c, '\r', '\n'};
  }
  ApplyTableText(ws, text);
  ws.TableLoaded = true;
}

inline bool Contains(const std::vector<Text>& lines, const Text& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}
