#pragma once
// How insertion turns a line's text into ROM bytes. The insertion writes through it, and
// whatever must know beforehand what the insertion would write (the fit check, the
// editor's fit status) asks it too, so the two never disagree.
#include <cstdint>
#include <optional>
#include <string_view>

#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"
#include "workspace/Escapes.h"

class InsertionEncoder {
 public:
  // An empty lookup stands for a table whose load was tried and failed: every character
  // is then unknown to it.
  InsertionEncoder(const std::u32string& lookup, bool writeUnknown);
  // The workspace's table, and SkipUnknownTRChars deciding about unknown characters.
  explicit InsertionEncoder(const Workspace& ws);

  // Calls put(offset, code, unknown) for every byte insertion writes for `text` (escapes
  // already decoded), offset counted in characters from the line's first one. A skipped
  // character writes nothing but keeps its place: the next one still goes one byte further.
  template <class Put>
  void encode(std::string_view text, Put&& put) const {
    size_t k = 0;
    for (size_t i = 0; i < text.size(); ++k) {
      const char32_t c = utf8::Next(text, i);
      if (const std::optional<unsigned char> code = codec_ ? codec_->encode(c) : std::nullopt)
        put(k, *code, false);
      else if (writeUnknown_)
        put(k, UnknownCharByte(c), true);
    }
  }

  // How many bytes encode() writes for `text`.
  size_t byteCount(std::string_view text) const;

  // The extended table's codec when the table was read in that mode. It takes a line's
  // text as typed, escapes and all, and cuts it whole.
  const EntryCodec* entries() const { return entries_ ? &*entries_ : nullptr; }
  // encode() for a text as typed: through the extended table when there is one, else
  // with its escapes decoded first.
  template <class Put>
  void encodeLine(std::string_view typed, Put&& put) const;
  // How many bytes encodeLine() writes for `typed`.
  size_t lineByteCount(std::string_view typed) const;

  // What insertion leaves for `typed` at `address` (1-based) of `image`. Through an
  // extended table a line the image already decodes to is left alone: its bytes are
  // the ones it keeps. Otherwise, the bytes encodeLine() writes (lineNeed) or the
  // stretch they take, a skipped unknown character keeping its place (lineSpan).
  size_t lineNeed(std::string_view image, std::int64_t address, std::string_view typed) const;
  size_t lineSpan(std::string_view image, std::int64_t address, std::string_view typed) const;

 private:
  std::optional<TableCodec> codec_;
  std::optional<EntryCodec> entries_;
  bool writeUnknown_;
};

template <class Put>
void InsertionEncoder::encodeLine(std::string_view typed, Put&& put) const {
  if (!entries_) {
    encode(typed.find('<') == std::string_view::npos ? Text(typed) : DecodeEscapes(Text(typed)), put);
    return;
  }
  const EntryCodec::Encoded encoded = entries_->encode(typed);
  auto unknown = encoded.unknown.begin();
  for (size_t i = 0; i < encoded.bytes.size(); ++i) {
    const bool isUnknown = unknown != encoded.unknown.end() && *unknown == i;
    if (isUnknown) ++unknown;
    if (!isUnknown || writeUnknown_) put(i, static_cast<unsigned char>(encoded.bytes[i]), isUnknown);
  }
}
