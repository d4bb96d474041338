#pragma once
// The line-break rules the merges share: runs of CR LF collapse to one, and a text is
// cut back into lines at every remaining CR LF.
#include <string_view>
#include <vector>

#include "workspace/Cp1251.h"

// What replacing CR LF CR LF by CR LF until none is left gives, in one pass: every run
// of line breaks becomes one.
Text CollapseLineBreaks(std::string_view text);

// Every CR LF ends a line; an empty text is one empty line.
std::vector<Text> SplitAtCrLf(std::string_view text);

// A glued text with the empty lines between its lines squeezed out and one final line
// break dropped; an empty first line survives.
Text SqueezeLineBreaks(std::string_view glued);
