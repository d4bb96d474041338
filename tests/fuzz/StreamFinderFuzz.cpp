// Fuzz target for the finder: on any image it reads inside the image, and every stream
// it reports unpacks whole from its offset to the sizes it gives.
#include <cstdlib>
#include <string>

#include "UnpackFuzzCheck.h"
#include "compression/StreamFinder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string rom(reinterpret_cast<const char*>(data), size);
  for (const FoundStream& f : FindStreams(rom)) {
    const UnpackResult r = Unpack(std::string_view(rom).substr(f.offset));
    Require(f.offset % 4 == 0 && r.error == StreamError::None && !r.overran);
    Require(r.packedSize == f.packedSize && r.data.size() == f.unpackedSize);
  }
  return 0;
}
