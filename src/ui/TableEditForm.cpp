#include "ui/TableEditForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDrag>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QValidator>

#include "tools/CellGlyphs.h"
#include "tools/TableEdit.h"
#include "tools/TableGrid.h"
#include "ui/FormParts.h"
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

QRect RectOf(const GridBox& box) {
  return QRect(box.x, box.y, box.width, box.height);
}

std::optional<Text> TypedText(const QString& s) {
  return TextOfCellGlyphs(s.toStdU32String());
}

// Keeps a cell to one character, of any script.
class CellValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    return input.toUcs4().size() <= 1 && TypedText(input) ? Acceptable : Invalid;
  }
};

// The row or column headings, each centred on its row or column of cells.
class GridHeadings : public QLabel {
 public:
  GridHeadings(const QString& caption, bool columns, QWidget* parent) : QLabel(caption, parent), columns_(columns) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QStringList items = text().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    for (int i = 0; i < items.size(); ++i)
      painter.drawText(RectOf(GridHeadingSlot(columns_, i, columns_ ? height() : width())), Qt::AlignCenter, items[i]);
  }

 private:
  bool columns_;
};

// A cell holding a control picture shows the short name of its code, drawn small: no
// installed font has the pictures, and the empty boxes they fall back to all look alike.
class CellEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  void paintEvent(QPaintEvent* event) override {
    const QString shown = text();
    const std::string_view name = shown.size() == 1 ? ControlPictureName(shown[0].unicode()) : std::string_view();
    if (name.empty()) return QLineEdit::paintEvent(event);
    const QString label = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    QPainter painter(this);
    const bool selected = hasSelectedText();
    painter.fillRect(rect(), palette().color(selected ? QPalette::Highlight : QPalette::Base));
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    QFont small = font();
    small.setBold(false);
    small.setPixelSize(std::max(6, height() / 2));
    while (small.pixelSize() > 6 && QFontMetrics(small).horizontalAdvance(label) > width() - 2)
      small.setPixelSize(small.pixelSize() - 1);
    painter.setFont(small);
    painter.drawText(rect(), Qt::AlignCenter, label);
    if (hasFocus()) {
      painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
      painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
  }
};

CellKey KeyOf(int key) {
  switch (key) {
    case Qt::Key_Backspace: return CellKey::Backspace;
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    // Tab has already moved the focus by the time it is released.
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return CellKey::Modifier;
    case Qt::Key_Left: return CellKey::Left;
    case Qt::Key_Up: return CellKey::Up;
    case Qt::Key_Down: return CellKey::Down;
    case Qt::Key_Delete: return CellKey::Delete;
    default: return CellKey::Other;
  }
}

QFont FontOf(const char* family, QFont::StyleHint hint, double points, bool bold = false) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// The text of a field; one holding a lone surrogate, no character at all, reads as empty.
Text LossyText(const QString& s) {
  return fromQString(s).value_or(Text());
}

Text CellText(const QLineEdit* cell) {
  return TypedText(cell->text()).value_or(Text());
}

}  // namespace

QString TableEditForm::cellGlyphs(const Text& text) {
  const std::u32string shown = CellGlyphs(text);
  return QString::fromUcs4(shown.data(), static_cast<qsizetype>(shown.size()));
}

