#include "tools/TableGrid.h"

namespace {

constexpr int kLeft = 720 / 15;  // the first column, right of the row headings
constexpr int kTop = 480 / 15;   // the first row, under the column headings
constexpr int kCells = 16;
constexpr int kRowHeadingsWidth = 22;
constexpr int kShiftButtonWidth = 21;
constexpr int kShiftButtonHeight = 18;
constexpr int kGapBeforeShiftRight = 2;

constexpr int kGridWidth = kCells * kGridCellPitchX;
constexpr int kGridHeight = kCells * kGridCellPitchY;

}  // namespace

GridBox GridPanelBox() {
  return {0, 0, kLeft + kGridWidth + kGapBeforeShiftRight + kShiftButtonWidth, kTop + kGridHeight + 1};
}

GridBox GridCellBox(int code) {
  return {kLeft + (code % kCells) * kGridCellPitchX, kTop + (code / kCells) * kGridCellPitchY, kGridCellPitchX - 1,
          kGridCellPitchY - 1};
}

GridBox GridLinesBox() {
  return {kLeft - 1, kTop - 1, kGridWidth + 1, kGridHeight + 1};
}

GridBox GridColumnHeadingsBox() {
  return {kLeft, kTop - kGridCellPitchY, kGridWidth, kGridCellPitchY};
}

GridBox GridRowHeadingsBox() {
  return {kLeft - kRowHeadingsWidth, kTop, kRowHeadingsWidth, kGridHeight};
}

GridBox GridHeadingSlot(bool columns, int i, int across) {
  return columns ? GridBox{i * kGridCellPitchX, 0, kGridCellPitchX, across}
                 : GridBox{0, i * kGridCellPitchY, across, kGridCellPitchY};
}

GridBox GridShiftLeftBox() {
  return {2, kTop - 1, kShiftButtonWidth, kShiftButtonHeight};
}

GridBox GridShiftRightBox() {
  return {kLeft + kGridWidth + kGapBeforeShiftRight, kTop + (kCells - 1) * kGridCellPitchY - 1, kShiftButtonWidth,
          kShiftButtonHeight};
}
