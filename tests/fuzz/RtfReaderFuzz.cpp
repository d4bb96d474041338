// The help file may be any file the settings name; its reader must survive all of them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "workspace/RtfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string html = HelpFileToHtml(input);
  // Output grows at most linearly with the input: no loop may repeat text.
  if (html.size() > 64 + size * 64) __builtin_trap();
  return 0;
}
