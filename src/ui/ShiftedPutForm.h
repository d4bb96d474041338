#pragma once
// The shifted insertion window: the translation goes back into the ROM moved by a
// number of bytes, packed behind its first line, with the GBA pointers on request.
#include <QWidget>

#include "workspace/Workspace.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class ShiftedPutForm : public QWidget {
  Q_OBJECT
 public:
  explicit ShiftedPutForm(Workspace& ws, QWidget* parent = nullptr);

 private:
  void chkLeaveChangesInPerevodAddr_Click();
  void fldNewAddr_Change();
  void Command1_Click();
  void Command2_Click();
  void optPointerKind_Click();
  void fldGbPointerTables_Change();
  void run(const std::function<void()>& command);

  Workspace& ws_;
  QLineEdit* fldAddToAddr_;
  QLineEdit* fldNewAddr_;
  QCheckBox* chkLeaveChangesInPerevodAddr_;
  QCheckBox* CorrectGBAPointersCheck_;
  QCheckBox* chkAlignedGbaPointers_;
  QRadioButton* optPointerGBA_;
  QRadioButton* optPointerGB_;
  QLineEdit* fldGbPointerTables_;
  QPushButton* Command1_;
  QPushButton* Command2_;
  QPushButton* ExitBtn_;
};
