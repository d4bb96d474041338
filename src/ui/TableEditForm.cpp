#include "ui/TableEditForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QValidator>

#include "tools/TableEdit.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"
#include "workspace/Log.h"

// Holds the previews of cell changes back until the outermost batch ends.
class TableEditPreviewBatch {
 public:
  explicit TableEditPreviewBatch(TableEditForm& form) : form_(form) { ++form_.previewHold_; }
  ~TableEditPreviewBatch() {
    if (--form_.previewHold_ > 0 || !form_.previewWanted_) return;
    form_.previewWanted_ = false;
    form_.ShowDumpPreview();
  }
  TableEditPreviewBatch(const TableEditPreviewBatch&) = delete;
  TableEditPreviewBatch& operator=(const TableEditPreviewBatch&) = delete;

 private:
  TableEditForm& form_;
};

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kGridLeft = 720 / kTwipsPerPixel;
constexpr int kGridTop = 480 / kTwipsPerPixel;
constexpr int kCellPitchX = 360 / kTwipsPerPixel;
constexpr int kCellPitchY = 240 / kTwipsPerPixel;
// Control characters have no glyph of their own; the Unicode control pictures stand in.
constexpr char16_t kControlPictures = 0x2400;

// The program text of what the user typed or dropped, the control pictures read back
// as their codes; nothing when a character has no place in the code page.
std::optional<Text> TypedText(const QString& s) {
  Text out;
  for (QChar ch : s) {
    const char16_t u = ch.unicode();
    if (u > kControlPictures && u < kControlPictures + 32) {
      out += static_cast<char>(u - kControlPictures);
      continue;
    }
    const auto byte = cp1251::Encode(u);
    if (!byte || *byte == 0) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}

// Keeps a cell to one character of the code page.
class CellValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    return input.size() <= 1 && TypedText(input) ? Acceptable : Invalid;
  }
};

// The row or column headings, each centred on its row or column of cells.
class GridHeadings : public QLabel {
 public:
  GridHeadings(const QString& caption, Qt::Orientation orientation, int pitch, QWidget* parent)
      : QLabel(caption, parent), orientation_(orientation), pitch_(pitch) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QStringList items = text().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    for (int i = 0; i < items.size(); ++i) {
      const QRect place = orientation_ == Qt::Horizontal ? QRect(i * pitch_, 0, pitch_, height())
                                                         : QRect(0, i * pitch_, width(), pitch_);
      painter.drawText(place, Qt::AlignCenter, items[i]);
    }
  }

 private:
  Qt::Orientation orientation_;
  int pitch_;
};

CellKey KeyOf(int key) {
  switch (key) {
    case Qt::Key_Backspace:
      return CellKey::Backspace;
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    // Tab has already moved the focus by the time it is released.
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return CellKey::Modifier;
    case Qt::Key_Left:
      return CellKey::Left;
    case Qt::Key_Up:
      return CellKey::Up;
    case Qt::Key_Down:
      return CellKey::Down;
    case Qt::Key_Delete:
      return CellKey::Delete;
    default:
      return CellKey::Other;
  }
}

QFont FontOf(const char* family, QFont::StyleHint hint, double points, bool bold = false) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// Text of the code page with characters it lacks shown as "?": for the comments, where
// a pasted foreign character must not cost the rest of the text.
Text LossyText(const QString& s) {
  Text out;
  for (QChar ch : s) {
    const auto byte = cp1251::Encode(ch.unicode());
    out += byte ? static_cast<char>(*byte) : '?';
  }
  return out;
}

Text CellText(const QLineEdit* cell) { return TypedText(cell->text()).value_or(Text()); }

}  // namespace

QString TableEditForm::cellGlyphs(const Text& text) {
  QString shown;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0 && byte < 32)
      shown += QChar(static_cast<char16_t>(kControlPictures + byte));
    else
      shown += QChar(static_cast<char16_t>(cp1251::Decode(byte)));
  }
  return shown;
}

TableEditForm::TableEditForm(Workspace& ws, QWidget* parent) : QWidget(parent, Qt::Window), ws_(ws) {
  setObjectName("TableEditForm");
  setWindowTitle("Table Editor");
  setAttribute(Qt::WA_DeleteOnClose);
  setFont(FontOf("Courier New", QFont::TypeWriter, 8.25));
  // Captions in the monospaced window font would not fit the buttons of the grid's width.
  buttonFont_ = FontOf("MS Sans Serif", QFont::SansSerif, 8.25);
  resize(10410 / kTwipsPerPixel, 7290 / kTwipsPerPixel);
  buildControls();
  buildButtons();
  if (auto* main = qobject_cast<MainForm*>(parent)) {
    connect(main, &MainForm::busyChanged, this, [this](bool busy) {
      for (QPushButton* button : buttons_) button->setEnabled(!busy);
    });
  }
  // Opening: the carrier is hidden, the grid shows the table, the preview starts where
  // the last one did.
  Label1_->hide();
  doShowTable();
  if (!ws_.AddrInTblDumpPrv.empty()) fldStartAddr_->setText(toQString(ws_.AddrInTblDumpPrv));
}

