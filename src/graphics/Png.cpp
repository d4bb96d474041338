#include "graphics/Png.h"

#include <png.h>

#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace {

constexpr const char* kSixteenBit = "16-bit channels";
constexpr const char* kTooLarge = "too large";

// The state libpng's callbacks reach through their pointer. Everything that must outlive
// a longjmp lives here, never in the frame that calls setjmp.
struct PngIo {
  std::string_view in;
  size_t pos = 0;
  std::string out;
  std::string error;
  std::vector<png_bytep> rows;
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  static_cast<PngIo*>(png_get_error_ptr(png))->error = message ? message : "libpng";
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep data, size_t length) {
  auto* io = static_cast<PngIo*>(png_get_io_ptr(png));
  if (io->in.size() - io->pos < length) png_error(png, "file ends too early");
  std::memcpy(data, io->in.data() + io->pos, length);
  io->pos += length;
}

void WriteBytes(png_structp png, png_bytep data, size_t length) {
  static_cast<PngIo*>(png_get_io_ptr(png))->out.append(reinterpret_cast<const char*>(data), length);
}

void Flush(png_structp) {}

// Packs one row of indices at `depth` bits, leftmost pixel in the high bits.
void PackRow(const std::uint8_t* pixels, int width, int depth, png_bytep row) {
  if (depth == 8) {
    std::memcpy(row, pixels, width);
    return;
  }
  const int perByte = 8 / depth;
  std::memset(row, 0, (width + perByte - 1) / perByte);
  for (int x = 0; x < width; ++x)
    row[x / perByte] |= static_cast<png_byte>((pixels[x] & ((1 << depth) - 1)) << (8 - depth * (x % perByte + 1)));
}

bool Write(PngIo& io, std::vector<std::uint8_t>& packed, const IndexedImage& image, int depth,
           const std::vector<png_color>& plte, std::string_view record) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &io, WriteBytes, Flush);
  png_set_IHDR(png, info, image.width, image.height, depth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_PLTE(png, info, plte.data(), static_cast<int>(plte.size()));
  png_text text{};
  if (!record.empty()) {
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = const_cast<char*>(kPngRecordKey);
    text.text = const_cast<char*>(record.data());
    text.text_length = record.size();
    png_set_text(png, info, &text, 1);
  }
  // Tiles are runs of one index (a glyph's background) far more than repeated strings:
  // run-length matching packs them as small as the default search at a fifth of the time.
  png_set_compression_strategy(png, Z_RLE);
  png_set_compression_level(png, 1);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    PackRow(image.pixels.data() + static_cast<size_t>(y) * image.width, image.width, depth, packed.data());
    png_write_row(png, packed.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// Sets the transforms that give one byte an index (palette) or three bytes a colour.
void ChooseTransforms(png_structp png, png_infop info, PngPicture& pic) {
  const int type = png_get_color_type(png, info);
  pic.indexed = type == PNG_COLOR_TYPE_PALETTE;
  if (pic.indexed) {
    png_set_packing(png);
    png_colorp plte = nullptr;
    int n = 0;
    if (png_get_PLTE(png, info, &plte, &n) && plte)
      for (int i = 0; i < n; ++i) pic.palette.push_back({plte[i].red, plte[i].green, plte[i].blue});
    return;
  }
  png_set_expand(png);
  png_set_strip_alpha(png);
  if (!(type & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
}

void ReadRecord(png_structp png, png_infop info, PngPicture& pic) {
  png_textp texts = nullptr;
  int n = 0;
  png_get_text(png, info, &texts, &n);
  for (int i = 0; i < n; ++i)
    if (texts[i].key && std::strcmp(texts[i].key, kPngRecordKey) == 0 && texts[i].text)
      pic.record.assign(texts[i].text, texts[i].text_length);
}

// False with io.error set when the file is refused.
bool Read(PngIo& io, PngPicture& pic, std::vector<std::uint8_t>& pixels, size_t maxPixels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &io, ReadBytes);
  png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
  png_set_user_limits(png, 0x7FFFFFF, 0x7FFFFFF);
  png_set_chunk_malloc_max(png, 16u << 20);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  if (png_get_bit_depth(png, info) == 16) png_error(png, kSixteenBit);
  if (static_cast<std::uint64_t>(width) * height > maxPixels) png_error(png, kTooLarge);
  if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) png_set_interlace_handling(png);
  ChooseTransforms(png, info, pic);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  pixels.resize(rowBytes * height);
  io.rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) io.rows[y] = pixels.data() + y * rowBytes;
  png_read_image(png, io.rows.data());
  png_read_end(png, info);
  ReadRecord(png, info, pic);
  pic.width = static_cast<int>(width);
  pic.height = static_cast<int>(height);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

// libpng takes a chunk's length on trust and allocates that much for an ancillary chunk
// before it finds the file too short; a length that the file cannot hold is refused here.
bool ChunksFit(std::string_view bytes) {
  for (size_t at = 8; at + 12 <= bytes.size();) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    const std::uint64_t length = (std::uint64_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    if (length > bytes.size() - at - 12) return false;
    if (std::memcmp(p + 4, "IEND", 4) == 0) return true;
    at += 12 + static_cast<size_t>(length);
  }
  return false;
}

}  // namespace

std::string WriteIndexedPng(const IndexedImage& image, int bitDepth, const Palette& palette, std::string_view record) {
  std::vector<png_color> plte;
  for (const Rgb& c : palette) plte.push_back({c.r, c.g, c.b});
  std::vector<std::uint8_t> packed(static_cast<size_t>(image.width) + 1);
  const std::string text(record);  // libpng wants it NUL-ended
  PngIo io;
  if (!Write(io, packed, image, bitDepth, plte, text)) throw std::runtime_error("PNG: " + io.error);
  return std::move(io.out);
}

PngReadResult ReadPng(std::string_view bytes, size_t maxPixels) {
  PngReadResult result;
  if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
    result.fault = PngFault::NotPng;
    return result;
  }
  PngIo io;
  io.in = bytes;
  if (!ChunksFit(bytes)) {
    result.fault = PngFault::Damaged;
    result.detail = "chunk runs past the end of the file";
    return result;
  }
  if (Read(io, result.picture, result.picture.data, maxPixels)) return result;
  result.fault = io.error == kSixteenBit ? PngFault::SixteenBit : io.error == kTooLarge ? PngFault::TooLarge : PngFault::Damaged;
  result.detail = io.error;
  result.picture = PngPicture();
  return result;
}
