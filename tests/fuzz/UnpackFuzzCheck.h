#pragma once
// What every unpacker fuzz target asks of a result: a refusal gives nothing, a success
// gives exactly the stated size from no more bytes than there were, and the program's
// own packer gives a stream that unpacks to the same bytes.
#include <cstdlib>
#include <string>

#include "compression/Codecs.h"

inline void Require(bool condition) {
  if (!condition) std::abort();
}

inline void CheckUnpacked(const std::string& stream, const UnpackResult& r) {
  if (r.error != StreamError::None) return Require(r.data.empty());
  const auto header = ReadStreamHeader(stream);
  Require(header && r.data.size() == header->size && r.packedSize <= stream.size());
  if (r.data.size() > 4096) return;
  const UnpackResult again = Unpack(Pack(r.data, header->type, true));
  Require(again.error == StreamError::None && again.data == r.data);
}
