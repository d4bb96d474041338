#include "ui/ShiftedPutForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "textio/GbPointers.h"
#include "textio/GbaPointers.h"
#include "textio/ShiftedPut.h"
#include "tools/FieldNumber.h"
#include "ui/FormParts.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"
#include "workspace/Log.h"
#include "workspace/TextParts.h"

namespace {

QCheckBox* AddCheck(QWidget* form, const char* name, const char* caption) {
  auto* check = new QCheckBox(QString::fromUtf8(caption), form);
  check->setObjectName(name);
  return check;
}

// The field's text for reading a number from it: a character outside the code page
// cannot be part of a number, so it becomes one that is not either and stops the
// reading where it would have stopped anyway.
Text NumberText(const QString& field) {
  Text out;
  for (QChar ch : field) out += fromQString(QString(ch)).value_or(Text("?"));
  return out;
}

}  // namespace

ShiftedPutForm::ShiftedPutForm(Workspace& ws, QWidget* parent) : QWidget(parent, Qt::Window), ws_(ws) {
  setObjectName("ShiftedPutForm");
  setWindowTitle(QString::fromUtf8("Вставка текста перевода со смещением"));
  setAttribute(Qt::WA_DeleteOnClose);  // the next opening starts from the initial contents
  CloseOnEscape(this);
  auto* grid = new QGridLayout;
  fldAddToAddr_ =
      AddField(this, grid, "fldAddToAddr", "Сколько байт нужно добавить к адресу указанному в строке перевода", "0");
  fldNewAddr_ = AddField(this, grid, "fldNewAddr", "ИЛИ введите НОВЫЙ адрес ПЕРВОЙ строки перевода (сам посчитаю)", "");
  fldGbPointerTables_ =
      AddField(this, grid, "fldGbPointerTables", "Таблицы поинтеров GB (начало-конец;...)", ws.GbPointerTables);
  chkLeaveChangesInPerevodAddr_ =
      AddCheck(this, "chkLeaveChangesInPerevodAddr",
               "Оставить изменения адресов для строк перевода (сделать Новые адреса строк постоянными)");
  chkLeaveChangesInPerevodAddr_->setChecked(ws.LeaveChangesInPerevodAddr == "YES");
  CorrectGBAPointersCheck_ =
      AddCheck(this, "CorrectGBAPointersCheck", "Проводить автоматическую коррекцию поинтеров GBA (в ROM'е)");
  // Mirrors GbaPointerAlignment, so the choice is saved with the settings.
  chkAlignedGbaPointers_ = AddCheck(this, "chkAlignedGbaPointers", "Только выровненные поинтеры GBA");
  chkAlignedGbaPointers_->setChecked(ws.GbaPointerAlignment == "4");
  optPointerGBA_ = new QRadioButton("GBA", this);
  optPointerGBA_->setObjectName("optPointerGBA");
  optPointerGB_ = new QRadioButton("GB", this);
  optPointerGB_->setObjectName("optPointerGB");
  // Whoever named Game Boy tables most likely works on a Game Boy game.
  (ws.GbPointerTables.empty() ? optPointerGBA_ : optPointerGB_)->setChecked(true);
  auto* pointers = new QHBoxLayout;
  pointers->addWidget(CorrectGBAPointersCheck_);
  pointers->addWidget(optPointerGBA_);
  pointers->addWidget(optPointerGB_);
  pointers->addStretch();
  Command1_ = AddButton(this, "Command1", "Вернуть текст перевода в ROM");
  Command2_ = AddButton(this, "Command2", "Поискать поинтеры GBA");
  ExitBtn_ = AddButton(this, "ExitBtn", "Закрыть");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command1_);
  buttons->addWidget(Command2_);
  buttons->addStretch();
  buttons->addWidget(ExitBtn_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(chkLeaveChangesInPerevodAddr_);
  layout->addLayout(pointers);
  layout->addWidget(chkAlignedGbaPointers_);
  layout->addLayout(buttons);
  layout->addStretch(1);  // an enlarged window keeps its rows together

  connect(chkLeaveChangesInPerevodAddr_, &QCheckBox::toggled, this, [this] { chkLeaveChangesInPerevodAddr_Click(); });
  connect(chkAlignedGbaPointers_, &QCheckBox::toggled, this,
          [this](bool on) { ws_.GbaPointerAlignment = on ? "4" : "1"; });
  connect(fldNewAddr_, &QLineEdit::textChanged, this, [this] { fldNewAddr_Change(); });
  connect(optPointerGB_, &QRadioButton::toggled, this, [this] { optPointerKind_Click(); });
  connect(fldGbPointerTables_, &QLineEdit::textChanged, this, [this] { fldGbPointerTables_Change(); });
  optPointerKind_Click();
  connect(Command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2_, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(ExitBtn_, &QPushButton::clicked, this, &QWidget::close);
  if (auto* main = qobject_cast<MainForm*>(parent))
    connect(main, &MainForm::busyChanged, this, [this](bool busy) {
      Command1_->setEnabled(!busy);
      Command2_->setEnabled(!busy);
    });
  KeepCaptionVisible(this);
}

void ShiftedPutForm::chkLeaveChangesInPerevodAddr_Click() {
  ws_.LeaveChangesInPerevodAddr = chkLeaveChangesInPerevodAddr_->isChecked() ? "YES" : "NO";
}

void ShiftedPutForm::fldNewAddr_Change() {
  if (const auto shift = ShiftForNewAddress(ws_, NumberText(fldNewAddr_->text())))
    fldAddToAddr_->setText(toQString(ShiftFieldText(*shift)));
}

// The texts name the chosen kind of pointers; the alignment is a GBA matter only.
void ShiftedPutForm::optPointerKind_Click() {
  const bool gb = optPointerGB_->isChecked();
  Command2_->setText(QString::fromUtf8(gb ? "Поискать поинтеры GB" : "Поискать поинтеры GBA"));
  CorrectGBAPointersCheck_->setText(QString::fromUtf8(gb ? "Проводить автоматическую коррекцию поинтеров GB (в ROM'е)"
                                                         : "Проводить автоматическую коррекцию поинтеров GBA (в ROM'е)"));
  chkAlignedGbaPointers_->setEnabled(!gb);
}

void ShiftedPutForm::fldGbPointerTables_Change() {
  // A character outside the code page stays visible as "?", so the reading names it.
  ws_.GbPointerTables = TrimSpaces(NumberText(fldGbPointerTables_->text()));
}

void ShiftedPutForm::Command1_Click() {
  const Text typed = NumberText(fldAddToAddr_->text());
  const bool correct = CorrectGBAPointersCheck_->isChecked();
  const PointerKind kind = optPointerGB_->isChecked() ? PointerKind::Gb : PointerKind::Gba;
  run([this, typed, correct, kind] {
    try {
      ShiftedPut(ws_, FieldInt32(typed), correct, kind);
    } catch (...) {
      LogOperationError(ws_);
    }
  });
}

void ShiftedPutForm::Command2_Click() {
  if (optPointerGB_->isChecked())
    run([this] { FindGbPointers(ws_); });
  else
    run([this] { FindGbaPointers(ws_); });
}

void ShiftedPutForm::run(const std::function<void()>& command) {
  if (auto* main = qobject_cast<MainForm*>(parentWidget()))
    main->runCommand(command);
  else
    command();
}