TableEditForm::TableEditForm(Workspace& ws, QWidget* parent) : QWidget(parent, Qt::Window), ws_(ws) {
  setObjectName("TableEditForm");
  setWindowTitle("Table Editor");
  setAttribute(Qt::WA_DeleteOnClose);
  CloseOnEscape(this);
  setFont(FontOf("Courier New", QFont::TypeWriter, 8.25));
  // Captions in the monospaced window font would not fit the buttons of the grid's width.
  buttonFont_ = FontOf("MS Sans Serif", QFont::SansSerif, 8.25);
  resize(Twips(10410), Twips(7290));
  buildControls();
  buildButtons();
  buildLayout();
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
  // The grid keeps its fixed pitch: a panel of its own size, with the shift buttons at
  // its ends, that the window's layout places as one control.
  gridPanel_ = new QWidget(this);
  gridPanel_->setObjectName("GridPanel");
  gridPanel_->setFixedSize(RectOf(GridPanelBox()).size());
  auto* columns = new GridHeadings("-0   -1    -2   -3   -4   -5    -6   -7    -8   -9  -A   -B   -C   -D   -E   -F",
                                   true, gridPanel_);
  columns->setObjectName("Label2_1");
  columns->setGeometry(RectOf(GridColumnHeadingsBox()));
  auto* rows = new GridHeadings("0-\n1-\n2-\n3-\n4-\n5-\n6-\n7-\n8-\n9-\nA-\nB-\nC-\nD-\nE-\nF-", false, gridPanel_);
  rows->setObjectName("Label2_0");
  rows->setGeometry(RectOf(GridRowHeadingsBox()));

  // The one-pixel gaps between the cells show this as the grid's lines.
  auto* lines = new QWidget(gridPanel_);
  lines->setObjectName("GridLines");
  lines->setAutoFillBackground(true);
  QPalette linesPalette = lines->palette();
  linesPalette.setColor(QPalette::Window, linesPalette.color(QPalette::Mid));
  lines->setPalette(linesPalette);
  lines->setGeometry(RectOf(GridLinesBox()));

  const QFont cellFont = FontOf("Courier New", QFont::TypeWriter, 9.75, true);
  for (int k = 0; k < kTableCodes; ++k) {
    auto* cell = new CellEdit(gridPanel_);
    cell->setObjectName(QString("Text1_%1").arg(k));
    cell->setFont(cellFont);
    cell->setFrame(false);
    cell->setAlignment(Qt::AlignCenter);
    cell->setTextMargins(0, 0, 0, 0);
    cell->setMaxLength(1);
    cell->setValidator(new CellValidator(cell));
    cell->setGeometry(RectOf(GridCellBox(k)));
    cell->installEventFilter(this);
    connect(cell, &QLineEdit::textChanged, this, [this, k] { Text1_Change(k); });
    Text1_[static_cast<size_t>(k)] = cell;
  }

  Label3_ = new QLabel(this);
  Label3_->setObjectName("Label3");
  Label3_->setFont(FontOf("Arial", QFont::SansSerif, 9.75, true));
  Label3_->setMinimumWidth(200);
  notInGrid_ = new QLabel(this);
  notInGrid_->setObjectName("lblEntriesNotInGrid");

  EditTableComments_ = new QPlainTextEdit(this);
  EditTableComments_->setObjectName("EditTableComments");
  EditTableComments_->setToolTip(QString::fromUtf8("Коментарии к таблице"));
  EditTableComments_->setMinimumHeight(58);
  connect(EditTableComments_, &QPlainTextEdit::textChanged, this, [this] { EditTableComments_Change(); });

  const std::array<std::pair<const char*, Text>, 4> strips = {{{"EngSmallLetters", EngSmallLettersText()},
                                                               {"EngBigLetters", EngBigLettersText()},
                                                               {"RusSmallLetters", RusSmallLettersText()},
                                                               {"RusBigLetters", RusBigLettersText()}}};
  for (size_t i = 0; i < strips.size(); ++i) {
    auto* strip = new QLabel(toQString(strips[i].second), this);
    strip->setObjectName(strips[i].first);
    strip->setToolTip(QString::fromUtf8("Брось меня на таблицу, я тебе пригожусь"));
    strip->setCursor(Qt::OpenHandCursor);
    const int width = strip->fontMetrics().horizontalAdvance(strip->text()) + 2;
    strip->setFixedSize(width, 18);
    strip->installEventFilter(this);
    strips_[i] = strip;
  }

  auto* caption = new QLabel(QString::fromUtf8("Адрес начала блока для просмотра"), this);
  caption->setObjectName("Labelx");
  fldStartAddr_ = new QLineEdit("1", this);
  fldStartAddr_->setObjectName("fldStartAddr");
  fldStartAddr_->setFixedWidth(100);
  fldStartAddr_->installEventFilter(this);
  DoPreview_ = new QCheckBox("Show Preview", this);
  DoPreview_->setObjectName("DoPreview");
  DumpView_ = new QTextEdit(this);
  DumpView_->setObjectName("DumpView");
  DumpView_->setFont(FontOf("Courier New", QFont::TypeWriter, 8.5));
  DumpView_->setReadOnly(true);
  DumpView_->setPlainText("Dump Preview");
  DumpView_->setMinimumSize(217, 120);

  Label1_ = new QLabel(this);
  Label1_->setObjectName("Label1");
}

