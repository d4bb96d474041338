#include "ui/QtHost.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>

#include "ui/MainForm.h"
#include "ui/QtText.h"

QtHost::QtHost(MainForm* window) : window_(window) { sincePump_.start(); }

void QtHost::logLineAdded(const Text& line) {
  if (!window_) return;
  window_->logText()->appendPlainText(toQString(line));
}

void QtHost::pumpEvents() {
  // Once per ~15 ms keeps the window alive without letting a 100,000-line log spend its
  // time in the event loop.
  if (sincePump_.elapsed() < 15) return;
  QApplication::processEvents();
  sincePump_.restart();
}

Answer QtHost::message(const Text& text, Buttons buttons, Icon icon) {
  QMessageBox box(window_);
  box.setWindowTitle(QString());
  box.setText(toQString(text));
  box.setIcon(icon == Icon::Critical      ? QMessageBox::Critical
              : icon == Icon::Exclamation ? QMessageBox::Warning
              : icon == Icon::Information ? QMessageBox::Information
                                          : QMessageBox::NoIcon);
  using B = QMessageBox::StandardButton;
  switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(B::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(B::Ok | B::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(B::Yes | B::No); break;
    case Buttons::YesNoCancel: box.setStandardButtons(B::Yes | B::No | B::Cancel); break;
  }
  switch (box.exec()) {
    case B::Ok: return Answer::Ok;
    case B::Yes: return Answer::Yes;
    case B::No: return Answer::No;
    default: return buttons == Buttons::YesNo ? Answer::No : buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
  }
}

std::optional<Text> QtHost::inputBox(const Text& prompt, const Text& title, const Text& answer) {
  for (;;) {
    bool ok = false;
    const QString value =
        QInputDialog::getText(window_, toQString(title), toQString(prompt), QLineEdit::Normal, toQString(answer), &ok);
    if (!ok) return std::nullopt;
    if (auto text = fromQString(value)) return text;
    QMessageBox::warning(window_, QString(),
                         QString::fromUtf8("Этот текст содержит символы, которых нет в кодировке Windows-1251."));
  }
}

QString QtFilter(const Text& windowsFilter) {
  const QStringList parts = toQString(windowsFilter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    const qsizetype paren = description.indexOf('(');
    if (paren >= 0) description = description.left(paren).trimmed();
    filters << description + " (" + patterns + ")";
  }
  return filters.join(";;");
}

std::vector<Text> QtHost::chooseFiles(const FileRequest& request) {
  const QString title = toQString(request.title);
  const QString filter = QtFilter(request.filter);
  const QString start = toQString(request.fileName);
  QStringList chosen;
  if (request.kind == FileRequest::Kind::Save)
    chosen << QFileDialog::getSaveFileName(window_, title, start, filter);
  else if (request.multiSelect)
    chosen = QFileDialog::getOpenFileNames(window_, title, start, filter);
  else
    chosen << QFileDialog::getOpenFileName(window_, title, start, filter);
  std::vector<Text> names;
  for (const QString& name : chosen) {
    if (name.isEmpty()) continue;
    auto text = fromQString(name);
    if (!text) {
      message(W("Имя файла содержит символы, которых нет в кодировке Windows-1251:") + "\r\n" + W(name.toStdString()),
              Buttons::Ok, Icon::Critical);
      return {};
    }
    names.push_back(*text);
  }
  return names;
}

void QtHost::progress(Bar bar, const ProgressState& state) {
  if (!window_ || bar != Bar::Main) return;
  QProgressBar* p = window_->progressBar();
  p->setRange(state.min, state.max);
  p->setValue(state.value);
  p->setVisible(state.visible);
}

void QtHost::closeWindow(Window) {}

void QtHost::setMainCaption(const Text& caption) {
  if (window_) window_->setWindowTitle(toQString(caption));
}
