// Writes the BPS benchmark pair for whole-process runs: bench_bps_gen FOLDER gives
// FOLDER/in.gba and FOLDER/out.gba.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "bench_bps_input.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: bench_bps_gen FOLDER\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  const auto [source, target] = BpsBenchPair();
  std::ofstream(dir / "in.gba", std::ios::binary) << source;
  std::ofstream(dir / "out.gba", std::ios::binary) << target;
  return 0;
}
