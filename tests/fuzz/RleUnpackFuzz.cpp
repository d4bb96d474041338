// Fuzz target for the RLE unpacker: whatever the stream holds, it reads only inside
// it, refuses or gives exactly the stated size, and what it gives packs back to itself.
#include <cstdlib>
#include <string>

#include "compression/Codecs.h"
#include "UnpackFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  std::string stream(reinterpret_cast<const char*>(data), size);
  if (!stream.empty()) stream[0] = static_cast<char>(0x30);
  CheckUnpacked(stream, UnpackRle(stream));
  return 0;
}