QPushButton* TableEditForm::addButton(const char* name, const char* caption, const char* tip, QRect place,
                                      std::function<void()> click) {
  auto* button = new QPushButton(QString::fromUtf8(caption), this);
  button->setObjectName(name);
  if (tip) button->setToolTip(QString::fromUtf8(tip));
  button->setFont(buttonFont_);
  // The shift buttons sit at the ends of the grid; the others are laid out.
  if (place.isValid()) {
    button->setParent(gridPanel_);
    button->setGeometry(place);
  }
  button->setFocusPolicy(Qt::TabFocus);
  connect(button, &QPushButton::clicked, this, [this, click = std::move(click)] { runButton(click); });
  buttons_.push_back(button);
  return button;
}

void TableEditForm::buildButtons() {
  addButton("btnShiftLeft", "<", "Подвинуть все символы влево", RectOf(GridShiftLeftBox()), [this] {
    ShiftTableLeft(ws_);
    doShowTable();
  });
  addButton("btnShiftRight", ">", "Подвинуть все символы вправо", RectOf(GridShiftRightBox()), [this] {
    ShiftTableRight(ws_);
    doShowTable();
  });
  addButton("btnShowPreview", "Show Dump", nullptr, QRect(), [this] { ShowDumpPreview(); });

  addButton("btnRevertTable", "Revert table", "Обновить данные на форме редактора таблиц", QRect(),
            [this] { doShowTable(); });
  addButton("btnReset1251", "Reset (1251)", "Набить в таблицу все символы кодировки Windows-1251", QRect(),
            [this] { resetTo(Windows1251Grid()); });
  addButton("btnResetROM", "Reset (Alph)", "Набить в таблицу печатных символов", QRect(),
            [this] { resetTo(AlphabetGrid()); });
  addButton("btnChkENG", "Eng. Check", "Проверить наличие ВСЕЙ латиницы", QRect(), [this] { CheckEngLetters(ws_); });
  addButton("btnRUSchk", "Rus. Check", "Проверить наличие ВСЕЙ кириллицы", QRect(), [this] { CheckRusLetters(ws_); });
  addButton("btnClearAll", "Clear All", "Удалить все из таблицы", QRect(),
            [this] { resetTo(Grid(kTableCodes, U'\0')); });

  addButton("btnFindBigEng", "? ENG", "Поискать коды ЗАГЛАВНЫХ  английских букв", QRect(),
            [this] { findCodes(static_cast<int>(CodeSearch::BigEng)); });
  addButton("btnFindSmallEng", "? eng", "Поискать коды маленьких  английских букв", QRect(),
            [this] { findCodes(static_cast<int>(CodeSearch::SmallEng)); });
  addButton("btnFindSpaceCode", "? space", "Поискать код пробела", QRect(),
            [this] { findCodes(static_cast<int>(CodeSearch::Space)); });

  // Closing stays possible while a command of the main window runs.
  auto* exit = new QPushButton(QString::fromUtf8("Закрыть"), this);
  exit->setObjectName("ExitBtn");
  exit->setFont(buttonFont_);
  exit->setFocusPolicy(Qt::TabFocus);
  connect(exit, &QPushButton::clicked, this, &QWidget::close);
}

