// Writes the inputs of the whole-process comparisons into a folder:
//   cart.gba   the 32 MiB image of bench_textio (50,000 strings among random bytes)
//   ascii.tbl  the printable ASCII bytes as themselves
//   ptr.gba    the same image with pointers to the first 10,000 strings
//   ptr.txt    translation lines for those 10,000 strings
//   put.txt    a 100,000-line translation over the strings of cart.gba
// usage: bench_textio_gen FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include "bench_textio_input.h"

namespace {

bool Write(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out);
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_textio_gen FOLDER\n");
    return 2;
  }
  using namespace bench_textio;
  const std::string dir = std::string(argv[1]) + "/";
  Cartridge c = MakeCartridge();
  bool ok = Write(dir + "cart.gba", c.image) && Write(dir + "ascii.tbl", AsciiTableFile()) &&
            Write(dir + "put.txt", Lines(TranslationOf(c, 100000)));
  AddPointers(c, 10000);
  ok = ok && Write(dir + "ptr.gba", c.image) && Write(dir + "ptr.txt", Lines(TranslationOf(c, 10000)));
  if (!ok) std::fprintf(stderr, "bench_textio_gen: cannot write into %s\n", argv[1]);
  return ok ? 0 : 1;
}
