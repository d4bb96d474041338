#include "ui/FormParts.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "ui/QtText.h"

QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const QString& text) {
  auto* field = new QLineEdit(text, form);
  field->setObjectName(name);
  auto* caption = new QLabel(QString::fromUtf8(label), form);
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

namespace {

// Sees the keys that the window's controls leave alone: Esc reaches it unless a
// control used it (an open completion list, say).
class EscapeCloses : public QObject {
 public:
  explicit EscapeCloses(QWidget* window) : QObject(window), window_(window) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier) return false;
    window_->close();
    return true;
  }

 private:
  QWidget* window_;
};

}  // namespace

void CloseOnEscape(QWidget* window) {
  window->installEventFilter(new EscapeCloses(window));
}

void KeepCaptionVisible(QWidget* window) {
  // The title bar's font is often bold, and its icon and buttons take about six of its
  // heights.
  QFont bold = window->font();
  bold.setBold(true);
  const int titleBar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
  const int caption = QFontMetrics(bold).horizontalAdvance(window->windowTitle()) + 6 * std::max(titleBar, 20);
  window->setMinimumWidth(std::max(window->minimumSizeHint().width(), caption));
  // Wrapped labels need more lines at the smallest width than the layout's minimum
  // counts; without them the rows below would be squeezed.
  if (QLayout* layout = window->layout(); layout && layout->hasHeightForWidth())
    window->setMinimumHeight(std::max(window->minimumSizeHint().height(),
                                      layout->totalHeightForWidth(window->minimumWidth())));
}

QPushButton* AddButton(QWidget* form, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), form);
  button->setObjectName(name);
  return button;
}

LimitValidator::LimitValidator(QLineEdit* field) : QValidator(field), field_(field) {
  field->setValidator(this);
  connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
}

void LimitValidator::writeText(const QString& text) {
  writing_ = true;
  field_->setText(text);
  writing_ = false;
}

QValidator::State LimitValidator::validate(QString& input, int& pos) const {
  if (writing_) return Acceptable;
  const qsizetype acceptedSize = measure_(accepted_);
  const qsizetype room = std::max<qsizetype>(limit_, acceptedSize);
  qsizetype size = measure_(input);
  if (limit_ <= 0 || size <= room || size <= acceptedSize) return Acceptable;
  // What was typed or pasted is cut, from its end, to what still fits, as a
  // length-limited field does; nothing of it fitting refuses the edit.
  const qsizetype inserted = input.size() - accepted_.size();
  QString cut = input;
  int at = pos;
  for (qsizetype removed = 0; size > room; ++removed) {
    if (removed + 1 >= inserted || at <= 0) return Invalid;
    // A character beyond the Basic Multilingual Plane goes whole.
    const qsizetype units = at >= 2 && cut[at - 1].isLowSurrogate() && cut[at - 2].isHighSurrogate() ? 2 : 1;
    at -= static_cast<int>(units);
    cut.remove(at, units);
    size = measure_(cut);
  }
  input = cut;
  pos = at;
  return Acceptable;
}

qsizetype CharCount(const QString& text) {
  qsizetype n = 0;
  for (QChar ch : text) n += !ch.isLowSurrogate();
  return n;
}
