#pragma once
// The find-and-replace dialog of the translation editor: replaces a substring in the
// text of every translation line, or deletes every line whose text holds it. It works
// on the whole translation, not on the editor's list, and cannot be undone.
#include <QPointer>
#include <QWidget>
#include <functional>

#include "workspace/Workspace.h"

class MainForm;
class QCheckBox;
class QLineEdit;
class QPushButton;

// What the dialog needs of the list it serves: the current row, the guarded run of a
// change, and the refill after one (given the row that was current before).
struct FindFormList {
  std::function<int()> currentRow;
  std::function<bool(const std::function<void()>&)> run;
  std::function<void(int)> rebuilt;
};

class FindForm : public QWidget {
  Q_OBJECT
 public:
  // Given a list, the dialog refreshes it after a change.
  FindForm(Workspace& ws, QWidget* parent = nullptr, FindFormList list = {});
  void setFindWhat(const Text& text);

 private:
  void BntFindAndReplace_Click();
  void BntFindAndDlete_Click();
  void runOperation(const std::function<int()>& operation);
  Text fieldText(const QLineEdit* field) const;

  Workspace& ws_;
  FindFormList list_;
  QPointer<MainForm> main_;
  QLineEdit* findWhat_;
  QLineEdit* replaceWith_;
  QCheckBox* caseSense_;
};
