// Translation files are edited by hand and by other tools: splitting, address reading
// and escape decoding must stay inside their input whatever it holds.
#include <cstddef>
#include <cstdint>

#include "workspace/Escapes.h"
#include "workspace/Perevod.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t total = 0;
  for (const Text& line : SplitPerevodText(input)) {
    if (line.find("\r\n") != Text::npos) __builtin_trap();
    total += line.size();
    const auto parts = ParsePerevodLine(line);
    if (parts.address < 0 || parts.address > kAddressTooLarge) __builtin_trap();
    if (DecodeEscapes(Text(parts.text)).size() > parts.text.size()) __builtin_trap();
  }
  if (total > size) __builtin_trap();
  return 0;
}
