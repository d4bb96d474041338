#include "ui/EditForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
#include <cmath>

#include "editor/FindReplace.h"
#include "editor/KeyCodes.h"
#include "editor/LineEdit.h"
#include "editor/ListCommands.h"
#include "textio/FitCheck.h"
#include "ui/FindForm.h"
#include "ui/FormParts.h"
#include "ui/KeyEvents.h"
#include "ui/MainForm.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "workspace/Perevod.h"

namespace {

const char kRuler[] = "^0-------^10-------^20-------^30-------^40-------^50-------^60-------^70";

QFont Courier(double points) {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSizeF(points);
  return font;
}

QFont FontFromSettings(const Text& name, int size, const QFont& fallback) {
  QFont font = fallback;
  font.setFamily(toQString(name));
  if (size > 0) font.setPointSize(size);
  return font;
}

QString Num(std::int64_t n) {
  return QString::number(n);
}

bool IsEnter(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QLabel* Caption(const char* text, QWidget* parent, const QFont& font) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setFont(font);
  return label;
}

QLabel* ValueLabel(const char* name, QWidget* parent, const QFont& font) {
  auto* label = new QLabel(QStringLiteral("0"), parent);
  label->setObjectName(name);
  label->setFont(font);
  label->setMinimumWidth(36);
  return label;
}

}  // namespace

// ---------------------------------------------------------------------------------
// EditForm: building

