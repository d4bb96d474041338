#pragma once
// The GBA BIOS's compressed formats: LZ77 (0x10), run-length (0x30) and Huffman with
// 4- or 8-bit symbols (0x24, 0x28). A stream is a 4-byte header (type byte, 24-bit
// unpacked size) and the packed data. The unpackers trust nothing they read; the
// packers write the smallest stream each format allows.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class StreamType : std::uint8_t { Lz77 = 0x10, Huff4 = 0x24, Huff8 = 0x28, Rle = 0x30 };

// The largest unpacked size a header can state.
inline constexpr std::uint32_t kMaxUnpackedSize = 0xFFFFFF;

// Why a stream was refused; None for a stream that unpacked.
enum class StreamError : std::uint8_t {
  None,
  UnknownType,     // the first byte names no format
  Truncated,       // the data ends before the stated size is reached
  CopyBeforeStart, // an LZ77 copy reaches before the output's first byte
  TreeOutOfRange,  // a Huffman child lies beyond the tree
  EmptyTree,       // a Huffman tree without a single inner node's room
  BadSymbol,       // a 4-bit Huffman leaf above 15
};

struct StreamHeader {
  StreamType type;
  std::uint32_t size;  // unpacked bytes
};

// The header at the start of `data`, when there are 4 bytes and the type is known.
std::optional<StreamHeader> ReadStreamHeader(std::string_view data);
std::string StreamHeaderBytes(StreamType type, std::uint32_t size);

struct UnpackResult {
  std::string data;        // exactly the stated size when error is None
  size_t packedSize = 0;   // header included: the bytes the stream took
  StreamError error = StreamError::None;
  bool overran = false;    // the last item reached past the size and was cut there
};

// Unpacks the stream that starts at data[0]; reads never leave `data`.
UnpackResult Unpack(std::string_view data);
UnpackResult UnpackLz77(std::string_view data);
UnpackResult UnpackRle(std::string_view data);
UnpackResult UnpackHuffman(std::string_view data);

// How a stream passed the finder's checks, without building its output: packed size and
// whether the unused flag bits of a last LZ77 group are all 0.
struct StreamCheck {
  StreamError error = StreamError::None;
  size_t packedSize = 0;
  bool overran = false;
  bool zeroTail = true;
};
StreamCheck CheckLz77(std::string_view data);
StreamCheck CheckHuffman(std::string_view data);
// The bytes of a Huffman tree that no path from the root reaches; SIZE_MAX for a tree
// with a child out of range or a node reached twice.
size_t HuffmanTreeUnusedBytes(std::string_view data);

// The smallest stream of each kind. `vramSafe` LZ77 never copies from distance 1, which
// the BIOS's 16-bit unpacker cannot do. Inputs above kMaxUnpackedSize throw std::length_error.
std::string PackLz77(std::string_view input, bool vramSafe);
std::string PackRle(std::string_view input);
std::string PackHuffman(std::string_view input, int symbolBits);
std::string Pack(std::string_view input, StreamType type, bool vramSafe);

// The format's name in reports: LZ77, RLE, HUFF4, HUFF8.
const char* StreamTypeName(StreamType type);
