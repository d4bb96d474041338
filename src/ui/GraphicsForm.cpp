#include "ui/GraphicsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include "compression/CompressedBlocks.h"
#include "tools/FieldNumber.h"
#include "ui/FormParts.h"
#include "ui/KeyEvents.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"

namespace {

constexpr int kVirtualKeyZ = 0x5A;

QString Hex(std::int64_t n) {
  return "&H" + QString::number(n, 16).toUpper();
}

}  // namespace

// The zoomed tiles. Everything it does is the form's; it only turns events into calls.
class TileCanvas : public QWidget {
 public:
  explicit TileCanvas(GraphicsForm& form) : QWidget(&form), form_(form) {
    setObjectName("TileView");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(256, 256);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) form_.paintAt(e->position().toPoint());
    if (e->button() == Qt::RightButton) form_.pickAt(e->position().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    form_.showUnderMouse(e->position().toPoint());
    if (e->buttons() & Qt::LeftButton) form_.paintAt(e->position().toPoint());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) form_.endStroke();
  }
  void wheelEvent(QWheelEvent* e) override {
    const int notches = e->angleDelta().y() / 120;
    if (notches != 0) form_.scrollBy(ScrollStep::Row, -3 * notches);
  }
  void keyPressEvent(QKeyEvent* e) override;

 private:
  GraphicsForm& form_;
};

void TileCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(64, 64, 72));
  const TileView& view = form_.view();
  const int zoom = form_.zoom();
  const int rows = form_.pageRows() + 1;
  const IndexedImage pixels = ViewImage(form_.image(), view, rows);
  QImage image(pixels.width, pixels.height, QImage::Format_Indexed8);
  QList<QRgb> colours;
  for (const Rgb& c : form_.palette()) colours.push_back(qRgb(c.r, c.g, c.b));
  image.setColorTable(colours);
  for (int y = 0; y < pixels.height; ++y)
    std::copy_n(pixels.pixels.data() + static_cast<size_t>(y) * pixels.width, pixels.width, image.scanLine(y));
  painter.drawImage(QRect(0, 0, pixels.width * zoom, pixels.height * zoom), image);
  // Past the image's end there is nothing to draw on.
  const TileLayout shown = view.layout(form_.image().size(), rows);
  for (int t = shown.count; t < rows * view.perRow * view.cell.h; ++t) {
    const PixelPos at = TileOrigin(shown, t);
    painter.fillRect(at.x * zoom, at.y * zoom, 8 * zoom, 8 * zoom, QColor(64, 64, 72));
  }
  if (!form_.gridShown()) return;
  painter.setPen(QColor(176, 64, 176));  // opaque: blending the grid costs more than the tiles
  const int w = pixels.width * zoom, h = pixels.height * zoom;
  QList<QLine> lines;
  for (int x = 0; x <= w; x += 8 * zoom) lines.push_back(QLine(x, 0, x, h));
  for (int y = 0; y <= h; y += 8 * zoom) lines.push_back(QLine(0, y, w, y));
  painter.drawLines(lines);
}

void TileCanvas::keyPressEvent(QKeyEvent* e) {
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  switch (e->key()) {
    case Qt::Key_Left: return form_.scrollBy(ctrl ? ScrollStep::Byte : ScrollStep::Tile, -1);
    case Qt::Key_Right: return form_.scrollBy(ctrl ? ScrollStep::Byte : ScrollStep::Tile, 1);
    case Qt::Key_Up: return form_.scrollBy(ScrollStep::Row, -1);
    case Qt::Key_Down: return form_.scrollBy(ScrollStep::Row, 1);
    case Qt::Key_PageUp: return form_.scrollBy(ScrollStep::Page, -1);
    case Qt::Key_PageDown: return form_.scrollBy(ScrollStep::Page, 1);
    case Qt::Key_Home: return form_.scrollBy(ScrollStep::Byte, INT32_MIN / 2);
    case Qt::Key_End: return form_.scrollBy(ScrollStep::Byte, INT32_MAX / 2);
    default: QWidget::keyPressEvent(e);
  }
}

