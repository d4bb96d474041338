#include "ui/FormParts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/QtText.h"

QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const QString& text) {
  auto* field = new QLineEdit(text, form);
  field->setObjectName(name);
  auto* caption = new QLabel(QString::fromUtf8(label), form);
  caption->setWordWrap(true);
  caption->setBuddy(field);
  const int row = grid->rowCount();
  grid->addWidget(caption, row, 0);
  grid->addWidget(field, row, 1);
  return field;
}

QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const Text& text) {
  return AddField(form, grid, name, label, toQString(text));
}

QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const char* text) {
  return AddField(form, grid, name, label, QString::fromUtf8(text));
}

QPushButton* AddButton(QWidget* form, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), form);
  button->setObjectName(name);
  return button;
}
