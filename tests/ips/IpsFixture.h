#pragma once
// A workspace with a ROM, a patch and a table set in memory, for the IPS tests.
#include <gtest/gtest.h>

#include <algorithm>

#include "workspace/CharTable.h"
#include "support/TestFiles.h"
#include "workspace/Rom.h"
#include "workspace/Workspace.h"

class IpsTest : public testing::Test {
 protected:
  TestBench b;
  Workspace& ws = b.ws;
  ScriptedHost& host = b.host;

  void setRom(const std::string& bytes, const Text& name = "rom.gb") {
    ws.RomImage = bytes;
    DiscardRomWork(ws);
    ws.InputRomFileName = name;
    ws.RomLoaded = true;
  }
  void setPatch(const std::string& bytes, const Text& name = "p.ips") {
    ws.IpsImage = bytes;
    ws.IPSFileName = name;
    ws.IpsLoaded = true;
  }
  // A table that gives each listed code its character; every other code none.
  void setTable(std::initializer_list<std::pair<int, char>> entries) {
    ws.CharTable.assign(256, Text(1, '\0'));
    for (auto [code, c] : entries) ws.CharTable[static_cast<size_t>(code)] = Text(1, c);
    ws.CharTableLookup.clear();
    ws.CharTableLookup = LookupOf(ws.CharTable);
    ws.TableLoaded = true;
  }
  // Upper-case Latin letters at 0x80 + (letter - 'A'), as a game font might hold them.
  void setLetterTable() {
    ws.CharTable.assign(256, Text(1, '\0'));
    for (char c = 'A'; c <= 'Z'; ++c) ws.CharTable[static_cast<size_t>(0x80 + c - 'A')] = Text(1, c);
    ws.CharTableLookup.clear();
    ws.CharTableLookup = LookupOf(ws.CharTable);
    ws.TableLoaded = true;
  }
  bool logged(const Text& line) const { return std::find(host.log.begin(), host.log.end(), line) != host.log.end(); }
  // Every progress value shown stayed within its bar, and the bar is hidden at the end.
  void expectProgressSane() const {
    for (const auto& [bar, state] : host.progressCalls) {
      EXPECT_LE(state.min, state.value);
      EXPECT_LE(state.value, state.max);
    }
    if (!host.progressCalls.empty()) {
      EXPECT_FALSE(host.progressCalls.back().second.visible);
    }
  }
};

// Bytes that vary along the image, so a misplaced write shows.
inline std::string Pattern(size_t n, unsigned seed = 7) {
  std::string out(n, '\0');
  std::uint32_t x = seed;
  for (auto& c : out) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return out;
}
