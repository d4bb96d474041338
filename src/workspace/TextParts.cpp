#include "workspace/TextParts.h"

Text TrimSpaces(const Text& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == Text::npos) return Text();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<Text> SplitAt(const Text& text, char separator) {
  std::vector<Text> parts;
  size_t from = 0;
  for (size_t at; (at = text.find(separator, from)) != Text::npos; from = at + 1)
    parts.push_back(text.substr(from, at - from));
  parts.push_back(text.substr(from));
  return parts;
}