EditForm::EditForm(Workspace& ws, QWidget* parent)
    : QMainWindow(parent), ws_(ws), st_(ws.Editor), main_(qobject_cast<MainForm*>(parent)) {
  setObjectName("EditForm");
  setWindowFlag(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Tarvello Editor"));
  buildControls();
  buildMenus();
  connectControls();
  Form_Load();
  // Registered only now: the translation load of Form_Load closes the editor windows.
  registerWithMainForm();
}

void EditForm::buildControls() {
  auto* central = new QWidget(this);
  const QFont small = Courier(8.25);
  const QFont text = Courier(9.75);
  QFont narrow(QStringLiteral("Arial Narrow"));
  narrow.setPointSize(9);

  moveLeftButton_ = new QPushButton(QStringLiteral("<"), central);
  moveLeftButton_->setObjectName("MoveLeftButton");
  moveRightButton_ = new QPushButton(QStringLiteral(">"), central);
  moveRightButton_->setObjectName("MoveRightButton");
  for (auto* b : {moveLeftButton_, moveRightButton_}) b->setFixedWidth(28);
  addressInRom_ = new QLineEdit(central);
  addressInRom_->setObjectName("AddressInROM");
  addressInRom_->setFixedWidth(110);
  gbaPointer_ = new QLineEdit(central);
  gbaPointer_->setObjectName("gbapointer");
  gbaPointer_->setFont(Courier(9));
  gbaPointer_->setReadOnly(true);
  gbaPointer_->setFixedWidth(110);
  label12_ = new QLabel(central);
  label12_->setObjectName("Label12");
  label12_->setFont(Courier(9));

  origStringLength_ = ValueLabel("OrigStringLength", central, small);
  perStringLength_ = ValueLabel("PerStringLength", central, small);
  cursorPosition_ = ValueLabel("CursorPositionInTranslationText", central, small);
  selectedTextLen_ = ValueLabel("SelectedTextLen", central, small);
  leftTillEol_ = ValueLabel("LeftTillEOL", central, small);
  fitStatus_ = ValueLabel("FitStatus", central, small);
  fitStatus_->clear();

  auto* top = new QGridLayout();
  auto* addressRow = new QHBoxLayout();
  addressRow->addWidget(moveLeftButton_);
  addressRow->addWidget(addressInRom_);
  addressRow->addWidget(moveRightButton_);
  addressRow->addStretch();
  top->addWidget(Caption("Адрес строки в ROM(+1)", central, small), 0, 0);
  top->addLayout(addressRow, 0, 1);
  top->addWidget(Caption("Адрес поинтера для GBA", central, small), 1, 0);
  auto* pointerRow = new QHBoxLayout();
  pointerRow->addSpacing(moveLeftButton_->width() + addressRow->spacing());
  pointerRow->addWidget(gbaPointer_);
  pointerRow->addStretch();
  top->addLayout(pointerRow, 1, 1);
  top->addWidget(Caption("Адрес строки перевода (DEC)", central, narrow), 2, 0);
  top->addWidget(label12_, 2, 1);
  top->addWidget(Caption("Длинна строки оригинала", central, small), 0, 2);
  top->addWidget(origStringLength_, 0, 3);
  top->addWidget(Caption("Длина строки перевода", central, small), 1, 2);
  top->addWidget(perStringLength_, 1, 3);
  top->addWidget(Caption("Позиция курсора в пер.", central, small), 2, 2);
  top->addWidget(cursorPosition_, 2, 3);
  top->addWidget(Caption("Длинна выделенного текста", central, small), 3, 2);
  top->addWidget(selectedTextLen_, 3, 3);
  top->addWidget(Caption("до конца строки\nосталось", central, small), 0, 4, 2, 1, Qt::AlignBottom);
  top->addWidget(leftTillEol_, 2, 4, Qt::AlignTop);
  top->addWidget(fitStatus_, 3, 4);
  top->setHorizontalSpacing(6);
  top->setColumnStretch(1, 1);

  originalString_ = new QLineEdit(central);
  originalString_->setObjectName("OriginalString");
  originalString_->setReadOnly(true);
  translationBox_ = new QLineEdit(central);
  translationBox_->setObjectName("TranslationBox");
  translationValidator_ = new LimitValidator(translationBox_);
  // The workspace, not the window: the field validates while the window is torn down.
  translationValidator_->setMeasure([&ws = ws_](const QString& typed) -> qsizetype {
    return ws.TableExtended ? EncodedLength(ws, fromQString(typed).value_or(Text())) : CharCount(typed);
  });
  ruler_ = new QLabel(QString::fromLatin1(kRuler), central);
  ruler_->setObjectName("Label5");
  for (QWidget* w : std::initializer_list<QWidget*>{originalString_, translationBox_, ruler_}) w->setFont(text);

  auto* texts = new QGridLayout();
  texts->setVerticalSpacing(2);
  texts->addWidget(Caption("Оригинал", central, small), 0, 0);
  texts->addWidget(originalString_, 0, 1);
  texts->addWidget(Caption("Перевод", central, small), 1, 0);
  texts->addWidget(translationBox_, 1, 1);
  texts->addWidget(ruler_, 2, 1);

  check1_ = new QCheckBox(QString::fromUtf8(" Ограничивать длинну строки перевода"), central);
  check1_->setObjectName("Check1");
  check1_->setChecked(true);
  autoAddSpaces_ = new QCheckBox(QString::fromUtf8("  Дополнять строку пробелами до ориг. длинны"), central);
  autoAddSpaces_->setObjectName("autoAddSpaces");
  autoAddSpaces_->setChecked(true);
  auto* checks = new QHBoxLayout();
  checks->addWidget(check1_);
  checks->addStretch();
  checks->addWidget(autoAddSpaces_);

  perevodList_ = new QListWidget(central);
  perevodList_->setObjectName("PerevodList");
  perevodList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  perevodList_->setUniformItemSizes(true);
  progressBar2_ = new QProgressBar(central);
  progressBar2_->setObjectName("ProgressBar2");
  progressBar2_->hide();
  label8_ = new QLabel(central);
  label8_->setObjectName("Label8");

  auto* layout = new QVBoxLayout(central);
  layout->addLayout(top);
  layout->addLayout(texts);
  layout->addLayout(checks);
  layout->addWidget(perevodList_, 1);
  layout->addWidget(progressBar2_);
  layout->addWidget(label8_);
  setCentralWidget(central);

  // The layout's own minimum keeps every control readable; it is above the smallest
  // size the design allows (4470 x 3460 twips), so that one needs no rule of its own.
  resize(Twips(9870), Twips(8220));
}

void EditForm::buildMenus() {
  auto add = [this](QMenu* menu, const char* name, const char* caption, void (EditForm::*slot)()) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
    return action;
  };
  QMenu* editor = menuBar()->addMenu(QStringLiteral("Editor"));
  editor->setObjectName("menuEditor");
  add(editor, "menuUnDo", "UnDo (Ctrl+z)", &EditForm::menuUnDo);
  menuLimitStringSize_ =
      add(editor, "menuLimitStringSize", "Ограничивать длинну вводимой строки", &EditForm::menuLimitStringSize);
  menuLimitStringSize_->setCheckable(true);
  menuLimitStringSize_->setChecked(true);
  add(editor, "menuMoveLineRight", "Подвинуть строку вправо (CTRL+>)", &EditForm::ShiftLineRightMacro);
  add(editor, "menuFindAndReplace", "Найти и заменить (CTRL+F)", &EditForm::menuFindAndReplace);
  add(editor, "menuFindAndDelete", "Найти и удалить (CTRL+D)", &EditForm::menuFindAndReplace);
  add(editor, "menuFindString", "Найти строку (F7)", &EditForm::menuFindString);
  add(editor, "menuSelectAll", "Выделить все (CTRL+A)", &EditForm::menuSelectAll);
  add(editor, "menuDeleteRows", "Удалить выделенные строки (Del)", &EditForm::menuDeleteRows);
  QAction* upper = editor->addAction(QString::fromUtf8("Поднять регистр у выделенных строк (U)"));
  upper->setObjectName("menuUpperCaseRows");
  connect(upper, &QAction::triggered, this, [this] { menuCaseRows(true); });
  QAction* lower = editor->addAction(QString::fromUtf8("Опустить регистр у выделенных строк (L)"));
  lower->setObjectName("menuLcaseRows");
  connect(lower, &QAction::triggered, this, [this] { menuCaseRows(false); });
  add(editor, "menuRowToEdit", "Редактирование выбранной строки (Enter)", &EditForm::PerevodList_DblClick);
  QAction* commit = editor->addAction(QString::fromUtf8("Подтвердить изменения строки (Enter)"));
  commit->setObjectName("menuEditToRow");
  connect(commit, &QAction::triggered, this, [this] {
    runGuarded([this] { EditText2PerevodArray(); });
    perevodList_->setFocus();
  });
  add(editor, "menuUndoEditRow", "Отменить изменения строки", &EditForm::menuUndoEditRow);
  QAction* close = editor->addAction(QString::fromUtf8("Закрыть"));
  close->setObjectName("menuCloseEditor");
  connect(close, &QAction::triggered, this, &QWidget::close);

  QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
  options->setObjectName("menuOptions");
  QAction* listFont = options->addAction(QString::fromUtf8("Шрифт для окна просмотра текста"));
  listFont->setObjectName("menuSetListBoxFont");
  connect(listFont, &QAction::triggered, this, [this] {
    menuSetFont(&Workspace::FontNameForListBox, &Workspace::FontSizeForListBox, &EditForm::SetListBoxFont);
  });
  QAction* editFont = options->addAction(QString::fromUtf8("Шрифт для поля редактирования текста"));
  editFont->setObjectName("menuSetEditBoxFont");
  connect(editFont, &QAction::triggered, this, [this] {
    menuSetFont(&Workspace::FontNameForEditBox, &Workspace::FontSizeForEditBox, &EditForm::SetEditBoxFont);
  });
}

