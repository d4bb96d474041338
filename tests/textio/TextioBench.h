#pragma once
// A started workspace with a ROM, a table and a translation put straight into memory, as
// the loads would leave them.
#include <map>

#include "workspace/CharTable.h"
#include "support/TestFiles.h"
#include "workspace/Rom.h"

struct TextioBench : TestBench {
  void rom(const std::string& bytes) {
    ws.RomImage = bytes;
    DiscardRomWork(ws);
    ws.RomLoaded = true;
  }
  // Each character given as its Windows-1251 byte.
  void table(const std::map<int, char>& entries) {
    ws.CharTable.assign(256, Text(1, '\0'));
    for (auto [code, c] : entries) ws.CharTable[static_cast<size_t>(code)] = cp1251::ToUtf8(Text(1, c));
    ws.CharTableLookup = LookupOf(ws.CharTable);
    ws.TableLoaded = true;
  }
  // Codes first..last carry the characters from `c` on.
  void tableRange(int first, int last, char c) {
    std::map<int, char> entries;
    for (int code = first; code <= last; ++code) entries[code] = static_cast<char>(c + (code - first));
    table(entries);
  }
  // Lines given in Windows-1251, as a translation file holds them.
  void perevod(const std::vector<Text>& lines) {
    ws.PerevodArray.clear();
    for (const Text& line : lines) ws.PerevodArray.push_back(cp1251::ToUtf8(line));
    ws.PerevodLoaded = true;
  }
  // Lines logged from now on only.
  void clearRecords() {
    host.log.clear();
    host.messages.clear();
    host.progressCalls.clear();
    host.pumps = 0;
  }
};

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}