GraphicsForm::GraphicsForm(Workspace& ws, QWidget* parent) : QWidget(parent, Qt::Window), ws_(ws) {
  setObjectName("GraphicsForm");
  setWindowTitle(QString::fromUtf8("Графика"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* grid = new QGridLayout;
  fldOffset_ = AddField(this, grid, "fldOffset", "Адрес (с 0, &&H для HEX)", "0");
  const auto addRow = [&](const char* label, QWidget* field) {
    auto* caption = new QLabel(QString::fromUtf8(label), this);
    caption->setBuddy(field);
    const int row = grid->rowCount();
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row, 1);
  };
  fldFormat_ = new QComboBox(this);
  fldFormat_->setObjectName("fldFormat");
  for (TileFormat f : kTileFormats) fldFormat_->addItem(TileFormatName(f));
  fldFormat_->setCurrentIndex(2);
  addRow("Формат", fldFormat_);
  fldPerRow_ = new QSpinBox(this);
  fldPerRow_->setObjectName("fldPerRow");
  fldPerRow_->setRange(1, 256);
  fldPerRow_->setValue(16);
  addRow("Тайлов в строке", fldPerRow_);
  fldCell_ = new QComboBox(this);
  fldCell_->setObjectName("fldCell");
  fldCell_->addItems({"1x1", "1x2", "2x2"});
  addRow("Ячейка (тайлов)", fldCell_);
  fldZoom_ = new QSpinBox(this);
  fldZoom_->setObjectName("fldZoom");
  fldZoom_->setRange(1, 8);
  fldZoom_->setValue(2);
  addRow("Увеличение", fldZoom_);
  fldPalette_ = AddField(this, grid, "fldPalette", "Палитра (GREY или адрес)", "GREY");
  fldCount_ = AddField(this, grid, "fldCount", "Тайлов в PNG", "256");
  fldColour_ = new QSpinBox(this);
  fldColour_->setObjectName("fldColour");
  addRow("Цвет карандаша", fldColour_);
  lblColour_ = new QLabel(this);
  lblColour_->setObjectName("lblColour");
  lblColour_->setFixedHeight(16);
  grid->addWidget(lblColour_, grid->rowCount() - 1, 2);
  connect(fldColour_, &QSpinBox::valueChanged, this, [this] { showColour(); });
  chkGrid_ = new QCheckBox(QString::fromUtf8("Сетка"), this);
  chkGrid_->setObjectName("chkGrid");
  grid->addWidget(chkGrid_, grid->rowCount(), 0, 1, 2);
  chkPacked_ = new QCheckBox(QString::fromUtf8("Сжатый блок"), this);
  chkPacked_->setObjectName("chkPacked");
  chkPacked_->setToolTip(QString::fromUtf8("Адрес — начало сжатого блока; показаны его распакованные тайлы"));
  grid->addWidget(chkPacked_, grid->rowCount(), 0, 1, 2);
  lblPacked_ = new QLabel(this);
  lblPacked_->setObjectName("lblPacked");
  lblPacked_->setWordWrap(true);
  lblPacked_->setMaximumWidth(280);
  // Room for the longest reason there is no stream: a wrapped label is not given it.
  lblPacked_->setMinimumHeight(3 * lblPacked_->fontMetrics().lineSpacing());
  lblPacked_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  grid->addWidget(lblPacked_, grid->rowCount(), 0, 1, 2);
  lblUnderMouse_ = new QLabel(this);
  lblUnderMouse_->setObjectName("lblUnderMouse");
  lblUnderMouse_->setMinimumWidth(220);
  grid->addWidget(lblUnderMouse_, grid->rowCount(), 0, 1, 2);
  grid->setRowStretch(grid->rowCount(), 1);
  btnExportPng_ = AddButton(this, "btnExportPng", "Сохранить в PNG...");
  btnImportPng_ = AddButton(this, "btnImportPng", "Загрузить из PNG...");
  ExitBtn_ = AddButton(this, "ExitBtn", "Закрыть");
  grid->addWidget(btnExportPng_, grid->rowCount(), 0, 1, 2);
  grid->addWidget(btnImportPng_, grid->rowCount(), 0, 1, 2);
  grid->addWidget(ExitBtn_, grid->rowCount(), 0, 1, 2);

  canvas_ = new TileCanvas(*this);
  scroll_ = new QScrollBar(Qt::Vertical, this);
  scroll_->setObjectName("scrollRows");
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(canvas_, 1);
  layout->addWidget(scroll_);
  resize(820, 560);

  for (QLineEdit* field : {fldOffset_, fldPalette_})
    connect(field, &QLineEdit::editingFinished, this, [this] { readFields(); });
  for (QComboBox* box : {fldFormat_, fldCell_})
    connect(box, &QComboBox::currentIndexChanged, this, [this] { readFields(); });
  for (QSpinBox* box : {fldPerRow_, fldZoom_})
    connect(box, &QSpinBox::valueChanged, this, [this] { readFields(); });
  connect(chkGrid_, &QCheckBox::toggled, canvas_, qOverload<>(&QWidget::update));
  connect(chkPacked_, &QCheckBox::toggled, this, [this](bool packed) {
    // The address stays where it is: the stream at the shown offset, or the ROM at the stream.
    if (packed) streamOffset_ = -1;
    view_.offset = packed ? 0 : std::max<std::int64_t>(0, streamOffset_);
    readFields();
  });
  connect(scroll_, &QScrollBar::valueChanged, this, [this](int row) {
    const std::int64_t phase = view_.offset % view_.rowBytes();
    if (view_.offset / view_.rowBytes() == row) return;
    view_.offset = std::min<std::int64_t>(row * view_.rowBytes() + phase, std::max<std::int64_t>(0, image().size() - 1));
    showOffset();
  });
  connect(btnExportPng_, &QPushButton::clicked, this, [this] { btnExportPng_Click(); });
  connect(btnImportPng_, &QPushButton::clicked, this, [this] { btnImportPng_Click(); });
  connect(ExitBtn_, &QPushButton::clicked, this, &QWidget::close);
  if (auto* main = qobject_cast<MainForm*>(parent))
    connect(main, &MainForm::busyChanged, this, [this](bool busy) {
      btnExportPng_->setEnabled(!busy);
      btnImportPng_->setEnabled(!busy);
      canvas_->setEnabled(!busy);
      if (!busy) readFields();  // a load or an import may have changed the image under the view
    });
  readFields();
  KeepCaptionVisible(this);
}

GraphicsForm::~GraphicsForm() = default;

std::string_view GraphicsForm::image() const {
  return packedShown() ? std::string_view(unpacked_) : RomWorkImage(ws_);
}

bool GraphicsForm::packedShown() const {
  return chkPacked_->isChecked();
}

int GraphicsForm::zoom() const {
  return fldZoom_->value();
}

bool GraphicsForm::gridShown() const {
  return chkGrid_->isChecked();
}

int GraphicsForm::pageRows() const {
  return std::max(1, canvas_->height() / (view_.cell.h * 8 * zoom()));
}

// What the fields say, as far as they can be read; a field that cannot keeps the last good value.
void GraphicsForm::readFields() {
  endStroke();
  view_.format = kTileFormats[std::max(0, fldFormat_->currentIndex())];
  view_.cell = ParseCellSize(fldCell_->currentText().toStdString()).value_or(CellSize{});
  if (fldPerRow_->value() % view_.cell.w != 0) fldPerRow_->setValue(fldPerRow_->value() + 1);
  view_.perRow = fldPerRow_->value();
  if (const auto offset = fromQString(fldOffset_->text())) {
    const double n = RoundHalfEven(ReadFieldNumber(*offset));
    if (n >= 0 && n < 4294967296.0) {
      const auto at = static_cast<std::int64_t>(n);
      if (!packedShown()) view_.offset = at;
      else if (at != streamOffset_) streamOffset_ = at, view_.offset = 0;
    }
  }
  readStream();
  view_.offset = std::min<std::int64_t>(view_.offset, std::max<std::int64_t>(0, image().size() - 1));
  Text why;
  TileBlock block;
  block.layout.format = view_.format;
  const QString palette = fldPalette_->text().trimmed().toUpper();
  if (!palette.isEmpty() && palette != "GREY")
    block.paletteOffset = static_cast<std::int64_t>(RoundHalfEven(ReadFieldNumber(palette.toStdString())));
  palette_ = BlockPalette(RomWorkImage(ws_), block, why).value_or(GreyPalette(view_.format));
  fldColour_->setRange(0, static_cast<int>(palette_.size()) - 1);
  showColour();
  showOffset();
}

// The stream at the address, unpacked anew: the ROM under it may have changed since.
void GraphicsForm::readStream() {
  unpacked_.clear();
  if (!packedShown()) return lblPacked_->clear();
  const std::string_view rom = RomWorkImage(ws_);
  const auto at = static_cast<size_t>(std::max<std::int64_t>(0, streamOffset_));
  if (at >= rom.size()) return lblPacked_->setText(QString::fromUtf8("Адрес сжатого блока за концом ROM"));
  UnpackResult r = Unpack(rom.substr(at));
  if (r.error != StreamError::None) return lblPacked_->setText(toQString(NoBlockText(at, r.error)));
  const Text type = StreamTypeName(ReadStreamHeader(rom.substr(at))->type);
  lblPacked_->setText(QString::fromUtf8("Блок %1: %2 байт, распакован в %3 (рисовать — через PNG)")
                          .arg(toQString(type))
                          .arg(r.packedSize)
                          .arg(r.data.size()));
  unpacked_ = std::move(r.data);
}

void GraphicsForm::showColour() {
  const Rgb c = palette_[static_cast<size_t>(fldColour_->value()) % palette_.size()];
  lblColour_->setStyleSheet(QString("background: rgb(%1, %2, %3); border: 1px solid gray;").arg(c.r).arg(c.g).arg(c.b));
  lblColour_->setFixedWidth(24);
}

void GraphicsForm::showOffset() {
  const QString text = Hex(packedShown() ? std::max<std::int64_t>(0, streamOffset_) : view_.offset);
  if (fldOffset_->text() != text) fldOffset_->setText(text);
  const std::int64_t rows = static_cast<std::int64_t>(image().size()) / view_.rowBytes();
  scroll_->blockSignals(true);
  scroll_->setRange(0, static_cast<int>(std::min<std::int64_t>(rows, INT32_MAX)));
  scroll_->setPageStep(pageRows());
  scroll_->setValue(static_cast<int>(view_.offset / view_.rowBytes()));
  scroll_->blockSignals(false);
  canvas_->update();
}

void GraphicsForm::scrollBy(ScrollStep step, int count) {
  endStroke();
  view_.offset = ScrolledOffset(view_, image().size(), step, count, pageRows());
  showOffset();
}

std::optional<TilePixel> GraphicsForm::pixelAt(QPoint point) const {
  if (point.x() < 0 || point.y() < 0) return std::nullopt;
  return PixelAt(view_, image().size(), point.x() / zoom(), point.y() / zoom());
}

void GraphicsForm::showUnderMouse(QPoint point) {
  const auto at = pixelAt(point);
  if (!at) return lblUnderMouse_->clear();
  const auto* tile = reinterpret_cast<const std::uint8_t*>(image().data()) + at->tileOffset;
  lblUnderMouse_->setText(QString::fromUtf8("Тайл %1, пиксель (%2, %3), цвет %4")
                              .arg(Hex(at->tileOffset))
                              .arg(at->x)
                              .arg(at->y)
                              .arg(TilePixelIndex(view_.format, tile, at->x, at->y)));
}

void GraphicsForm::paintAt(QPoint point) {
  const auto at = pixelAt(point);
  // Unpacked tiles are a copy: drawn on, they would be lost; the PNG is their way back.
  if (!at || !ws_.RomLoaded || packedShown()) return;
  const auto colour = static_cast<std::uint8_t>(fldColour_->value());
  auto* tile = reinterpret_cast<const std::uint8_t*>(image().data()) + at->tileOffset;
  if (TilePixelIndex(view_.format, tile, at->x, at->y) == colour) return;
  // The stroke remembers each byte of the tile the first time it touches it.
  RomBytes& rom = ContinueRomWork(ws_);
  const int bytes = TileBytes(view_.format);
  for (int i = 0; i < bytes; ++i) {
    const std::int64_t offset = at->tileOffset + i;
    const bool known = std::any_of(stroke_.before.begin(), stroke_.before.end(),
                                   [offset](const auto& b) { return b.first == offset; });
    if (!known) stroke_.before.emplace_back(offset, rom[static_cast<size_t>(offset)]);
  }
  SetTilePixelIndex(view_.format, reinterpret_cast<std::uint8_t*>(rom.data()) + at->tileOffset, at->x, at->y, colour);
  canvas_->update();
}

void GraphicsForm::endStroke() {
  if (stroke_.before.empty()) return;
  const std::string_view rom = RomWorkImage(ws_);
  for (const auto& [offset, byte] : stroke_.before) stroke_.after += rom[static_cast<size_t>(offset)];
  undo_.push_back(std::move(stroke_));
  stroke_ = Stroke();
  runOnMain([this] { CommitRomWorkImage(ws_); });
}

void GraphicsForm::undoStroke() {
  endStroke();
  if (undo_.empty()) return;
  const Stroke last = std::move(undo_.back());
  undo_.pop_back();
  // Undo only bytes that are still as the stroke left them: after a load, an import or an
  // undone transposition the old bytes would land in someone else's graphics.
  const std::string_view now = RomWorkImage(ws_);
  for (size_t i = 0; i < last.before.size(); ++i) {
    const auto at = static_cast<size_t>(last.before[i].first);
    if (at >= now.size() || now[at] != last.after[i]) {
      undo_.clear();
      AppendLog(ws_, W("Графика: ROM изменен после рисования, отменять нечего"));
      return;
    }
  }
  runOnMain([this, &last] {
    RomBytes& rom = StartRomWork(ws_);
    for (const auto& [offset, byte] : last.before)
      if (static_cast<size_t>(offset) < rom.size()) rom[static_cast<size_t>(offset)] = byte;
    CommitRomWorkImage(ws_);
  });
  canvas_->update();
}

void GraphicsForm::pickAt(QPoint point) {
  const auto at = pixelAt(point);
  if (!at) return;
  const auto* tile = reinterpret_cast<const std::uint8_t*>(image().data()) + at->tileOffset;
  fldColour_->setValue(TilePixelIndex(view_.format, tile, at->x, at->y));
}

void GraphicsForm::keyPressEvent(QKeyEvent* event) {
  if (VirtualKey(*event) == kVirtualKeyZ && ModifierValue(*event) == 2) return undoStroke();
  QWidget::keyPressEvent(event);
}

void GraphicsForm::closeEvent(QCloseEvent* event) {
  endStroke();
  QWidget::closeEvent(event);
}

void GraphicsForm::runOnMain(const std::function<void()>& run) {
  if (auto* main = qobject_cast<MainForm*>(parentWidget()))
    main->runCommand(run);
  else
    run();
}

TileFields GraphicsForm::fields() const {
  TileFields f;
  f.offset = packedShown() ? "Z" + Digits(std::max<std::int64_t>(0, streamOffset_)) : Digits(view_.offset);
  f.format = TileFormatName(view_.format);
  f.perRow = Digits(view_.perRow);
  f.cell = CellSizeName(view_.cell);
  f.count = fromQString(fldCount_->text()).value_or(Text());
  f.palette = fromQString(fldPalette_->text()).value_or(Text());
  return f;
}

void GraphicsForm::btnExportPng_Click() {
  readFields();
  const TileFields f = fields();
  runOnMain([this, f] { ExportTiles(ws_, f); });
}

void GraphicsForm::btnImportPng_Click() {
  readFields();
  const TileFields f = fields();
  std::optional<TileBlock> taken;
  runOnMain([this, f, &taken] { taken = ImportTiles(ws_, f); });
  // A stream that grew was moved: the window follows it.
  if (taken && taken->packed && packedShown() && taken->offset != streamOffset_) {
    fldOffset_->setText(Hex(taken->offset));
    streamOffset_ = -1;
  }
  readFields();
}