void EditForm::connectControls() {
  connect(perevodList_, &QListWidget::currentRowChanged, this, &EditForm::PerevodList_Click);
  connect(perevodList_, &QListWidget::itemDoubleClicked, this, [this] { PerevodList_DblClick(); });
  connect(translationBox_, &QLineEdit::textChanged, this, &EditForm::TranslationBox_Change);
  // The caret labels follow the caret however it moves, the mouse included.
  connect(translationBox_, &QLineEdit::cursorPositionChanged, this, &EditForm::updateCaretLabels);
  connect(translationBox_, &QLineEdit::selectionChanged, this, &EditForm::updateCaretLabels);
  connect(addressInRom_, &QLineEdit::textChanged, this, &EditForm::AddressInROM_Change);
  connect(moveLeftButton_, &QPushButton::clicked, this, &EditForm::MoveLeftButton_Click);
  connect(moveRightButton_, &QPushButton::clicked, this, &EditForm::MoveRightButton_Click);
  connect(check1_, &QCheckBox::toggled, this, &EditForm::Check1_Click);
  perevodList_->installEventFilter(this);
  translationBox_->installEventFilter(this);
  addressInRom_->installEventFilter(this);
}

void EditForm::registerWithMainForm() {
  if (!main_) return;
  // Guarded pointers: the main window may outlive this window and call these later.
  QPointer<EditForm> self(this);
  main_->registerSideWindow(Window::EditForm, [self] {
    if (self) self->close();
  });
  main_->setEditorProgress([self](const ProgressState& state) {
    if (self) self->showProgress(state);
  });
  // While a command works on the translation, nothing here may start another.
  const auto follow = [this](bool busy) { menuBar()->setEnabled(!busy); };
  connect(main_, &MainForm::busyChanged, this, follow);
  follow(main_->busy());
}

