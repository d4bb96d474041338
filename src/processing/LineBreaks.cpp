#include "processing/LineBreaks.h"

namespace {

bool CrLfAt(std::string_view s, size_t at) {
  return at + 1 < s.size() && s[at] == '\r' && s[at + 1] == '\n';
}

}  // namespace

Text CollapseLineBreaks(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (!CrLfAt(text, i)) {
      out += text[i++];
      continue;
    }
    out += "\r\n";
    i += 2;
    while (CrLfAt(text, i)) i += 2;
  }
  return out;
}

std::vector<Text> SplitAtCrLf(std::string_view text) {
  std::vector<Text> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) break;
    lines.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
  lines.emplace_back(text.substr(start));
  return lines;
}

Text SqueezeLineBreaks(std::string_view glued) {
  Text collapsed = CollapseLineBreaks(glued);
  if (collapsed.ends_with("\r\n")) collapsed.resize(collapsed.size() - 2);
  return collapsed;
}
