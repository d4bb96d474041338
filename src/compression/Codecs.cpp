#include "compression/Codecs.h"

std::optional<StreamHeader> ReadStreamHeader(std::string_view data) {
  if (data.size() < 4) return std::nullopt;
  const auto byte = [&](size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[i])); };
  const std::uint32_t type = byte(0);
  if (type != 0x10 && type != 0x24 && type != 0x28 && type != 0x30) return std::nullopt;
  return StreamHeader{static_cast<StreamType>(type), byte(1) | byte(2) << 8 | byte(3) << 16};
}

std::string StreamHeaderBytes(StreamType type, std::uint32_t size) {
  return {static_cast<char>(type), static_cast<char>(size & 0xFF), static_cast<char>(size >> 8 & 0xFF),
          static_cast<char>(size >> 16 & 0xFF)};
}

UnpackResult Unpack(std::string_view data) {
  const auto header = ReadStreamHeader(data);
  if (!header) {
    UnpackResult r;
    r.error = data.size() < 4 ? StreamError::Truncated : StreamError::UnknownType;
    return r;
  }
  switch (header->type) {
    case StreamType::Lz77: return UnpackLz77(data);
    case StreamType::Rle: return UnpackRle(data);
    case StreamType::Huff4:
    case StreamType::Huff8: return UnpackHuffman(data);
  }
  return {};
}

std::string Pack(std::string_view input, StreamType type, bool vramSafe) {
  switch (type) {
    case StreamType::Lz77: return PackLz77(input, vramSafe);
    case StreamType::Rle: return PackRle(input);
    case StreamType::Huff4: return PackHuffman(input, 4);
    case StreamType::Huff8: return PackHuffman(input, 8);
  }
  return {};
}

const char* StreamTypeName(StreamType type) {
  switch (type) {
    case StreamType::Lz77: return "LZ77";
    case StreamType::Rle: return "RLE";
    case StreamType::Huff4: return "HUFF4";
    case StreamType::Huff8: return "HUFF8";
  }
  return "";
}
