#pragma once
// Small text cuts that settings lines, file names and window fields share.
#include <vector>

#include "workspace/Cp1251.h"

// Without leading and trailing spaces (spaces only: a tab is part of a name).
Text TrimSpaces(const Text& text);
// The parts between separators; an empty text is one empty part.
std::vector<Text> SplitAt(const Text& text, char separator);
