#pragma once
// A started workspace with a ROM, a table and a translation put straight into memory, as
// the loads would leave them.
#include <map>

#include "support/TestFiles.h"
#include "workspace/Rom.h"

struct TextioBench : TestBench {
  void rom(const std::string& bytes) {
    ws.RomImage = bytes;
    DiscardRomWork(ws);
    ws.RomLoaded = true;
  }
  void table(const std::map<int, char>& entries) {
    ws.CharTable.assign(256, Text(1, '\0'));
    for (auto [code, c] : entries) ws.CharTable[static_cast<size_t>(code)] = Text(1, c);
    ws.CharTableLookup.clear();
    for (const auto& entry : ws.CharTable) ws.CharTableLookup += entry;
    ws.TableLoaded = true;
  }
  // Codes first..last carry the characters from `c` on.
  void tableRange(int first, int last, char c) {
    std::map<int, char> entries;
    for (int code = first; code <= last; ++code) entries[code] = static_cast<char>(c + (code - first));
    table(entries);
  }
  void perevod(std::vector<Text> lines) {
    ws.PerevodArray = std::move(lines);
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
