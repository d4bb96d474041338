#include "ui/FindForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "editor/FindReplace.h"
#include "ui/FormParts.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"

namespace {

MainForm* FindMainForm(QObject* from) {
  for (QObject* o = from; o; o = o->parent())
    if (auto* form = qobject_cast<MainForm*>(o)) return form;
  return nullptr;
}

QLabel* NamedLabel(const char* name, const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(name);
  return label;
}

QPushButton* NamedButton(const char* name, const char* text, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

FindForm::FindForm(Workspace& ws, QWidget* parent, FindFormList list)
    : QWidget(parent), ws_(ws), list_(std::move(list)), main_(FindMainForm(parent)) {
  setObjectName("FindForm");
  setWindowFlags(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  CloseOnEscape(this);
  setWindowTitle(QString::fromUtf8("Найти/Заменить - ") + toQString(ws.PerevodFileName));

  findWhat_ = new QLineEdit(this);
  findWhat_->setObjectName("FindWhat");
  replaceWith_ = new QLineEdit(this);
  replaceWith_->setObjectName("ReplaceWith");
  caseSense_ = new QCheckBox(QString::fromUtf8("Учитывать регистр"), this);
  caseSense_->setObjectName("CaseSense");
  QPushButton* replace = NamedButton("BntFindAndReplace", "Найти и заменить на ...", this);
  QPushButton* remove = NamedButton("BntFindAndDlete", "Найти и удалить строки", this);
  QPushButton* exit = NamedButton("ExitBtn", "Закрыть", this);

  auto* layout = new QGridLayout(this);
  layout->addWidget(NamedLabel("Label1", "Найти подстроку", this), 0, 0);
  layout->addWidget(findWhat_, 0, 1, 1, 2);
  layout->addWidget(NamedLabel("Label2", "Заменить на", this), 1, 0);
  layout->addWidget(replaceWith_, 1, 1, 1, 2);
  layout->addWidget(caseSense_, 2, 1);
  layout->addWidget(replace, 3, 0);
  layout->addWidget(remove, 3, 1);
  layout->addWidget(exit, 3, 2);
  layout->addWidget(NamedLabel("Label3", "Операция выполняется по ВСЕМ строкам перевода.", this), 4, 0, 1, 3);
  layout->addWidget(NamedLabel("Label4", "Операция НЕ может быть отменена (UNDO нет!)", this), 5, 0, 1, 3);
  layout->setColumnStretch(1, 1);
  resize(480, 170);

  connect(replace, &QPushButton::clicked, this, &FindForm::BntFindAndReplace_Click);
  connect(remove, &QPushButton::clicked, this, &FindForm::BntFindAndDlete_Click);
  connect(exit, &QPushButton::clicked, this, &QWidget::close);

  if (main_) {
    QPointer<FindForm> self(this);
    main_->registerSideWindow(Window::FindForm, [self] {
      if (self) self->close();
    });
    const auto follow = [replace, remove](bool busy) {
      replace->setEnabled(!busy);
      remove->setEnabled(!busy);
    };
    connect(main_, &MainForm::busyChanged, this, follow);
    follow(main_->busy());
  }
}

void FindForm::setFindWhat(const Text& text) {
  findWhat_->setText(toQString(text));
}

Text FindForm::fieldText(const QLineEdit* field) const {
  return fromQString(field->text()).value_or(Text());
}

void FindForm::BntFindAndReplace_Click() {
  const Text find = fieldText(findWhat_);
  const Text replacement = fieldText(replaceWith_);
  const bool caseSense = caseSense_->isChecked();
  runOperation([=, this] { return FindAndReplace(ws_, find, replacement, caseSense); });
}

void FindForm::BntFindAndDlete_Click() {
  const Text find = fieldText(findWhat_);
  const bool caseSense = caseSense_->isChecked();
  runOperation([=, this] { return FindAndDelete(ws_, find, caseSense); });
}

void FindForm::runOperation(const std::function<int()>& operation) {
  const int previousRow = list_.currentRow ? list_.currentRow() : -1;
  int changed = 0;
  const auto run = [&] { changed = operation(); };
  if (list_.run)
    list_.run(run);
  else if (main_)
    main_->runCommand(run);
  else
    run();
  if (changed == 0) return;
  activateWindow();
  if (list_.rebuilt) list_.rebuilt(previousRow);
}