void TableEditForm::buildControls() {
  auto* columns = new GridHeadings(
      "-0   -1    -2   -3   -4   -5    -6   -7    -8   -9  -A   -B   -C   -D   -E   -F", Qt::Horizontal,
      kCellPitchX, this);
  columns->setObjectName("Label2_1");
  columns->setGeometry(kGridLeft, kGridTop - kCellPitchY, 16 * kCellPitchX, kCellPitchY);
  auto* rows = new GridHeadings("0-\n1-\n2-\n3-\n4-\n5-\n6-\n7-\n8-\n9-\nA-\nB-\nC-\nD-\nE-\nF-", Qt::Vertical,
                                kCellPitchY, this);
  rows->setObjectName("Label2_0");
  rows->setGeometry(kGridLeft - 22, kGridTop, 22, 16 * kCellPitchY);

  // The one-pixel gaps between the cells show this as the grid's lines.
  auto* lines = new QWidget(this);
  lines->setObjectName("GridLines");
  lines->setAutoFillBackground(true);
  QPalette linesPalette = lines->palette();
  linesPalette.setColor(QPalette::Window, linesPalette.color(QPalette::Mid));
  lines->setPalette(linesPalette);
  lines->setGeometry(kGridLeft - 1, kGridTop - 1, 16 * kCellPitchX + 1, 16 * kCellPitchY + 1);

  const QFont cellFont = FontOf("Courier New", QFont::TypeWriter, 9.75, true);
  for (int k = 0; k < kTableCodes; ++k) {
    auto* cell = new QLineEdit(this);
    cell->setObjectName(QString("Text1_%1").arg(k));
    cell->setFont(cellFont);
    cell->setFrame(false);
    cell->setAlignment(Qt::AlignCenter);
    cell->setTextMargins(0, 0, 0, 0);
    cell->setMaxLength(1);
    cell->setValidator(new CellValidator(cell));
    cell->setGeometry(kGridLeft + (k % 16) * kCellPitchX, kGridTop + (k / 16) * kCellPitchY, kCellPitchX - 1,
                      kCellPitchY - 1);
    cell->installEventFilter(this);
    connect(cell, &QLineEdit::textChanged, this, [this, k] { Text1_Change(k); });
    Text1_[static_cast<size_t>(k)] = cell;
  }

  Label3_ = new QLabel(this);
  Label3_->setObjectName("Label3");
  Label3_->setFont(FontOf("Arial", QFont::SansSerif, 9.75, true));
  Label3_->setGeometry(kGridLeft, 294, 200, 20);

  EditTableComments_ = new QPlainTextEdit(this);
  EditTableComments_->setObjectName("EditTableComments");
  EditTableComments_->setToolTip(QString::fromUtf8("Коментарии к таблице"));
  EditTableComments_->setGeometry(6, 350, 456, 58);
  connect(EditTableComments_, &QPlainTextEdit::textChanged, this, [this] { EditTableComments_Change(); });

  const std::array<std::pair<const char*, Text>, 4> strips = {{{"EngSmallLetters", EngSmallLettersText()},
                                                               {"EngBigLetters", EngBigLettersText()},
                                                               {"RusSmallLetters", RusSmallLettersText()},
                                                               {"RusBigLetters", RusBigLettersText()}}};
  int stripLeft = 6;
  for (size_t i = 0; i < strips.size(); ++i) {
    auto* strip = new QLabel(toQString(strips[i].second), this);
    strip->setObjectName(strips[i].first);
    strip->setToolTip(QString::fromUtf8("Брось меня на таблицу, я тебе пригожусь"));
    strip->setCursor(Qt::OpenHandCursor);
    const int width = strip->fontMetrics().horizontalAdvance(strip->text()) + 2;
    strip->setGeometry(stripLeft, i % 2 == 0 ? 418 : 440, width, 18);
    if (i % 2 == 1) stripLeft += width + 8;
    strip->installEventFilter(this);
    strips_[i] = strip;
  }

  auto* caption = new QLabel(QString::fromUtf8("Адрес начала блока для просмотра"), this);
  caption->setObjectName("Labelx");
  caption->setGeometry(470, 8, 220, 18);
  fldStartAddr_ = new QLineEdit("1", this);
  fldStartAddr_->setObjectName("fldStartAddr");
  fldStartAddr_->setGeometry(470, 28, 100, 22);
  fldStartAddr_->installEventFilter(this);
  DoPreview_ = new QCheckBox("Show Preview", this);
  DoPreview_->setObjectName("DoPreview");
  DoPreview_->setGeometry(578, 28, 112, 22);
  DumpView_ = new QTextEdit(this);
  DumpView_->setObjectName("DumpView");
  DumpView_->setFont(FontOf("Courier New", QFont::TypeWriter, 8.5));
  DumpView_->setReadOnly(true);
  DumpView_->setPlainText("Dump Preview");
  DumpView_->setGeometry(470, 104, 217, 374);

  Label1_ = new QLabel(this);
  Label1_->setObjectName("Label1");
}

