#pragma once
// Relative search: which starting code makes an alphabet, placed at consecutive codes,
// encode a sample into bytes that occur in the image.
#include <optional>
#include <string_view>

#include "workspace/Cp1251.h"

struct CodeSearchRequest {
  std::string_view image;
  std::string_view map;  // 256 characters, NUL where a code has no character yet
  std::string_view alphabet;
  std::string_view sample;
  int firstCode = 0;      // the lowest starting code tried
  bool freeOnly = false;  // only where every code of the placement is still NUL
};

struct CodeSearchResult {
  std::optional<int> code;  // the lowest starting code whose encoded sample occurs
  // A character of the sample had no code in a map tried up to the result, so it was
  // searched as its own byte.
  bool unknownChars = false;
};

// One scan of the image for all starting codes at once, comparing byte differences.
CodeSearchResult FindAlphabetCode(const CodeSearchRequest& request);

// The literal search: one image scan per starting code, in ascending order. The
// reference the fast search is held to, and the cost it avoids.
CodeSearchResult FindAlphabetCodeOrdered(const CodeSearchRequest& request);

// The map with the alphabet written from `code` on.
Text PlaceAlphabet(std::string_view map, std::string_view alphabet, int code);
