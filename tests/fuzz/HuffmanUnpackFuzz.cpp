// Fuzz target for the Huffman (0x24 for an odd second byte) unpacker: whatever the stream holds, it reads only inside
// it, refuses or gives exactly the stated size, and what it gives packs back to itself.
#include <cstdlib>
#include <string>

#include "compression/Codecs.h"
#include "UnpackFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  std::string stream(reinterpret_cast<const char*>(data), size);
  if (!stream.empty()) stream[0] = static_cast<char>(stream.size() > 1 && stream[1] & 1 ? 0x24 : 0x28);
  CheckUnpacked(stream, UnpackHuffman(stream));
  return 0;
}
