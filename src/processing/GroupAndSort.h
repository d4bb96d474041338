#pragma once
// Reorderings of the translation: lines of equal text brought together, or all lines
// ordered by text, text length or address. Neither changes a line; both drop the
// empty ones.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "workspace/Workspace.h"

// The mode texts of the three sort commands; any other text sorts by length.
Text SortModeByText();     // "ПО ТЕКСТУ"
Text SortModeByLength();   // "ПО ДЛИННЕ"
Text SortModeByAddress();  // "ПО ПОИНТЕРАМ"

void GroupEqualTRLines(Workspace& ws);
void SortPerevod(Workspace& ws, const Text& mode);

enum class SortKey { ByText, ByLength, ByAddress };

struct SortRecord {
  std::uint32_t line = 0;   // where the line stands in the translation
  std::int64_t number = 0;  // text length or address, by the key
  Text text;                // the text as the text key compares it
};

// Sorts records lo..hi in place, ascending, not stable: a quicksort with the middle
// record as pivot. It recurses only into the smaller part, so the stack stays
// shallow, and once it has partitioned `depthBudget` times down one path the rest of
// that range is heap-sorted, so no input order makes it quadratic. `onPartition`
// hears the start of every large range it partitions.
void QuickSortRecords(std::vector<SortRecord>& records, SortKey key, std::ptrdiff_t lo, std::ptrdiff_t hi,
                      int depthBudget, const std::function<void(std::ptrdiff_t lo)>& onPartition = {});

// Twice the binary logarithm of n: the partitioning depth a fair quicksort needs.
int QuickSortDepthBudget(size_t n);