void EditForm::closeEvent(QCloseEvent* event) {
  // The find dialog belongs to the editor and goes with it.
  if (findForm_) findForm_->close();
  QMainWindow::closeEvent(event);
}

void EditForm::Form_Load() {
  if (!ws_.PerevodLoaded) LoadPerevod(ws_);
  FillTheListBox();
  if (!ws_.FontNameForListBox.empty() && ws_.FontSizeForListBox != 0) SetListBoxFont();
  if (!ws_.FontNameForEditBox.empty() && ws_.FontSizeForEditBox != 0) SetEditBoxFont();
  st_.LimitStringSize = true;
  applyLengthLimit();
  setWindowTitle(toQString(ws_.VersionText + " - " + ws_.PerevodFileName));
  alignRuler();
}

// ---------------------------------------------------------------------------------
// Form methods

void EditForm::FillTheListBox() {
  const QSignalBlocker block(perevodList_);
  perevodList_->hide();
  perevodList_->clear();
  QStringList items;
  ::FillTheListBox(ws_, [&](int begin, int end) {
    for (int k = begin; k < end; ++k) items << toQString(ws_.PerevodArray[static_cast<size_t>(k)]);
  });
  perevodList_->addItems(items);
  perevodList_->show();
}

void EditForm::RefreshFormValues() {
  addressInRom_->setText(Num(st_.RowAddress));
  perStringLength_->setText(Num(st_.EditTextLength));
  originalString_->setText(toQString(st_.OrigText));
  origStringLength_->setText(Num(st_.OrigTextLength));
  writeTranslationBox(st_.EditText);
  const CaretView caret = caretView();
  cursorPosition_->setText(Num(caret.caret));
  leftTillEol_->setText(Num(caret.leftTillEol));
  updateFitRoom();
}

void EditForm::EditText2PerevodArray() {
  const Text field = fieldText();
  const Text padded = PaddedText(field, st_.OrigTextLength, autoAddSpaces_->isChecked());
  const Text address = fromQString(addressInRom_->text()).value_or(Text("?"));
  const CommitResult result = CommitEdit(ws_, padded, address, perevodList_->count());
  if (result.kind == CommitResult::Kind::Refused) return;
  if (padded != field) writeTranslationBox(padded);
  if (result.kind == CommitResult::Kind::Replaced)
    perevodList_->item(result.row)->setText(toQString(result.line));
  else if (result.kind == CommitResult::Kind::Appended)
    perevodList_->insertItem(result.row, toQString(result.line));
}

