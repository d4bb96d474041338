// The graphics window offscreen: the pencil, the colour pick, undo by the physical key,
// scrolling, and the menu item and buttons that reach it and the exchange with PNG; the
// unpacked tiles of a compressed stream.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "EditorGuiBench.h"
#include "MainGuiBench.h"
#include "compression/CompressedBlocks.h"
#include "textio/GbaPointer.h"
#include "ui/GraphicsForm.h"
#include "workspace/Files.h"
#include "workspace/Rom.h"

namespace {

struct GraphicsBench : TestBench {
  std::unique_ptr<GraphicsForm> form;
  // A 4BPP image whose tile 16 (the second row's first) is all colour 15.
  GraphicsBench() {
    ws.RomImage = std::string(65536, '\0');
    ws.RomImage.replace(16 * 32, 32, std::string(32, '\xFF'));
    DiscardRomWork(ws);
    ws.RomLoaded = true;
    form = std::make_unique<GraphicsForm>(ws);
    form->resize(900, 600);
    form->show();
  }
  QWidget* canvas() { return form->findChild<QWidget*>("TileView"); }
  QSpinBox* colour() { return form->findChild<QSpinBox*>("fldColour"); }
  QString offset() { return form->findChild<QLineEdit*>("fldOffset")->text(); }
  // The canvas point over the middle of a pixel of the unzoomed view (zoom 2).
  static QPoint over(int x, int y) { return {2 * x + 1, 2 * y + 1}; }
  void paint(int x, int y, int index) {
    colour()->setValue(index);
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, over(x, y));
  }
};

TEST(GraphicsForm, ThePencilChangesExactlyThePixelClicked) {
  GraphicsBench b;
  const std::string before(b.ws.RomImage);
  b.paint(19, 10, 5);  // tile 18, its pixel (3, 2): the high nibble of byte 18 * 32 + 9
  std::string expected = before;
  expected[18 * 32 + 9] = '\x50';
  EXPECT_EQ(b.ws.RomImage, expected);
  EXPECT_TRUE(b.ws.RomChanged);
  // The right button picks the colour under it.
  b.colour()->setValue(0);
  QTest::mouseClick(b.canvas(), Qt::RightButton, Qt::NoModifier, GraphicsBench::over(19, 10));
  EXPECT_EQ(b.colour()->value(), 5);
  QTest::mouseClick(b.canvas(), Qt::RightButton, Qt::NoModifier, GraphicsBench::over(2, 9));
  EXPECT_EQ(b.colour()->value(), 15);
  EXPECT_EQ(b.ws.RomImage, expected);
}

