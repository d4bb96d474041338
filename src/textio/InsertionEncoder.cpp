#include "textio/InsertionEncoder.h"

InsertionEncoder::InsertionEncoder(const Text& lookup, bool writeUnknown) : writeUnknown_(writeUnknown) {
  if (!lookup.empty()) codec_.emplace(lookup);
}

InsertionEncoder::InsertionEncoder(const Workspace& ws)
    : InsertionEncoder(ws.TableExtended ? Text() : ws.CharTableLookup, ws.SkipUnknownTRChars == "NO") {
  if (ws.TableExtended) entries_.emplace(ws);
}

size_t InsertionEncoder::byteCount(std::string_view text) const {
  size_t count = 0;
  encode(text, [&count](size_t, unsigned char, bool) { ++count; });
  return count;
}

size_t InsertionEncoder::lineByteCount(std::string_view typed) const {
  // Most lines hold no escape; they are counted as they stand, without a decoded copy.
  if (!entries_ && typed.find('<') == std::string_view::npos) return byteCount(typed);
  size_t count = 0;
  encodeLine(typed, [&count](size_t, unsigned char, bool) { ++count; });
  return count;
}
