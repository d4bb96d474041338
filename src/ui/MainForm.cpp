#include "ui/MainForm.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

MainForm::MainForm(QWidget* parent) : QMainWindow(parent) {
  setObjectName("MainForm");
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  logText_ = new QPlainTextEdit(central);
  logText_->setObjectName("LogText");
  logText_->setReadOnly(true);
  progressBar_ = new QProgressBar(central);
  progressBar_->setObjectName("ProgressBar1");
  progressBar_->hide();
  exitButton_ = new QPushButton(QString::fromUtf8("Выход"), central);
  exitButton_->setObjectName("ExitButton");
  layout->addWidget(logText_, 1);
  layout->addWidget(progressBar_);
  layout->addWidget(exitButton_, 0, Qt::AlignRight);
  setCentralWidget(central);
  connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);
  resize(640, 480);
}