TEST(GraphicsForm, CtrlZInTheRussianLayoutUndoesOneStroke) {
  GraphicsBench b;
  const std::string before(b.ws.RomImage);
  b.paint(0, 0, 1);
  const std::string afterFirst(b.ws.RomImage);
  // A second stroke dragged over three pixels of two tiles.
  b.colour()->setValue(2);
  QTest::mousePress(b.canvas(), Qt::LeftButton, Qt::NoModifier, GraphicsBench::over(6, 0));
  for (int x = 7; x <= 8; ++x) {
    QMouseEvent move(QEvent::MouseMove, GraphicsBench::over(x, 0), b.canvas()->mapToGlobal(GraphicsBench::over(x, 0)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b.canvas(), &move);
  }
  QTest::mouseRelease(b.canvas(), Qt::LeftButton, Qt::NoModifier, GraphicsBench::over(8, 0));
  EXPECT_EQ(b.ws.RomImage[3], '\x22');
  EXPECT_EQ(b.ws.RomImage[32], '\x02');
  // The Z key types "я" in the Russian layout; Qt names it by that letter.
  EditorGuiBench::key(b.canvas(), QString::fromUtf8("Я")[0].unicode(), Qt::ControlModifier, QString::fromUtf8("я"));
  EXPECT_EQ(b.ws.RomImage, afterFirst);
  EditorGuiBench::key(b.canvas(), Qt::Key_Z, Qt::ControlModifier, "z");
  EXPECT_EQ(b.ws.RomImage, before);
  EXPECT_TRUE(b.ws.RomChanged);
}

TEST(GraphicsForm, UndoLeavesAloneBytesChangedSinceTheStroke) {
  GraphicsBench b;
  b.paint(0, 0, 1);
  // Another ROM is loaded meanwhile: the stroke's old bytes do not belong to it.
  const std::string other(65536, '\x33');
  b.ws.RomImage = other;
  DiscardRomWork(b.ws);
  EditorGuiBench::key(b.canvas(), Qt::Key_Z, Qt::ControlModifier, "z");
  EXPECT_EQ(b.ws.RomImage, other);
  EXPECT_EQ(b.host.log.back(), W("Графика: ROM изменен после рисования, отменять нечего"));
}

TEST(GraphicsForm, TheViewFollowsTheScrollingKeys) {
  GraphicsBench b;
  QWidget* canvas = b.canvas();
  const auto shown = [&] { return canvas->grab().toImage().pixelColor(1, 1); };
  EXPECT_EQ(shown(), QColor(0, 0, 0));
  struct Step {
    int key;
    Qt::KeyboardModifiers mods;
    const char* offset;
  };
  const Step steps[] = {
      {Qt::Key_Down, Qt::NoModifier, "&H200"},      // a row of 16 tiles of 32 bytes
      {Qt::Key_Right, Qt::NoModifier, "&H220"},     // a tile
      {Qt::Key_Right, Qt::ControlModifier, "&H221"}, // a byte
      {Qt::Key_Left, Qt::ControlModifier, "&H220"},
      {Qt::Key_Left, Qt::NoModifier, "&H200"},
  };
  for (const Step& s : steps) {
    QTest::keyClick(canvas, static_cast<Qt::Key>(s.key), s.mods);
    EXPECT_EQ(b.offset(), s.offset);
  }
  EXPECT_EQ(shown(), QColor(255, 255, 255));  // tile 16 is now the first shown
  QTest::keyClick(canvas, Qt::Key_PageDown);
  EXPECT_EQ(b.offset(), "&H" + QString::number(0x200 + 0x200 * b.form->pageRows(), 16).toUpper());
  QTest::keyClick(canvas, Qt::Key_End);
  EXPECT_EQ(b.offset(), "&HFFFF");
  QTest::keyClick(canvas, Qt::Key_Home);
  EXPECT_EQ(b.offset(), "&H0");
  QWheelEvent wheel(QPointF(5, 5), canvas->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(canvas, &wheel);
  EXPECT_EQ(b.offset(), "&H600");
}

TEST(GraphicsForm, TheMenuItemOpensTheWindowAndItsButtonsExchangePng) {
  MainGuiBench b;
  b.ws.RomImage = std::string(4096, '\x11');
  DiscardRomWork(b.ws);
  b.ws.RomLoaded = true;
  b.click("menuGraphics");
  auto* form = b.form->findChild<GraphicsForm*>("GraphicsForm");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Графика"));
  form->findChild<QLineEdit*>("fldCount")->setText("4");
  b.host.files.push_back({b.dir.file("t.png")});
  form->findChild<QPushButton*>("btnExportPng")->click();
  EXPECT_TRUE(b.logged(W("Тайлы с адреса &H0 сохранены в PNG-файл ") + b.dir.file("t.png") + W(": тайлов 4, формат 4BPP")));
  b.ws.RomImage = std::string(4096, '\0');
  DiscardRomWork(b.ws);
  b.host.files.push_back({b.dir.file("t.png")});
  form->findChild<QPushButton*>("btnImportPng")->click();
  EXPECT_EQ(b.ws.RomImage, std::string(128, '\x11') + std::string(4096 - 128, '\0'));
  EXPECT_TRUE(b.form->windowTitle().endsWith(" *"));
}

TEST(GraphicsForm, TheCompressedBlockBoxShowsUnpackedTilesAndTheirPngPutsTheStreamBack) {
  // 16 tiles whose first is all colour 15, packed at &H100 and pointed at from &H10.
  const std::string font = std::string(32, '\xFF') + std::string(480, '\0');
  TestBench t;
  t.ws.RomImage = std::string(0x100, 'c') + PackLz77(font, true);
  t.ws.RomImage.replace(0x10, 4, GbaPointerBytes(kGbaRomBase + 0x100));
  t.ws.RomImage.resize(4096, '\xFF');
  const std::string rom(t.ws.RomImage);
  DiscardRomWork(t.ws);
  t.ws.RomLoaded = true;
  GraphicsForm form(t.ws);
  form.resize(900, 600);
  form.show();
  auto* offset = form.findChild<QLineEdit*>("fldOffset");
  auto* label = form.findChild<QLabel*>("lblPacked");
  QWidget* canvas = form.findChild<QWidget*>("TileView");
  const auto shown = [&] { return canvas->grab().toImage().pixelColor(1, 1); };
  const auto go = [&](const char* at) {
    offset->setText(at);
    emit offset->editingFinished();
  };
  go("&H100");
  EXPECT_EQ(shown(), QColor(0, 0, 0));  // the stream's header byte &H10: colour 0
  form.findChild<QCheckBox*>("chkPacked")->setChecked(true);
  EXPECT_EQ(shown(), QColor(255, 255, 255));
  EXPECT_EQ(offset->text(), "&H100");
  EXPECT_TRUE(label->text().startsWith(QString::fromUtf8("Блок LZ77"))) << label->text().toStdString();
  EXPECT_EQ(form.image(), font);
  // The pencil leaves a copy alone.
  QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(21, 1));
  EXPECT_EQ(t.ws.RomImage, rom);
  go("&H0");
  EXPECT_EQ(label->text().toStdString(), NoBlockText(0, StreamError::UnknownType));
  EXPECT_EQ(shown(), QColor(64, 64, 72));
  go("&H100");

  // A PNG of noisy tiles for the stream: it grows, moves, its pointer and the window follow.
  std::string noisy = font;
  for (size_t i = 32; i < noisy.size(); ++i) noisy[i] = static_cast<char>(i * 2654435761u >> 13);
  TileBlock block;
  block.offset = 0x100;
  block.packed = true;
  block.layout = {TileFormat::Bpp4, 16, 16, {}};
  WriteBytes(t.dir.path() / "noisy.png", TilesToPng(noisy, block, GreyPalette(TileFormat::Bpp4)));
  t.host.files.push_back({t.dir.file("noisy.png")});
  form.findChild<QPushButton*>("btnImportPng")->click();
  const std::uint32_t moved = static_cast<std::uint8_t>(t.ws.RomImage[0x10]) |
                              static_cast<std::uint8_t>(t.ws.RomImage[0x11]) << 8;
  ASSERT_GT(moved, 0x100u);
  EXPECT_EQ(offset->text(), "&H" + QString::number(moved, 16).toUpper());
  EXPECT_EQ(form.image(), noisy);
  EXPECT_EQ(Unpack(std::string_view(t.ws.RomImage).substr(moved)).data, noisy);
  // And the export writes the unpacked tiles under the stream's record.
  t.host.files.push_back({t.dir.file("back.png")});
  form.findChild<QPushButton*>("btnExportPng")->click();
  EXPECT_EQ(ReadBytes(t.dir.path() / "back.png"), TilesToPng(noisy, {moved, block.layout, {}, true}, GreyPalette(TileFormat::Bpp4)));
}

}  // namespace