void EditForm::SetListBoxFont() {
  perevodList_->setFont(FontFromSettings(ws_.FontNameForListBox, ws_.FontSizeForListBox, perevodList_->font()));
}

void EditForm::SetEditBoxFont() {
  const QFont font = FontFromSettings(ws_.FontNameForEditBox, ws_.FontSizeForEditBox, translationBox_->font());
  for (QWidget* w : std::initializer_list<QWidget*>{translationBox_, originalString_, ruler_}) w->setFont(font);
  alignRuler();
}

void EditForm::DeleteSelectedLines() {
  const int remembered = perevodList_->currentRow();
  const std::vector<int> selected = selectedRows();
  if (selected.empty()) return;
  perevodList_->hide();
  ::DeleteSelectedLines(ws_, selected);
  FillTheListBox();
  RefreshFormValues();
  perevodList_->setFocus();
  restoreCurrentRow(remembered);
}

void EditForm::UcaseSelectedLines(const Text& caseText) {
  const std::vector<int> selected = selectedRows();
  if (selected.empty()) return;
  perevodList_->hide();
  ::UcaseSelectedLines(ws_, selected, caseText);
  for (int row : selected)
    if (static_cast<size_t>(row) < ws_.PerevodArray.size())
      perevodList_->item(row)->setText(toQString(ws_.PerevodArray[static_cast<size_t>(row)]));
  perevodList_->show();
  perevodList_->setFocus();
}

void EditForm::ShiftLineRightMacro() {
  runGuarded([this] {
    // Without a line to start from there is nothing to shift; the commit would append
    // a copy of whatever edit came before.
    const int row = perevodList_->currentRow();
    PerevodList_DblClick();
    if (row < 0 || static_cast<size_t>(row) >= ws_.PerevodArray.size()) return;
    MoveRightButton_Click();
    EditText2PerevodArray();
  });
  perevodList_->setFocus();
}

void EditForm::translationRebuilt(int previousRow) {
  FillTheListBox();
  RefreshFormValues();
  restoreCurrentRow(previousRow);
}

int EditForm::currentListRow() const {
  return perevodList_->currentRow();
}

void EditForm::showProgress(const ProgressState& state) {
  progressBar2_->setRange(state.min, state.max);
  progressBar2_->setValue(state.value);
  progressBar2_->setVisible(state.visible);
}

bool EditForm::runGuarded(const std::function<void()>& command) {
  if (main_) return main_->runCommand(command);
  command();
  return true;
}

// ---------------------------------------------------------------------------------
// Handlers

void EditForm::PerevodList_Click(int row) {
  const auto view = SelectLine(ws_, row);
  if (view) {
    gbaPointer_->setText(toQString(view->pointer));
    origStringLength_->setText(Num(view->origLength));
  }
  applyLengthLimit();
}

void EditForm::PerevodList_DblClick() {
  if (StartEdit(ws_, perevodList_->currentRow())) {
    RefreshFormValues();
    translationBox_->setFocus();
  }
  applyLengthLimit();
  ResetUndo(st_, st_.EditText);
}

void EditForm::TranslationBox_Change(const QString& text) {
  if (st_.UndoReplay) return;
  st_.EditText = fromQString(text).value_or(st_.EditText);
  st_.EditTextLength = EncodedLength(ws_, st_.EditText);
  perStringLength_->setText(Num(st_.EditTextLength));
  leftTillEol_->setText(Num(caretView().leftTillEol));
  updateFitStatus();
  RecordUndo(st_, st_.EditText);
}

void EditForm::AddressInROM_Change(const QString& text) {
  const auto field = fromQString(text);
  const AddressFieldView view = AddressFieldChanged(ws_, field.value_or(Text("?")));
  gbaPointer_->setText(toQString(view.pointer));
  if (view.pointedLabel) label12_->setText(toQString(*view.pointedLabel));
  updateFitRoom();
}

void EditForm::MoveLeftButton_Click() {
  autoAddSpaces_->setChecked(false);
  if (!MoveStartLeft(st_)) return;
  RefreshFormValues();
  translationBox_->setFocus();
}

