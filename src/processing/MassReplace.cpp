#include "processing/MassReplace.h"

#include <cstring>

namespace {

// Texts never hold a CR LF, so a separator of one keeps most false hits across the
// seam away; the end check of each hit rejects the rest.
constexpr std::string_view kSeam = "\r\n";

}  // namespace

TranslationTexts::TranslationTexts(const std::vector<Text>& lines) {
  size_t total = 0;
  for (const auto& line : lines) total += line.size() + kSeam.size();
  buffer_.reserve(total);
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t space = lines[i].find(' ');
    if (space == Text::npos) continue;
    if (!entries_.empty()) buffer_ += kSeam;
    const size_t len = lines[i].size() - space - 1;
    entries_.push_back(Entry{i, space + 1, buffer_.size(), len});
    buffer_.append(lines[i], space + 1, len);
  }
}

size_t TranslationTexts::entryAt(size_t pos, size_t from) const {
  while (from + 1 < entries_.size() && entries_[from + 1].start <= pos) ++from;
  return from;
}

size_t TranslationTexts::replaceAll(std::string_view word, std::string_view replacement,
                                    const std::function<void(size_t line)>& touched) {
  size_t lines = 0;
  if (word.empty()) {
    for (const auto& entry : entries_) {
      if (entry.len == 0) continue;
      touched(entry.line);
      ++lines;
    }
    return lines;
  }
  std::vector<size_t> hits;
  size_t e = 0;
  size_t lastTouched = entries_.size();
  for (size_t pos = 0; pos + word.size() <= buffer_.size();) {
    const void* found = ::memmem(buffer_.data() + pos, buffer_.size() - pos, word.data(), word.size());
    if (!found) break;
    const size_t at = static_cast<size_t>(static_cast<const char*>(found) - buffer_.data());
    e = entryAt(at, e);
    Entry& entry = entries_[e];
    if (at + word.size() > entry.start + entry.len) {  // runs over the end of its text
      pos = e + 1 < entries_.size() ? entries_[e + 1].start : buffer_.size();
      continue;
    }
    if (e != lastTouched) {
      touched(entry.line);
      ++lines;
      lastTouched = e;
      entry.changed = true;
    }
    hits.push_back(at);
    pos = at + word.size();
  }
  if (hits.empty()) return 0;
  if (replacement.size() == word.size()) {
    for (size_t at : hits) std::memcpy(buffer_.data() + at, replacement.data(), replacement.size());
  } else {
    rebuild(hits, word.size(), replacement);
  }
  return lines;
}

void TranslationTexts::rebuild(const std::vector<size_t>& hits, size_t wordLen, std::string_view replacement) {
  Text out;
  out.reserve(buffer_.size() + hits.size() * replacement.size());
  size_t from = 0;
  size_t h = 0;
  for (Entry& entry : entries_) {
    const size_t end = entry.start + entry.len;
    out.append(buffer_, from, entry.start - from);
    size_t cur = entry.start;
    entry.start = out.size();
    for (; h < hits.size() && hits[h] < end; ++h) {
      out.append(buffer_, cur, hits[h] - cur);
      out.append(replacement);
      cur = hits[h] + wordLen;
    }
    out.append(buffer_, cur, end - cur);
    entry.len = out.size() - entry.start;
    from = end;
  }
  out.append(buffer_, from);
  buffer_ = std::move(out);
}

void TranslationTexts::writeBack(std::vector<Text>& lines) const {
  for (const auto& entry : entries_) {
    if (!entry.changed) continue;
    Text& line = lines[entry.line];
    line.replace(entry.textOffset, Text::npos, buffer_, entry.start, entry.len);
  }
}