QPushButton* TableEditForm::addButton(const char* name, const char* caption, const char* tip, QRect place,
                                      std::function<void()> click) {
  auto* button = new QPushButton(QString::fromUtf8(caption), this);
  button->setObjectName(name);
  if (tip) button->setToolTip(QString::fromUtf8(tip));
  button->setFont(buttonFont_);
  button->setGeometry(place);
  button->setFocusPolicy(Qt::TabFocus);
  connect(button, &QPushButton::clicked, this, [this, click = std::move(click)] { runButton(click); });
  buttons_.push_back(button);
  return button;
}

void TableEditForm::buildButtons() {
  addButton("btnShiftLeft", "<", "Подвинуть все символы влево", QRect(2, kGridTop - 1, 21, 18), [this] {
    ShiftTableLeft(ws_);
    doShowTable();
  });
  addButton("btnShiftRight", ">", "Подвинуть все символы вправо",
            QRect(kGridLeft + 16 * kCellPitchX + 2, kGridTop + 15 * kCellPitchY - 1, 21, 18), [this] {
              ShiftTableRight(ws_);
              doShowTable();
            });
  addButton("btnShowPreview", "Show Dump", nullptr, QRect(252, 292, 100, 24), [this] { ShowDumpPreview(); });

  const QRect row(6, 320, 74, 24);
  const int step = 76;
  addButton("btnRevertTable", "Revert table", "Обновить данные на форме редактора таблиц", row,
            [this] { doShowTable(); });
  addButton("btnReset1251", "Reset (1251)", "Набить в таблицу все символы кодировки Windows-1251",
            row.translated(step, 0), [this] { resetTo(Windows1251Grid()); });
  addButton("btnResetROM", "Reset (Alph)", "Набить в таблицу печатных символов", row.translated(2 * step, 0),
            [this] { resetTo(AlphabetGrid()); });
  addButton("btnChkENG", "Eng. Check", "Проверить наличие ВСЕЙ латиницы", row.translated(3 * step, 0),
            [this] { CheckEngLetters(ws_); });
  addButton("btnRUSchk", "Rus. Check", "Проверить наличие ВСЕЙ кириллицы", row.translated(4 * step, 0),
            [this] { CheckRusLetters(ws_); });
  addButton("btnClearAll", "Clear All", "Удалить все из таблицы", row.translated(5 * step, 0),
            [this] { resetTo(Text(kTableCodes, '\0')); });

  const QRect search(404, 412, 58, 22);
  addButton("btnFindBigEng", "? ENG", "Поискать коды ЗАГЛАВНЫХ  английских букв", search,
            [this] { findCodes(static_cast<int>(CodeSearch::BigEng)); });
  addButton("btnFindSmallEng", "? eng", "Поискать коды маленьких  английских букв", search.translated(0, 24),
            [this] { findCodes(static_cast<int>(CodeSearch::SmallEng)); });
  addButton("btnFindSpaceCode", "? space", "Поискать код пробела", search.translated(0, 48),
            [this] { findCodes(static_cast<int>(CodeSearch::Space)); });

  // Closing stays possible while a command of the main window runs.
  auto* exit = new QPushButton(QString::fromUtf8("Закрыть"), this);
  exit->setObjectName("ExitBtn");
  exit->setFont(buttonFont_);
  exit->setGeometry(356, 292, 106, 24);
  exit->setFocusPolicy(Qt::TabFocus);
  connect(exit, &QPushButton::clicked, this, &QWidget::close);
}

void TableEditForm::runButton(const std::function<void()>& click) {
  if (auto* main = qobject_cast<MainForm*>(parentWidget())) {
    main->runCommand(click);
    return;
  }
  try {
    click();
  } catch (...) {
    LogOperationError(ws_);
  }
}

