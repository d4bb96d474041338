#pragma once
// The dumper's window: the block's addresses and line width, and RUN.
#include <QWidget>

#include "workspace/Workspace.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class DumperForm : public QWidget {
  Q_OBJECT
 public:
  explicit DumperForm(Workspace& ws, QWidget* parent = nullptr);

 private:
  void fldDumpLen_Change();
  void Command1_Click();

  Workspace& ws_;
  QLineEdit* fldStartAddr_;
  QLineEdit* fldEndAddr_;
  QLineEdit* fldLineSize_;
  QLineEdit* fldDumpLen_;
  QCheckBox* CheckDoEncode_;
  QPushButton* Command1_;
  QPushButton* ExitBtn_;
};
