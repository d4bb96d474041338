#include <gtest/gtest.h>

#include "tools/TableGrid.h"

namespace {

// Every control of the panel lies inside it and on no other; the cells walk the grid
// row by row at the pitch, under their column heading and beside their row heading.
TEST(TableGrid, ControlsFitThePanelWithoutOverlapAndCellsFollowTheirHeadings) {
  const GridBox panel = GridPanelBox();
  const GridBox columns = GridColumnHeadingsBox();
  const GridBox rows = GridRowHeadingsBox();
  const GridBox lines = GridLinesBox();
  const GridBox others[] = {columns, rows, GridShiftLeftBox(), GridShiftRightBox()};
  for (size_t i = 0; i < std::size(others); ++i) {
    EXPECT_TRUE(panel.contains(others[i])) << i;
    for (size_t j = i + 1; j < std::size(others); ++j) EXPECT_FALSE(others[i].overlaps(others[j])) << i << " " << j;
  }
  for (int k = 0; k < 256; ++k) {
    const GridBox cell = GridCellBox(k);
    EXPECT_TRUE(lines.contains(cell)) << k;
    for (const GridBox& other : others) EXPECT_FALSE(cell.overlaps(other)) << k;
    // A one-pixel line to the right and below, none between a cell and its neighbours' lines.
    if (k % 16 != 15) {
      EXPECT_EQ(GridCellBox(k + 1).x, cell.right() + 1) << k;
    }
    if (k < 240) {
      EXPECT_EQ(GridCellBox(k + 16).y, cell.bottom() + 1) << k;
    }
    const GridBox column = GridHeadingSlot(true, k % 16, columns.height);
    EXPECT_EQ(columns.x + column.x, cell.x) << k;
    EXPECT_EQ(column.width, cell.width + 1) << k;
    const GridBox row = GridHeadingSlot(false, k / 16, rows.width);
    EXPECT_EQ(rows.y + row.y, cell.y) << k;
    EXPECT_EQ(row.height, cell.height + 1) << k;
  }
  // The lines show one pixel round the whole grid.
  EXPECT_EQ(lines.x, GridCellBox(0).x - 1);
  EXPECT_EQ(lines.y, GridCellBox(0).y - 1);
  EXPECT_EQ(lines.right(), GridCellBox(255).right() + 1);
  EXPECT_EQ(lines.bottom(), GridCellBox(255).bottom() + 1);
  EXPECT_TRUE(panel.contains(lines));
  // The shift buttons stand at the first row's start and the last row's end.
  EXPECT_LT(GridShiftLeftBox().right(), rows.x);
  EXPECT_GT(GridShiftRightBox().x, lines.right());
  EXPECT_LE(GridShiftRightBox().y, GridCellBox(240).y);
  EXPECT_GE(GridShiftRightBox().bottom(), GridCellBox(255).bottom());
}

}  // namespace
