#pragma once
// How insertion turns a line's text into ROM bytes. The insertion writes through it, and
// whatever must know beforehand what the insertion would write (the fit check, the
// editor's fit status) asks it too, so the two never disagree.
#include <optional>
#include <string_view>

#include "workspace/CharTable.h"

class InsertionEncoder {
 public:
  // An empty lookup stands for a table whose load was tried and failed: every character
  // is then unknown to it.
  InsertionEncoder(const Text& lookup, bool writeUnknown);
  // The workspace's table, and SkipUnknownTRChars deciding about unknown characters.
  explicit InsertionEncoder(const Workspace& ws);

  // Calls put(offset, code, unknown) for every byte insertion writes for `text` (escapes
  // already decoded), offset counted from the line's first byte. A skipped character
  // writes nothing but keeps its place: the next one still goes one byte further.
  template <class Put>
  void encode(std::string_view text, Put&& put) const {
    for (size_t i = 0; i < text.size(); ++i) {
      if (const std::optional<unsigned char> code = codec_ ? codec_->encode(text[i]) : std::nullopt)
        put(i, *code, false);
      else if (writeUnknown_)
        put(i, static_cast<unsigned char>(text[i]), true);
    }
  }

  // How many bytes encode() writes for `text`.
  size_t byteCount(std::string_view text) const;

 private:
  std::optional<TableCodec> codec_;
  bool writeUnknown_;
};
