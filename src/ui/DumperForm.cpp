#include "ui/DumperForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "tools/Dumper.h"
#include "ui/FormParts.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"
#include "workspace/Log.h"

DumperForm::DumperForm(Workspace& ws, QWidget* parent) : QWidget(parent, Qt::Window), ws_(ws) {
  setObjectName("DumperForm");
  setWindowTitle("Dumper");
  setAttribute(Qt::WA_DeleteOnClose);  // every opening starts from the settings again
  CloseOnEscape(this);
  const DumperFields fields = DumperFieldsFromSettings(ws);
  auto* grid = new QGridLayout;
  fldStartAddr_ = AddField(this, grid, "fldStartAddr", "Адрес начала блока для дампа", fields.startAddr);
  fldEndAddr_ = AddField(this, grid, "fldEndAddr", "Адрес конца блока для дампа", fields.endAddr);
  fldLineSize_ = AddField(this, grid, "fldLineSize", "Число символов в строке дампа", fields.lineSize);
  fldDumpLen_ = AddField(this, grid, "fldDumpLen", "Сколько точно дампить в байтах", Text());
  CheckDoEncode_ = new QCheckBox(QString::fromUtf8("Укодировать неизвестные символы в <$+hex+>"), this);
  CheckDoEncode_->setObjectName("CheckDoEncode");
  CheckDoEncode_->setChecked(true);
  grid->addWidget(CheckDoEncode_, grid->rowCount(), 0, 1, 2);
  Command1_ = AddButton(this, "Command1", "RUN");
  ExitBtn_ = AddButton(this, "ExitBtn", "Закрыть");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command1_);
  buttons->addStretch();
  buttons->addWidget(ExitBtn_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->addStretch(1);  // an enlarged window keeps its rows together

  connect(fldDumpLen_, &QLineEdit::textChanged, this, [this] { fldDumpLen_Change(); });
  connect(Command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(ExitBtn_, &QPushButton::clicked, this, &QWidget::close);
  if (auto* main = qobject_cast<MainForm*>(parent))
    connect(main, &MainForm::busyChanged, this, [this](bool busy) { Command1_->setEnabled(!busy); });
  KeepCaptionVisible(this);
}

void DumperForm::fldDumpLen_Change() {
  const auto start = fromQString(fldStartAddr_->text());
  const auto length = fromQString(fldDumpLen_->text());
  if (start && length) fldEndAddr_->setText(toQString(DumpEndForLength(*start, *length)));
}

void DumperForm::Command1_Click() {
  DumperFields fields;
  const auto start = fromQString(fldStartAddr_->text());
  const auto end = fromQString(fldEndAddr_->text());
  const auto lineSize = fromQString(fldLineSize_->text());
  if (!start || !end || !lineSize) {
    const Text text = W("В полях есть символы не из кодировки Windows-1251");
    ws_.host->message(text, Buttons::Ok, Icon::Critical);
    AppendLog(ws_, text);
    return;
  }
  fields.startAddr = *start;
  fields.endAddr = *end;
  fields.lineSize = *lineSize;
  fields.encode = CheckDoEncode_->isChecked();
  const auto run = [this, fields] { RunDumper(ws_, fields); };
  if (auto* main = qobject_cast<MainForm*>(parentWidget()))
    main->runCommand(run);
  else
    run();
}
