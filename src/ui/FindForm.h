#pragma once
// The find-and-replace dialog of the translation editor: replaces a substring in the
// text of every translation line, or deletes every line whose text holds it. It works
// on the whole translation, not on the editor's list, and cannot be undone.
#include <QPointer>
#include <QWidget>
#include <functional>

#include "workspace/Workspace.h"

class EditForm;
class MainForm;
class QCheckBox;
class QLineEdit;
class QPushButton;

class FindForm : public QWidget {
  Q_OBJECT
 public:
  // Given the editor as parent, the dialog refreshes its list after a change.
  FindForm(Workspace& ws, QWidget* parent = nullptr);
  void setFindWhat(const Text& text);

 private:
  void BntFindAndReplace_Click();
  void BntFindAndDlete_Click();
  void runOperation(const std::function<int()>& operation);
  Text fieldText(const QLineEdit* field) const;

  Workspace& ws_;
  QPointer<EditForm> editor_;
  QPointer<MainForm> main_;
  QLineEdit* findWhat_;
  QLineEdit* replaceWith_;
  QCheckBox* caseSense_;
};