Text TableEditForm::gridText() const {
  Text grid(kTableCodes, '\0');
  for (int k = 0; k < kTableCodes; ++k) {
    const Text text = CellText(cell(k));
    if (!text.empty()) grid[static_cast<size_t>(k)] = text[0];
  }
  return grid;
}

void TableEditForm::setGrid(const Text& grid) {
  for (int k = 0; k < kTableCodes; ++k) {
    const char c = grid[static_cast<size_t>(k)];
    cell(k)->setText(c == '\0' ? QString() : cellGlyphs(Text(1, c)));
  }
}

Text TableEditForm::commentsText() const {
  QString text = EditTableComments_->toPlainText();
  text.replace("\n", "\r\n");
  return LossyText(text);
}

void TableEditForm::previewIfChecked() {
  if (!DoPreview_->isChecked()) return;
  if (previewHold_ > 0) {
    previewWanted_ = true;
    return;
  }
  ShowDumpPreview();
}

void TableEditForm::doShowTable() {
  TableEditPreviewBatch batch(*this);
  if (const auto grid = GridFromTable(ws_)) {
    setGrid(*grid);
    for (int k = 0; k < kTableCodes; ++k) DoHigh(k);
  }
  tableSeen_ = ws_.CharTableLookup;
  if (!ws_.TableComments.empty()) {
    QString comments = toQString(ws_.TableComments);
    comments.replace("\r\n", "\n");
    EditTableComments_->setPlainText(comments);
  }
}

void TableEditForm::PutChangesInTable() {
  PutGridInTable(ws_, gridText(), commentsText());
  tableSeen_ = ws_.CharTableLookup;
  previewIfChecked();
}

void TableEditForm::DoHigh(int k) {
  QColor colour;
  switch (ColourOfCell(CellText(cell(k)))) {
    case CellColour::Unchanged:
      return;
    case CellColour::Control:
      colour = QColor(128, 128, 0);
      break;
    case CellColour::WindowText:
      colour = QApplication::palette().color(QPalette::Text);
      break;
    case CellColour::Between:
      colour = QColor(128, 128, 128);
      break;
    case CellColour::Cyrillic:
      colour = QColor(255, 0, 0);
      break;
  }
  QPalette palette = cell(k)->palette();
  palette.setColor(QPalette::Text, colour);
  cell(k)->setPalette(palette);
}

void TableEditForm::ShowDumpPreview() {
  const Text preview = TablePreview(ws_, LossyText(fldStartAddr_->text()));
  DumpView_->setPlainText(cellGlyphs(preview));
  ws_.host->pumpEvents();
}

void TableEditForm::resetTo(const Text& grid) {
  TableEditPreviewBatch batch(*this);
  setGrid(grid);
  for (int k = 0; k < kTableCodes; ++k) DoHigh(k);
  ResetTable(ws_, gridText(), commentsText());
  tableSeen_ = ws_.CharTableLookup;
  previewIfChecked();
}

void TableEditForm::findCodes(int search) {
  const auto kind = static_cast<CodeSearch>(search);
  // The letter searches start from the table as it is; the space search from what the
  // user sees, and it does not throw away edits not yet copied.
  if (kind != CodeSearch::Space) doShowTable();
  const auto merged = SearchTableCodes(ws_, kind, gridText());
  if (!merged) return;
  TableEditPreviewBatch batch(*this);
  setGrid(*merged);
  PutChangesInTable();
}

bool TableEditForm::dropOnCell(int code, const QString& text) {
  const auto carried = TypedText(text);
  if (!carried) return false;
  TableEditPreviewBatch batch(*this);
  Text grid = gridText();
  DropOnGrid(grid, code, *carried);
  setGrid(grid);
  PutChangesInTable();
  return true;
}

void TableEditForm::focusCell(int code) {
  cell(code)->setFocus(Qt::OtherFocusReason);
  cell(code)->selectAll();
}

void TableEditForm::Text1_Change(int code) {
  DoHigh(code);
  ws_.TableChanged = true;
  if (auto* main = qobject_cast<MainForm*>(parentWidget())) main->refreshCaption();
  previewIfChecked();
}

void TableEditForm::Text1_GotFocus(int code) {
  Label3_->setText(cellGlyphs(CellFacts(code, CellText(cell(code)))));
  previewIfChecked();
}

