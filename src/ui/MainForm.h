#pragma once
#include <QMainWindow>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// The workbench's main window: the log pane, the progress bar and the exit button.
class MainForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainForm(QWidget* parent = nullptr);
  QPlainTextEdit* logText() const { return logText_; }
  QProgressBar* progressBar() const { return progressBar_; }

 private:
  QPlainTextEdit* logText_;
  QProgressBar* progressBar_;
  QPushButton* exitButton_;
};