void EditForm::MoveRightButton_Click() {
  autoAddSpaces_->setChecked(false);
  MoveStartRight(st_);
  RefreshFormValues();
  translationBox_->setFocus();
}

void EditForm::Check1_Click(bool checked) {
  st_.LimitStringSize = checked;
  menuLimitStringSize_->setChecked(checked);
  applyLengthLimit();
  translationBox_->setFocus();
}

void EditForm::menuUnDo() {
  const auto text = UndoStep(st_);
  if (!text) return;
  st_.UndoReplay = true;
  writeTranslationBox(*text);
  st_.UndoReplay = false;
}

void EditForm::menuLimitStringSize() {
  check1_->setChecked(!st_.LimitStringSize);
  menuLimitStringSize_->setChecked(st_.LimitStringSize);
  translationBox_->setFocus();
}

void EditForm::menuDeleteRows() {
  if (!ConfirmRowsCommand(ws_, selectedRows().size(), W("Удалить выденные строки?"))) return;
  runGuarded([this] { DeleteSelectedLines(); });
}

void EditForm::menuCaseRows(bool upper) {
  const Text question = upper ? W("Поднять регистр у выденных строк?") : W("Опустить регистр у выденных строк?");
  if (!ConfirmRowsCommand(ws_, selectedRows().size(), question)) return;
  runGuarded([this, upper] { UcaseSelectedLines(upper ? "U" : "L"); });
}

void EditForm::menuSelectAll() {
  const int remembered = perevodList_->currentRow();
  perevodList_->selectAll();
  if (remembered >= 0) perevodList_->setCurrentRow(remembered, QItemSelectionModel::NoUpdate);
}

void EditForm::menuFindString() {
  const auto row = FindString(ws_, perevodList_->currentRow(), perevodList_->count());
  if (row) perevodList_->setCurrentRow(*row);
}

void EditForm::menuFindAndReplace() {
  if (!findForm_) {
    FindFormList list{[this] { return currentListRow(); },
                      [this](const std::function<void()>& command) { return runGuarded(command); },
                      [this](int previousRow) { translationRebuilt(previousRow); }};
    findForm_ = new FindForm(ws_, this, std::move(list));
  }
  if (const auto findWhat = FindWhatOfRow(ws_, perevodList_->currentRow())) findForm_->setFindWhat(*findWhat);
  findForm_->show();
  findForm_->raise();
  findForm_->activateWindow();
}

void EditForm::menuUndoEditRow() {
  UndoLineEdit(st_);
  RefreshFormValues();
}

void EditForm::menuSetFont(Text Workspace::*name, int Workspace::*size, void (EditForm::*apply)()) {
  const QFont current = name == &Workspace::FontNameForListBox ? perevodList_->font() : translationBox_->font();
  const auto chosen = ChooseFont(this, current);
  if (!chosen) return;  // a cancelled dialog keeps the fonts
  const auto family = fromQString(chosen->family());
  if (!family) return;
  ws_.*name = *family;
  ws_.*size = static_cast<int>(std::lround(chosen->pointSizeF()));
  (this->*apply)();
}

// ---------------------------------------------------------------------------------
// Keys

