#pragma once
// The graphics window: a ROM's tiles from any offset, zoomed, with a pencil, and the
// exchange with indexed PNG files; or the unpacked tiles of a compressed stream.
#include <QWidget>
#include <vector>

#include <functional>
#include <optional>

#include "graphics/TileExchange.h"
#include "graphics/TileView.h"
#include "workspace/Workspace.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;
class TileCanvas;

class GraphicsForm : public QWidget {
  Q_OBJECT
 public:
  explicit GraphicsForm(Workspace& ws, QWidget* parent = nullptr);
  ~GraphicsForm() override;

  // For the view: what it shows and what the mouse and keys do there.
  const TileView& view() const { return view_; }
  int zoom() const;
  bool gridShown() const;
  // The bytes shown: the ROM's working image, or the unpacked stream.
  std::string_view image() const;
  bool packedShown() const;
  const Palette& palette() const { return palette_; }
  void paintAt(QPoint point);
  void pickAt(QPoint point);
  void endStroke();
  void showUnderMouse(QPoint point);
  void scrollBy(ScrollStep step, int count);
  void undoStroke();
  int pageRows() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The ROM's bytes a stroke touched, as they were before it and as it left them.
  struct Stroke {
    std::vector<std::pair<std::int64_t, char>> before;
    std::string after;
  };
  void readFields();
  void showOffset();
  void showColour();
  void readStream();
  void btnExportPng_Click();
  void btnImportPng_Click();
  void runOnMain(const std::function<void()>& run);
  std::optional<TilePixel> pixelAt(QPoint point) const;
  TileFields fields() const;

  Workspace& ws_;
  TileView view_;
  Palette palette_;
  Stroke stroke_;
  std::vector<Stroke> undo_;
  std::int64_t streamOffset_ = -1;  // the stream shown when the check box is ticked
  std::string unpacked_;
  QLineEdit* fldOffset_;
  QComboBox* fldFormat_;
  QSpinBox* fldPerRow_;
  QComboBox* fldCell_;
  QSpinBox* fldZoom_;
  QLineEdit* fldPalette_;
  QLineEdit* fldCount_;
  QSpinBox* fldColour_;
  QLabel* lblColour_;
  QCheckBox* chkGrid_;
  QCheckBox* chkPacked_;
  QLabel* lblPacked_;
  QLabel* lblUnderMouse_;
  TileCanvas* canvas_;
  QScrollBar* scroll_;
  QPushButton* btnExportPng_;
  QPushButton* btnImportPng_;
  QPushButton* ExitBtn_;
};
