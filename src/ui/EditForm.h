#pragma once
// The translation editor: the list of every translation line, and one line at a time
// taken into the edit field, changed and written back. What it edits lives in the
// workspace (the translation and the editor state); the window only shows it, so
// closing it loses nothing but an edit that was not written back.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

#include "editor/KeyCodes.h"
#include "workspace/Workspace.h"

struct CaretView;
class FindForm;
class MainForm;
class QAction;
class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class LimitValidator;
class QListWidget;
class QProgressBar;
class QPushButton;

class EditForm : public QMainWindow {
  Q_OBJECT
 public:
  EditForm(Workspace& ws, QWidget* parent = nullptr);

  // The form's methods that the list commands and the find dialog share.
  void FillTheListBox();
  void RefreshFormValues();
  void EditText2PerevodArray();
  void SetListBoxFont();
  void SetEditBoxFont();
  void DeleteSelectedLines();
  void UcaseSelectedLines(const Text& caseText);
  void ShiftLineRightMacro();

  // The find dialog changed the translation: the list is filled again, the emptied edit
  // state shown, and the row that was current before made current again.
  void translationRebuilt(int previousRow);
  int currentListRow() const;
  // The editor's progress bar, ProgressBar2.
  void showProgress(const ProgressState& state);
  // Runs a command that changes the translation unless the main window is busy with
  // another one; false when it did not run.
  bool runGuarded(const std::function<void()>& command);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  void connectControls();
  void registerWithMainForm();
  void Form_Load();

  void PerevodList_Click(int row);
  void PerevodList_DblClick();
  void TranslationBox_Change(const QString& text);
  void AddressInROM_Change(const QString& text);
  void MoveLeftButton_Click();
  void MoveRightButton_Click();
  void Check1_Click(bool checked);
  void menuUnDo();
  void menuLimitStringSize();
  void menuDeleteRows();
  void menuCaseRows(bool upper);
  void menuSelectAll();
  void menuFindString();
  void menuFindAndReplace();
  void menuUndoEditRow();
  void menuSetFont(Text Workspace::*name, int Workspace::*size, void (EditForm::*apply)());

  bool listKeyDown(int keyCode, int shift);
  bool translationKey(const QKeyEvent& key, bool release);
  CaretView caretView() const;
  void updateCaretLabels();
  // The fit status: the room is taken when the line's address changes, the need on
  // every change of the text.
  void updateFitRoom();
  void updateFitStatus();
  void applyLengthLimit();
  void alignRuler();
  void restoreCurrentRow(int row);
  std::vector<int> selectedRows() const;
  Text fieldText() const;
  void writeTranslationBox(const Text& text);

  Workspace& ws_;
  EditorState& st_;
  QPointer<MainForm> main_;
  QPointer<FindForm> findForm_;

  QPushButton* moveLeftButton_;
  QPushButton* moveRightButton_;
  QLineEdit* addressInRom_;
  QLineEdit* gbaPointer_;
  QLabel* label12_;
  QLabel* origStringLength_;
  QLabel* perStringLength_;
  QLabel* cursorPosition_;
  QLabel* selectedTextLen_;
  QLabel* leftTillEol_;
  QLabel* fitStatus_;
  std::optional<std::int64_t> fitRoom_;
  QLineEdit* originalString_;
  QLineEdit* translationBox_;
  LimitValidator* translationValidator_;
  QLabel* ruler_;
  QCheckBox* check1_;
  QCheckBox* autoAddSpaces_;
  QListWidget* perevodList_;
  QProgressBar* progressBar2_;
  QLabel* label8_;
  QAction* menuLimitStringSize_;
  FieldKeys fieldKeys_;
};
