#pragma once
// The labelled fields, named buttons and checked text fields the windows are made of.
#include <QString>
#include <QValidator>
#include <functional>

#include "workspace/Workspace.h"

class QGridLayout;
class QLineEdit;
class QPushButton;
class QWidget;

// A field named `name` with its caption on a new row of `grid`.
QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const QString& text);
QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const Text& text);
QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const char* text);
QPushButton* AddButton(QWidget* form, const char* name, const char* caption);

// Esc anywhere in the window closes it, as the window's close button does.
void CloseOnEscape(QWidget* window);

// Keeps the window at least as wide as its caption needs in the title bar, beside the
// layout's own minimum, and high enough for its wrapped labels at that width.
void KeepCaptionVisible(QWidget* window);

// Characters, not UTF-16 units: a character beyond the Basic Multilingual Plane is one.
qsizetype CharCount(const QString& text);

// Keeps out of a text field, when given a limit, typing and pasting past that many
// characters. Any character is typed; text written by the program itself is never cut.
class LimitValidator : public QValidator {
  Q_OBJECT
 public:
  explicit LimitValidator(QLineEdit* field);
  void setLimit(int limit) { limit_ = limit; }  // 0: no limit
  // How the limit measures a text: characters unless told otherwise (an extended table
  // counts the bytes the text encodes to).
  void setMeasure(std::function<qsizetype(const QString&)> measure) { measure_ = std::move(measure); }
  int limit() const { return limit_; }
  // Writes the field's text from code: not limited.
  void writeText(const QString& text);
  State validate(QString& input, int& pos) const override;

 private:
  QLineEdit* field_;
  QString accepted_;  // the text before the edit being validated
  int limit_ = 0;
  bool writing_ = false;
  std::function<qsizetype(const QString&)> measure_ = [](const QString& text) { return CharCount(text); };
};
