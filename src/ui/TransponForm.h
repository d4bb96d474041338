#pragma once
// The tile transposition window: the block's start, its size in tiles and the tile
// format, and RUN.
#include <QWidget>

#include "workspace/Workspace.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;

class TransponForm : public QWidget {
  Q_OBJECT
 public:
  explicit TransponForm(Workspace& ws, QWidget* parent = nullptr);

 private:
  // The block is square: each of the two size fields follows the other.
  void TilesInRowFld_Change();
  void TilesInColFld_Change();
  void DoTransponButt_Click();

  Workspace& ws_;
  QLineEdit* StartBlockAddr_;
  QLineEdit* TilesInRowFld_;
  QLineEdit* TilesInColFld_;
  QButtonGroup* TileFormatBpp_;
  QPushButton* DoTransponButt_;
  QPushButton* ExitBtn_;
};
