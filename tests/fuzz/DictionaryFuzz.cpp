// Dictionaries are shared between translators and edited by hand. Whatever a
// word-for-word dictionary holds, its pairs must fit their slots and applying them must
// do what replacing in each line by itself does; whatever a clean-up dictionary holds,
// its index must agree with a plain search.
#include <cstddef>
#include <cstdint>

#include "processing/Dictionary.h"
#include "processing/MassReplace.h"
#include "processing/ShortTextIndex.h"
#include "workspace/Errors.h"
#include "workspace/Perevod.h"

namespace {

Text ReplaceEach(std::string_view text, const Text& word, const Text& repl) {
  Text out;
  size_t from = 0;
  for (size_t at; (at = text.find(word, from)) != Text::npos; from = at + word.size()) {
    out.append(text.substr(from, at - from));
    out += repl;
  }
  return out.append(text.substr(from));
}

void CheckPairs(const std::string_view dictionary, const std::string_view translation) {
  NullHost host;
  Workspace ws(host);
  TRVocabularyData voc;
  try {
    voc = ParseTRVocabulary(ws, dictionary);
  } catch (const OperationError&) {
    return;
  }
  if (voc.words.size() != voc.replacements.size() || static_cast<size_t>(voc.count) > voc.words.size())
    __builtin_trap();
  std::vector<Text> lines = SplitPerevodText(translation);
  std::vector<Text> expected = lines;
  TranslationTexts texts(lines);
  for (int i = 0; i < voc.count && i < 8; ++i) {
    const Text& word = voc.words[static_cast<size_t>(i)];
    if (utf8::Length(word) != utf8::Length(voc.replacements[static_cast<size_t>(i)])) __builtin_trap();  // in characters
    texts.replaceAll(word, voc.replacements[static_cast<size_t>(i)], [](size_t) {});
    if (word.empty()) continue;
    for (auto& line : expected) {
      const size_t space = line.find(' ');
      if (space != Text::npos)
        line = line.substr(0, space + 1) +
               ReplaceEach(std::string_view(line).substr(space + 1), word, voc.replacements[static_cast<size_t>(i)]);
    }
  }
  texts.writeBack(lines);
  if (lines != expected) __builtin_trap();
}

void CheckIndex(std::string_view dictionary, std::string_view probes) {
  const ShortTextIndex index(dictionary);
  const Text upper = utf8::Upper(dictionary);
  for (size_t at = 0, len = 1; at < probes.size(); at += len, len = len % ShortTextIndex::kMaxLength + 1) {
    const std::string_view probe = probes.substr(at, len);
    if (index.contains(probe) != (upper.find(utf8::Upper(probe)) != Text::npos)) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first half is the dictionary, the second what it works on.
  const std::string_view dictionary = input.substr(0, size / 2);
  const std::string_view rest = input.substr(size / 2);
  CheckPairs(dictionary, rest);
  CheckIndex(dictionary, rest);
  return 0;
}
