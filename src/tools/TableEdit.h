#pragma once
// The table editor without its window. The grid of 256 cells is held as a string of
// 256 code points, cell k at position k, NUL for an empty cell: the layout of
// CharTableLookup, so that copying the grid into the table is a plain assignment.
// A cell holds at most one character (of any script), as a table entry does.
#include <optional>
#include <string>
#include <string_view>

#include "workspace/Workspace.h"

inline constexpr int kTableCodes = 256;
using Grid = std::u32string;

// The four letter strips the user drags onto the grid.
Text EngSmallLettersText();
Text EngBigLettersText();
Text RusSmallLettersText();  // without ё
Text RusBigLettersText();    // without Ё

// A code moved off either end of the grid comes back in from the other.
int WrapCode(int code);

// The key released in a cell, as far as the move to the next cell cares.
enum class CellKey { Backspace, Modifier, Left, Up, Down, Delete, Other };

struct CellMove {
  int next = 0;
  bool copyFirst = false;  // the grid goes into the table before the focus moves
};

// Where the focus goes after a key is released in cell `code` with no modifier held.
CellMove NextCell(int code, CellKey key, bool cellEmpty);

// A dropped text: one character replaces the cell, a longer one is spread over the
// following codes, wrapping past 255 to 0. An empty text changes nothing.
void DropOnGrid(Grid& grid, int code, std::string_view text);

// The 256 entries of CharTable in code order, an entry without a character as NUL.
// Always 256 characters, whatever CharTable holds.
Grid JoinedTable(const Workspace& ws);

// The entries of an extended table that the grid cannot show (several bytes, several
// characters, end and break codes); the grid's operations keep them as they are.
size_t EntriesBeyondGrid(const Workspace& ws);

// The grid the table shows, when a table is loaded. Without one the table becomes
// 256 empty entries and the grid is to stay as it is (nothing is returned).
std::optional<Grid> GridFromTable(Workspace& ws);

// Copies the grid into CharTable and CharTableLookup, and a non-empty comment text
// (CR LF line ends) into TableComments. Neither flag changes.
void PutGridInTable(Workspace& ws, const Grid& grid, const Text& comments);

// Standard layouts: every code its Windows-1251 character (0 empty), and the printable
// one (32 to 122 and the Cyrillic letters 192 to 255, nothing else).
Grid Windows1251Grid();
Grid AlphabetGrid();

// Clear All and the resets: the grid becomes the table, which exists from then on and
// counts as changed.
void ResetTable(Workspace& ws, const Grid& grid, const Text& comments);

// Every character one code down (the one of code 0 is dropped) or up (the one of 255
// is dropped), in the table, not the grid.
void ShiftTableLeft(Workspace& ws);
void ShiftTableRight(Workspace& ws);

// The letter checks of the table: a log line for each missing letter and a verdict.
void CheckEngLetters(Workspace& ws);
void CheckRusLetters(Workspace& ws);

// The three searches of the editor's buttons.
enum class CodeSearch { BigEng, SmallEng, Space };

// Runs the relative search and returns the grid with what it found merged in, or
// nothing when it found nothing. The space search starts from the table, or from the
// grid when no table is loaded.
std::optional<Grid> SearchTableCodes(Workspace& ws, CodeSearch search, const Grid& grid);

// Every character the search found replaces its cell; false when it found none.
bool MergeFound(Grid& grid, const Grid& found);

// The facts shown for the cell that has the focus: "41=A   (dec(65)"; the number is the
// Windows-1251 byte of a character that code page has, else its code point.
Text CellFacts(int code, std::string_view cell);

// A cell's text colour by its first character, as a class; an empty cell keeps its colour.
enum class CellColour { Unchanged, Control, WindowText, Between, Cyrillic };
CellColour ColourOfCell(std::string_view cell);

// The comment field after a change: "=" would turn a comment line into a table entry,
// so every "=" becomes " равно" and the log says why. Nothing when there was none.
std::optional<Text> CheckTableComments(Workspace& ws, const Text& comments);
// Where the caret goes in the checked text: behind the same character, each of the
// `equalsBefore` signs before it having grown into " равно".
int CaretAfterCommentsCheck(int caret, int equalsBefore);

// The preview for the start typed in the field: up to 1,001 decoded bytes, escapes for
// codes without a character. A start too large to read is logged; the text is then empty.
Text TablePreview(Workspace& ws, const Text& startField);
