#include "textio/InsertionEncoder.h"

InsertionEncoder::InsertionEncoder(const std::u32string& lookup, bool writeUnknown) : writeUnknown_(writeUnknown) {
  if (!lookup.empty()) codec_.emplace(lookup);
}

InsertionEncoder::InsertionEncoder(const Workspace& ws)
    : InsertionEncoder(ws.TableExtended ? std::u32string() : ws.CharTableLookup, ws.SkipUnknownTRChars == "NO") {
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

size_t InsertionEncoder::lineNeed(std::string_view image, std::int64_t address, std::string_view typed) const {
  if (entries_)
    if (const auto held = entries_->matchesImage(image, address - 1, typed)) return *held;
  return lineByteCount(typed);
}

size_t InsertionEncoder::lineSpan(std::string_view image, std::int64_t address, std::string_view typed) const {
  if (!entries_) return typed.find('<') == std::string_view::npos ? typed.size() : DecodeEscapes(Text(typed)).size();
  if (const auto held = entries_->matchesImage(image, address - 1, typed)) return *held;
  return entries_->encode(typed).bytes.size();
}
