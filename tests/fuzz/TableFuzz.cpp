// Table files come from the internet: whatever they hold, loading one must end in a
// table of 256 one-character entries or in a refusal that leaves the old table. An odd
// first byte loads in the extended mode, whose entries must each be one cutting the
// encoder could take: encoding an entry's text never needs more bytes than its code.
#include <cstddef>
#include <cstdint>

#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"
#include "workspace/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  NullHost host;
  Workspace ws(host);
  ws.ExtendedTables = size > 0 && (data[0] & 1) ? "YES" : "NO";
  try {
    const DecodedTextFile file = DecodeTextFile(std::string_view(reinterpret_cast<const char*>(data), size));
    ApplyTableText(ws, file.text);
  } catch (const OperationError&) {
    if (!ws.CharTable.empty()) __builtin_trap();
    return 0;
  }
  if (ws.CharTable.size() != 256 || ws.CharTableLookup.size() != 256) __builtin_trap();
  for (const auto& entry : ws.CharTable)
    if (utf8::Length(entry) != 1) __builtin_trap();  // one character of any script
  if (ws.TableExtended) {
    const EntryCodec entries(ws);
    for (const TableEntry& e : ws.TableEntries) {
      if (e.code.empty() || e.code.size() > 4) __builtin_trap();
      // An escape inside a text is its own byte, so such texts need not cut as their code.
      if (e.text.find('<') != Text::npos || e.text.empty()) continue;
      if (entries.encode(e.text).bytes.size() > e.code.size()) __builtin_trap();
    }
    return 0;
  }
  if (!ws.TableEntries.empty()) __builtin_trap();
  const TableCodec codec(ws.CharTableLookup);
  for (int code = 0; code < 256; ++code) {
    const auto back = codec.encode(codec.decode(static_cast<unsigned char>(code)));
    if (!back || *back > code) __builtin_trap();  // the lowest code of a character wins
  }
  return 0;
}