bool EditForm::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::KeyPress;
  const bool release = event->type() == QEvent::KeyRelease;
  if (watched == translationBox_ && event->type() == QEvent::FocusOut) fieldKeys_.reset();
  if (!press && !release) return QMainWindow::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (watched == perevodList_ && press) {
    const int code = VirtualKey(*key);
    const int shift = ModifierValue(*key);
    label8_->setText(QStringLiteral("KeyDown %1 %2").arg(code).arg(shift));
    return listKeyDown(code, shift);
  }
  if (watched == translationBox_) return translationKey(*key, release);
  if (watched == addressInRom_ && press && IsEnter(key->key())) {
    translationBox_->setFocus();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool EditForm::listKeyDown(int keyCode, int shift) {
  switch (ListKeyCommandOf(keyCode, shift)) {
    case ListKeyCommand::StartEdit: PerevodList_DblClick(); return true;
    case ListKeyCommand::Delete:
      menuDeleteRows();
      perevodList_->setFocus();
      return true;
    case ListKeyCommand::SelectAll:
      menuSelectAll();
      perevodList_->setFocus();
      return true;
    case ListKeyCommand::FindDialog: menuFindAndReplace(); return true;
    case ListKeyCommand::LowerCase: menuCaseRows(false); return true;
    case ListKeyCommand::UpperCase: menuCaseRows(true); return true;
    case ListKeyCommand::FindLine: menuFindString(); return true;
    case ListKeyCommand::ShiftRight: ShiftLineRightMacro(); return true;
    case ListKeyCommand::None: return false;
  }
  return false;
}

// The labels show the state before a key as it goes down, and after it as it comes up.
bool EditForm::translationKey(const QKeyEvent& key, bool release) {
  if (!release) updateCaretLabels();
  const FieldKeyAction action =
      fieldKeys_.onKey({VirtualKey(key), ModifierValue(key), release, key.isAutoRepeat(), key.timestamp()});
  if (action == FieldKeyAction::Commit) {
    runGuarded([this] { EditText2PerevodArray(); });
    perevodList_->setFocus();
  } else if (action == FieldKeyAction::Undo) {
    menuUnDo();
  }
  if (release) updateCaretLabels();
  return action != FieldKeyAction::None;
}

CaretView EditForm::caretView() const {
  // Characters, not UTF-16 units, as every count of the editor goes.
  const QString typed = translationBox_->text();
  return CaretViewOf(ws_, fieldText(), static_cast<int>(CharCount(typed.left(translationBox_->cursorPosition()))),
                     static_cast<int>(CharCount(translationBox_->selectedText())));
}

void EditForm::updateCaretLabels() {
  const CaretView caret = caretView();
  cursorPosition_->setText(Num(caret.caret));
  leftTillEol_->setText(Num(caret.leftTillEol));
  selectedTextLen_->setText(Num(caret.selected));
}

// ---------------------------------------------------------------------------------
// Helpers

void EditForm::updateFitRoom() {
  fitRoom_ = RoomForLine(ws_, st_.RowAddress);
  updateFitStatus();
}

void EditForm::updateFitStatus() {
  fitStatus_->setText(fitRoom_ ? toQString(FitStatusText(ws_, *fitRoom_, st_.EditText)) : QString());
}

void EditForm::applyLengthLimit() {
  translationValidator_->setLimit(st_.LimitStringSize ? st_.OrigTextLength : kFreeEditLimit);
}

void EditForm::alignRuler() {
  // The ruler's marks stand under the text's columns: its text starts where the
  // field's text starts, in the same font.
  QStyleOptionFrame option;
  option.initFrom(translationBox_);
  option.rect = translationBox_->contentsRect();
  option.lineWidth = translationBox_->hasFrame()
                         ? translationBox_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, translationBox_)
                         : 0;
  const QRect contents =
      translationBox_->style()->subElementRect(QStyle::SE_LineEditContents, &option, translationBox_);
  constexpr int kLineEditTextMargin = 2;  // the field's fixed inner margin
  ruler_->setIndent(contents.x() + translationBox_->textMargins().left() + kLineEditTextMargin);
}

void EditForm::restoreCurrentRow(int row) {
  if (const auto current = RowAfterRefill(row, perevodList_->count())) perevodList_->setCurrentRow(*current);
}

std::vector<int> EditForm::selectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : perevodList_->selectionModel()->selectedIndexes()) rows.push_back(index.row());
  return AscendingRows(std::move(rows));
}

Text EditForm::fieldText() const {
  return fromQString(translationBox_->text()).value_or(st_.EditText);
}

void EditForm::writeTranslationBox(const Text& text) {
  translationValidator_->writeText(toQString(text));
}
