// Table files come from the internet: whatever they hold, loading one must end in a
// table of 256 one-character entries or in a refusal that leaves the old table.
#include <cstddef>
#include <cstdint>

#include "workspace/CharTable.h"
#include "workspace/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  NullHost host;
  Workspace ws(host);
  try {
    const DecodedTextFile file = DecodeTextFile(std::string_view(reinterpret_cast<const char*>(data), size));
    ApplyTableText(ws, file.text, file.foreign);
  } catch (const OperationError&) {
    if (!ws.CharTable.empty()) __builtin_trap();
    return 0;
  }
  if (ws.CharTable.size() != 256 || ws.CharTableLookup.size() != 256) __builtin_trap();
  for (const auto& entry : ws.CharTable)
    if (entry.size() != 1) __builtin_trap();
  const TableCodec codec(ws.CharTableLookup);
  for (int code = 0; code < 256; ++code) {
    const auto back = codec.encode(codec.decode(static_cast<unsigned char>(code)));
    if (!back || *back > code) __builtin_trap();  // the lowest code of a character wins
  }
  return 0;
}
