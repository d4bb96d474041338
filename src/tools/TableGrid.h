#pragma once
// Where things sit on the table editor's grid panel: the 16 × 16 cells at the fixed
// pitch of the window's design (360 × 240 twips, a cell one pixel smaller so that the
// gaps show the grid's lines), the row and column headings, and the two shift buttons
// at the grid's ends. Pixels from the panel's top left corner; the window lays the
// panel out as one control of this size.

struct GridBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int right() const { return x + width; }  // one past the last column
  int bottom() const { return y + height; }
  bool contains(const GridBox& inner) const {
    return inner.x >= x && inner.y >= y && inner.right() <= right() && inner.bottom() <= bottom();
  }
  bool overlaps(const GridBox& other) const {
    return x < other.right() && other.x < right() && y < other.bottom() && other.y < bottom();
  }
  bool operator==(const GridBox&) const = default;
};

inline constexpr int kGridCellPitchX = 360 / 15;
inline constexpr int kGridCellPitchY = 240 / 15;

// The whole panel (x and y 0).
GridBox GridPanelBox();
// Cell `code`: row code / 16, column code % 16.
GridBox GridCellBox(int code);
// The background whose colour the one-pixel gaps between the cells show.
GridBox GridLinesBox();
// The headings "-0" … "-F" over the columns and "0-" … "F-" left of the rows.
GridBox GridColumnHeadingsBox();
GridBox GridRowHeadingsBox();
// Heading i's slot inside its headings box, centred on its column or row.
GridBox GridHeadingSlot(bool columns, int i, int across);
// "<" left of the first row, ">" right of the last.
GridBox GridShiftLeftBox();
GridBox GridShiftRightBox();
