#include "ui/TransponForm.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tools/TileTransposition.h"
#include "ui/FormParts.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"
#include "workspace/Log.h"

namespace {

QLabel* HelpLabel(QWidget* form, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), form);
  label->setWordWrap(true);
  return label;
}

void Follow(QLineEdit* from, QLineEdit* to) {
  if (to->text() != from->text()) to->setText(from->text());
}

}  // namespace

TransponForm::TransponForm(Workspace& ws, QWidget* parent) : QWidget(parent, Qt::Window), ws_(ws) {
  setObjectName("TransponForm");
  setWindowTitle(QString::fromUtf8("Транспонирование (части) ROM"));
  setAttribute(Qt::WA_DeleteOnClose);  // every opening starts from the settings again
  const TransposeFields fields = TransposeFieldsFromSettings(ws);
  auto* grid = new QGridLayout;
  StartBlockAddr_ = AddField(this, grid, "StartBlockAddr", "Адрес начала блока в ROM", fields.startAddr);
  TilesInRowFld_ = AddField(this, grid, "TilesInRowFld", "Сколько тайлов В СТРОКЕ", fields.tilesInRow);
  TilesInColFld_ = AddField(this, grid, "TilesInColFld", "Сколько тайлов В КОЛОНКЕ", fields.tilesInCol);

  auto* formatBox = new QGroupBox(QString::fromUtf8("ROM Tile format"), this);
  auto* formatLayout = new QVBoxLayout(formatBox);
  TileFormatBpp_ = new QButtonGroup(this);
  TileFormatBpp_->setObjectName("TileFormatBpp");
  for (int i = 0; i < 3; ++i) {
    auto* option = new QRadioButton(QString::fromUtf8(kTileFormatCaptions[i]), formatBox);
    option->setObjectName(QString("TileFormatBpp_%1").arg(i));
    TileFormatBpp_->addButton(option, i);
    formatLayout->addWidget(option);
  }
  TileFormatBpp_->button(fields.format)->setChecked(true);

  DoTransponButt_ = new QPushButton("RUN", this);
  DoTransponButt_->setObjectName("DoTransponButt");
  ExitBtn_ = new QPushButton(QString::fromUtf8("Закрыть"), this);
  ExitBtn_->setObjectName("ExitBtn");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(DoTransponButt_);
  buttons->addStretch();
  buttons->addWidget(ExitBtn_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(HelpLabel(this, "Адресация начинается с 0 (с ноля)"));
  layout->addWidget(HelpLabel(this, "Адрес указывается или десятичный или с приставкой &H для HEX"));
  layout->addLayout(grid);
  layout->addWidget(formatBox);
  layout->addWidget(
      HelpLabel(this, "(Если нажать кнопку RUN два раза подряд, то выходной ROM, будет равен исходному)"));
  layout->addWidget(HelpLabel(this,
                              "Поправив тайлы в тайловом редакторе, запустите транспонирование еще раз с теми же "
                              "параметрами: ROM вернется в нужный для игры вид"));
  layout->addLayout(buttons);

  connect(TilesInRowFld_, &QLineEdit::textChanged, this, [this] { TilesInRowFld_Change(); });
  connect(TilesInColFld_, &QLineEdit::textChanged, this, [this] { TilesInColFld_Change(); });
  connect(DoTransponButt_, &QPushButton::clicked, this, [this] { DoTransponButt_Click(); });
  connect(ExitBtn_, &QPushButton::clicked, this, &QWidget::close);
  if (auto* main = qobject_cast<MainForm*>(parent))
    connect(main, &MainForm::busyChanged, this, [this](bool busy) { DoTransponButt_->setEnabled(!busy); });
  KeepCaptionVisible(this);
}

void TransponForm::TilesInRowFld_Change() {
  Follow(TilesInRowFld_, TilesInColFld_);
}

void TransponForm::TilesInColFld_Change() {
  Follow(TilesInColFld_, TilesInRowFld_);
}

void TransponForm::DoTransponButt_Click() {
  const auto start = fromQString(StartBlockAddr_->text());
  const auto tiles = fromQString(TilesInRowFld_->text());
  if (!start || !tiles) {
    const Text text = W("В полях есть символы не из кодировки Windows-1251");
    ws_.host->message(text, Buttons::Ok, Icon::Critical);
    AppendLog(ws_, text);
    return;
  }
  const TransposeFields fields{*start, *tiles, *tiles, std::max(0, TileFormatBpp_->checkedId())};
  const auto run = [this, fields] { TransposeTileBlock(ws_, fields); };
  if (auto* main = qobject_cast<MainForm*>(parentWidget()))
    main->runCommand(run);
  else
    run();
}
