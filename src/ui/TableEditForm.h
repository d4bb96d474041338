#pragma once
// The table editor's window: 256 cells, one per byte code, over the workspace's table.
// What the window does to the table is in tools/TableEdit.h; here it is only wired.
#include <QFont>
#include <QWidget>
#include <array>
#include <functional>

#include "tools/TableEdit.h"
#include "workspace/Workspace.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

class TableEditForm : public QWidget {
  Q_OBJECT
 public:
  // The window deletes itself on closing: every opening builds the grid anew.
  explicit TableEditForm(Workspace& ws, QWidget* parent = nullptr);

  // Table to grid, grid to table, the colour of one cell, the preview.
  void doShowTable();
  void PutChangesInTable();
  void DoHigh(int k);
  void ShowDumpPreview();

  QLineEdit* cell(int code) const { return Text1_[static_cast<size_t>(code)]; }
  // The 256 cells as program text, NUL for an empty cell.
  Grid gridText() const;
  // What a drop of `text` on cell `code` does; false when the text cannot go into a cell.
  bool dropOnCell(int code, const QString& text);

  // A cell's character as the cell shows it: control characters get a visible sign.
  static QString cellGlyphs(const Text& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  friend class TableEditPreviewBatch;

  void buildControls();
  void buildButtons();
  void buildLayout();
  QPushButton* addButton(const char* name, const char* caption, const char* tip, QRect place,
                         std::function<void()> click);
  void runButton(const std::function<void()>& click);

  void setGrid(const Grid& grid);
  Text commentsText() const;
  void focusCell(int code);
  void startDrag(const QString& text, int width);

  bool cellEvent(int code, QEvent* event);
  void Text1_Change(int code);
  void Text1_GotFocus(int code);
  void Text1_KeyUp(int code, int key, Qt::KeyboardModifiers modifiers);
  void Text1_Click(int code);
  void EditTableComments_Change();
  void resetTo(const Grid& grid);
  void findCodes(int search);

  // Cell changes preview one by one; inside a batch they wait for its end, so that
  // rewriting the whole grid decodes the ROM once instead of 256 times.
  void previewIfChecked();
  int previewHold_ = 0;
  bool previewWanted_ = false;

  Workspace& ws_;
  QWidget* gridPanel_ = nullptr;  // the cells, their headings and the shift buttons
  std::array<QLineEdit*, 256> Text1_{};
  QLabel* Label1_ = nullptr;
  QLabel* Label3_ = nullptr;
  QLabel* notInGrid_ = nullptr;  // how many entries of an extended table the grid cannot show
  QPlainTextEdit* EditTableComments_ = nullptr;
  std::array<QLabel*, 4> strips_{};
  QLineEdit* fldStartAddr_ = nullptr;
  QCheckBox* DoPreview_ = nullptr;
  QTextEdit* DumpView_ = nullptr;
  std::vector<QPushButton*> buttons_;
  QFont buttonFont_;
  // The table as the editor last read or wrote it, to tell a table loaded meanwhile.
  Grid tableSeen_;
  QPoint pressAt_;
  int pressedCell_ = -1;
};
