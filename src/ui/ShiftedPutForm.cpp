#include "ui/ShiftedPutForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "textio/GbaPointers.h"
#include "textio/ShiftedPut.h"
#include "tools/FieldNumber.h"
#include "ui/FormParts.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"
#include "workspace/Log.h"

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
  auto* grid = new QGridLayout;
  fldAddToAddr_ =
      AddField(this, grid, "fldAddToAddr", "Сколько байт нужно добавить к адресу указанному в строке перевода", "0");
  fldNewAddr_ = AddField(this, grid, "fldNewAddr", "ИЛИ введите НОВЫЙ адрес ПЕРВОЙ строки перевода (сам посчитаю)", "");
  chkLeaveChangesInPerevodAddr_ =
      AddCheck(this, "chkLeaveChangesInPerevodAddr",
               "Оставить изменения адресов для строк перевода (сделать Новые адреса строк постоянными)");
  chkLeaveChangesInPerevodAddr_->setChecked(ws.LeaveChangesInPerevodAddr == "YES");
  CorrectGBAPointersCheck_ =
      AddCheck(this, "CorrectGBAPointersCheck", "Проводить автоматическую коррекцию поинтеров GBA (в ROM'е)");
  // Mirrors GbaPointerAlignment, so the choice is saved with the settings.
  chkAlignedGbaPointers_ = AddCheck(this, "chkAlignedGbaPointers", "Только выровненные поинтеры GBA");
  chkAlignedGbaPointers_->setChecked(ws.GbaPointerAlignment == "4");
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
  layout->addWidget(CorrectGBAPointersCheck_);
  layout->addWidget(chkAlignedGbaPointers_);
  layout->addLayout(buttons);

  connect(chkLeaveChangesInPerevodAddr_, &QCheckBox::toggled, this, [this] { chkLeaveChangesInPerevodAddr_Click(); });
  connect(chkAlignedGbaPointers_, &QCheckBox::toggled, this,
          [this](bool on) { ws_.GbaPointerAlignment = on ? "4" : "1"; });
  connect(fldNewAddr_, &QLineEdit::textChanged, this, [this] { fldNewAddr_Change(); });
  connect(Command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2_, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(ExitBtn_, &QPushButton::clicked, this, &QWidget::close);
  if (auto* main = qobject_cast<MainForm*>(parent))
    connect(main, &MainForm::busyChanged, this, [this](bool busy) {
      Command1_->setEnabled(!busy);
      Command2_->setEnabled(!busy);
    });
}

void ShiftedPutForm::chkLeaveChangesInPerevodAddr_Click() {
  ws_.LeaveChangesInPerevodAddr = chkLeaveChangesInPerevodAddr_->isChecked() ? "YES" : "NO";
}

void ShiftedPutForm::fldNewAddr_Change() {
  if (const auto shift = ShiftForNewAddress(ws_, NumberText(fldNewAddr_->text())))
    fldAddToAddr_->setText(toQString(Digits(*shift)));
}

void ShiftedPutForm::Command1_Click() {
  const Text typed = NumberText(fldAddToAddr_->text());
  const bool correct = CorrectGBAPointersCheck_->isChecked();
  run([this, typed, correct] {
    try {
      ShiftedPut(ws_, FieldInt32(typed), correct);
    } catch (...) {
      LogOperationError(ws_);
    }
  });
}

void ShiftedPutForm::Command2_Click() {
  run([this] { FindGbaPointers(ws_); });
}

void ShiftedPutForm::run(const std::function<void()>& command) {
  if (auto* main = qobject_cast<MainForm*>(parentWidget()))
    main->runCommand(command);
  else
    command();
}
