#include "textio/InsertionEncoder.h"

InsertionEncoder::InsertionEncoder(const Text& lookup, bool writeUnknown) : writeUnknown_(writeUnknown) {
  if (!lookup.empty()) codec_.emplace(lookup);
}

InsertionEncoder::InsertionEncoder(const Workspace& ws)
    : InsertionEncoder(ws.CharTableLookup, ws.SkipUnknownTRChars == "NO") {}

size_t InsertionEncoder::byteCount(std::string_view text) const {
  size_t count = 0;
  encode(text, [&count](size_t, unsigned char, bool) { ++count; });
  return count;
}