void TableEditForm::Text1_KeyUp(int code, int key, Qt::KeyboardModifiers modifiers) {
  TableEditPreviewBatch batch(*this);
  if (!(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
    const CellMove move = NextCell(code, KeyOf(key), cell(code)->text().isEmpty());
    if (move.copyFirst) PutChangesInTable();
    focusCell(move.next);
  }
  PutChangesInTable();
}

// A press in a cell that goes nowhere drops the cell's own text back on it: the grid
// goes into the table.
void TableEditForm::Text1_Click(int) {
  TableEditPreviewBatch batch(*this);
  PutChangesInTable();
  previewIfChecked();
}

void TableEditForm::EditTableComments_Change() {
  const QString before = EditTableComments_->toPlainText();
  const auto fixed = CheckTableComments(ws_, commentsText());
  if (!fixed) return;
  // The caret stays after the same character, each "=" before it having grown.
  const int caret = EditTableComments_->textCursor().position();
  const int grown = static_cast<int>(before.left(caret).count('=')) * (static_cast<int>(W(" равно").size()) - 1);
  QString shown = toQString(*fixed);
  shown.replace("\r\n", "\n");
  EditTableComments_->setPlainText(shown);
  QTextCursor cursor = EditTableComments_->textCursor();
  cursor.setPosition(std::min(caret + grown, static_cast<int>(shown.size())));
  EditTableComments_->setTextCursor(cursor);
}

void TableEditForm::startDrag(const QString& text, int width) {
  Label1_->setText(text);
  Label1_->resize(width, Label1_->fontMetrics().height());
  // The outline of the carrier follows the pointer, its left edge at the pointer.
  QPixmap outline(Label1_->size());
  outline.fill(Qt::transparent);
  QPainter painter(&outline);
  painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
  painter.drawRect(outline.rect().adjusted(0, 0, -1, -1));
  painter.end();
  auto* drag = new QDrag(this);
  auto* mime = new QMimeData;
  mime->setText(text);
  drag->setMimeData(mime);
  drag->setPixmap(outline);
  drag->setHotSpot(QPoint(0, outline.height() / 2));
  drag->exec(Qt::CopyAction);
}

bool TableEditForm::cellEvent(int code, QEvent* event) {
  QLineEdit* target = cell(code);
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      // A character typed into a full cell replaces the one it holds.
      if (!key->text().isEmpty() && key->text()[0].isPrint() && !target->text().isEmpty() &&
          !target->hasSelectedText())
        target->selectAll();
      return false;
    }
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->isAutoRepeat()) return false;
      Text1_KeyUp(code, key->key(), key->modifiers());
      return true;
    }
    case QEvent::FocusIn:
      Text1_GotFocus(code);
      return false;
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) {
        pressedCell_ = code;
        pressAt_ = mouse->position().toPoint();
      }
      return false;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (pressedCell_ != code || !(mouse->buttons() & Qt::LeftButton)) return false;
      if ((mouse->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance())
        return false;
      pressedCell_ = -1;
      startDrag(target->text(), 2 * fontMetrics().horizontalAdvance('W'));
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (pressedCell_ == code) {
        pressedCell_ = -1;
        Text1_Click(code);
      }
      return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (drag->mimeData()->hasText() && TypedText(drag->mimeData()->text()))
        drag->acceptProposedAction();
      else
        drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (drop->mimeData()->hasText() && dropOnCell(code, drop->mimeData()->text()))
        drop->acceptProposedAction();
      else
        drop->ignore();
      return true;
    }
    default:
      return false;
  }
}

bool TableEditForm::eventFilter(QObject* watched, QEvent* event) {
  for (int k = 0; k < kTableCodes; ++k)
    if (watched == cell(k)) return cellEvent(k, event);
  if (watched == fldStartAddr_) {
    if (event->type() == QEvent::FocusOut && DoPreview_->isChecked()) ShowDumpPreview();
    return false;
  }
  for (QLabel* strip : strips_) {
    if (watched != strip || event->type() != QEvent::MouseButtonPress) continue;
    startDrag(strip->text(), strip->fontMetrics().horizontalAdvance(strip->text()));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TableEditForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!DumpView_) return;
  if (const auto width = DumpViewWidth(this->width() * kTwipsPerPixel))
    DumpView_->resize(*width / kTwipsPerPixel, DumpView_->height());
  if (const auto height = DumpViewHeight(this->height() * kTwipsPerPixel))
    DumpView_->resize(DumpView_->width(), *height / kTwipsPerPixel);
}

// The grid is the table once the window is gone; no question is asked. The preview
// is of no use to a closing window and is not run. A table loaded through the main
// window while the editor was open is not overwritten by a grid that never showed it:
// the exit would otherwise offer to save the old grid under the new table's name.
void TableEditForm::closeEvent(QCloseEvent* event) {
  if (ws_.CharTableLookup == tableSeen_) PutGridInTable(ws_, gridText(), commentsText());
  QWidget::closeEvent(event);
}
