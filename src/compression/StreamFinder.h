#pragma once
// Finding the compressed streams of a ROM image: every 4-aligned offset whose header
// names a format and whose data unpack exactly to the stated size, with the number of
// 4-aligned GBA pointers to each.
#include <functional>
#include <string_view>
#include <vector>

#include "compression/Codecs.h"

struct FoundStream {
  size_t offset = 0;
  StreamType type = StreamType::Lz77;
  size_t packedSize = 0;  // header included
  std::uint32_t unpackedSize = 0;
  size_t pointers = 0;
};

// The rules a stream must pass, beyond the header: it unpacks to exactly its size
// (nothing cut, nothing read past the image or before the output's start); an LZ77
// stream's unused flag bits are 0; a Huffman tree has no byte that no path reaches
// apart from up to 3 bytes of padding (packers lay it out whole). Streams that unpack
// to nothing are no data and are left out.
//
// `progress` is told the offset reached, now and then.
std::vector<FoundStream> FindStreams(std::string_view rom, const std::function<void(size_t offset)>& progress = {});