void TableEditForm::buildLayout() {
  const auto button = [this](const char* name) { return findChild<QPushButton*>(name); };
  auto* underGrid = new QHBoxLayout;
  underGrid->addWidget(Label3_, 1);
  underGrid->addWidget(notInGrid_);
  underGrid->addWidget(button("btnShowPreview"));
  underGrid->addWidget(button("ExitBtn"));
  auto* commands = new QHBoxLayout;
  commands->setSpacing(2);
  for (const char* name : {"btnRevertTable", "btnReset1251", "btnResetROM", "btnChkENG", "btnRUSchk", "btnClearAll"})
    commands->addWidget(button(name));
  auto* strips = new QGridLayout;
  for (size_t i = 0; i < strips_.size(); ++i)
    strips->addWidget(strips_[i], static_cast<int>(i % 2), static_cast<int>(i / 2), Qt::AlignLeft);
  auto* searches = new QVBoxLayout;
  searches->setSpacing(2);
  for (const char* name : {"btnFindBigEng", "btnFindSmallEng", "btnFindSpaceCode"}) searches->addWidget(button(name));
  auto* bottom = new QHBoxLayout;
  bottom->addLayout(strips);
  bottom->addStretch();
  bottom->addLayout(searches);
  auto* left = new QVBoxLayout;
  left->addWidget(gridPanel_);
  left->addLayout(underGrid);
  left->addLayout(commands);
  left->addWidget(EditTableComments_, 1);
  left->addLayout(bottom);

  auto* address = new QHBoxLayout;
  address->addWidget(fldStartAddr_);
  address->addWidget(DoPreview_);
  address->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(findChild<QLabel*>("Labelx"));
  right->addLayout(address);
  right->addWidget(DumpView_, 1);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(left);
  layout->addLayout(right, 1);
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

Grid TableEditForm::gridText() const {
  Grid grid(kTableCodes, U'\0');
  for (int k = 0; k < kTableCodes; ++k) {
    const Text text = CellText(cell(k));
    size_t pos = 0;
    if (!text.empty()) grid[static_cast<size_t>(k)] = utf8::Next(text, pos);
  }
  return grid;
}

void TableEditForm::setGrid(const Grid& grid) {
  for (int k = 0; k < kTableCodes; ++k) {
    const char32_t c = grid[static_cast<size_t>(k)];
    cell(k)->setText(c == 0 ? QString() : cellGlyphs(utf8::Of(c)));
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
  const size_t beyond = EntriesBeyondGrid(ws_);
  notInGrid_->setText(beyond == 0 ? QString()
                                  : toQString(W("Записей вне сетки: ") + Digits(static_cast<std::int64_t>(beyond))));
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
    case CellColour::Unchanged: return;
    case CellColour::Control: colour = QColor(128, 128, 0); break;
    case CellColour::WindowText: colour = QApplication::palette().color(QPalette::Text); break;
    case CellColour::Between: colour = QColor(128, 128, 128); break;
    case CellColour::Cyrillic: colour = QColor(255, 0, 0); break;
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

void TableEditForm::resetTo(const Grid& grid) {
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
  Grid grid = gridText();
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
  const int moved = CaretAfterCommentsCheck(caret, static_cast<int>(before.left(caret).count('=')));
  QString shown = toQString(*fixed);
  shown.replace("\r\n", "\n");
  EditTableComments_->setPlainText(shown);
  QTextCursor cursor = EditTableComments_->textCursor();
  cursor.setPosition(std::min(moved, static_cast<int>(shown.size())));
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
      if (!key->text().isEmpty() && key->text()[0].isPrint() && !target->text().isEmpty() && !target->hasSelectedText())
        target->selectAll();
      return false;
    }
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->isAutoRepeat()) return false;
      Text1_KeyUp(code, key->key(), key->modifiers());
      return true;
    }
    case QEvent::FocusIn: Text1_GotFocus(code); return false;
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
      if ((mouse->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance()) return false;
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
    default: return false;
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

// The grid is the table once the window is gone; no question is asked. The preview
// is of no use to a closing window and is not run. A table loaded through the main
// window while the editor was open is not overwritten by a grid that never showed it:
// the exit would otherwise offer to save the old grid under the new table's name.
void TableEditForm::closeEvent(QCloseEvent* event) {
  if (ws_.CharTableLookup == tableSeen_) PutGridInTable(ws_, gridText(), commentsText());
  QWidget::closeEvent(event);
}
