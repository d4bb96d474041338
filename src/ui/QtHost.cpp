#include "ui/QtHost.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "ui/MainForm.h"
#include "ui/QtText.h"

namespace {

QMessageBox::Icon QtIcon(Icon icon) {
  switch (icon) {
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

void SetButtons(QMessageBox& box, Buttons buttons) {
  using B = QMessageBox::StandardButton;
  switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(B::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(B::Ok | B::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(B::Yes | B::No); break;
    case Buttons::YesNoCancel: box.setStandardButtons(B::Yes | B::No | B::Cancel); break;
  }
  // Escape and the close box give the answer nobody-there would give.
  switch (DefaultAnswer(buttons)) {
    case Answer::Ok: box.setEscapeButton(B::Ok); break;
    case Answer::No: box.setEscapeButton(buttons == Buttons::YesNoCancel ? B::Cancel : B::No); break;
    default: box.setEscapeButton(B::Cancel); break;
  }
}

Answer FromQt(int result, Buttons buttons) {
  switch (result) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return DefaultAnswer(buttons);
  }
}

// While a dialog is up the window that asked for it stays its owner; when it closes, that
// window is active again and the focus back on the control that had it, so the key that
// opened the dialog works again at once.
QPointer<QWidget>& lastOwner() {
  static QPointer<QWidget> owner;
  return owner;
}

class DialogScope {
 public:
  explicit DialogScope(QWidget* owner) : owner_(owner), focus_(QApplication::focusWidget()) {}
  ~DialogScope() {
    // The window system activates windows in its own time; until it has, the owner
    // stays the window of the next dialog.
    if (owner_) lastOwner() = owner_;
    if (owner_) {
      owner_->raise();
      owner_->activateWindow();
    }
    if (focus_) focus_->setFocus(Qt::OtherFocusReason);
  }
  DialogScope(const DialogScope&) = delete;
  DialogScope& operator=(const DialogScope&) = delete;

 private:
  QPointer<QWidget> owner_;
  QPointer<QWidget> focus_;
};

void RefuseForeignText(QWidget* parent, const QString& what) {
  QMessageBox box(QMessageBox::Critical, BoxTitle(),
                  what + QString::fromUtf8("\nсодержит символы, которых нет в кодировке Windows-1251."),
                  QMessageBox::Ok, parent);
  box.exec();
}

// A file about to be replaced is named as it will be written, after the filter's
// extension was added: the dialog's own question would be about the name as typed.
bool ConfirmReplace(QWidget* parent, const QString& name) {
  QMessageBox box(QMessageBox::Warning, BoxTitle(),
                  QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
                      .arg(QFileInfo(name).fileName()),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setObjectName("ReplaceQuestion");
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

QString BoxTitle() {
  return QStringLiteral("Tarvello");
}

QWidget* QtHost::parent() const {
  // The window whose command asks is the active one: a tool window's button, the
  // editor's keys, or the main window's menus.
  if (QWidget* active = QApplication::activeWindow()) return active;
  if (lastOwner() && lastOwner()->isVisible()) return lastOwner();
  return window_.data();
}

void QtHost::logLineAdded(const Text& line) {
  if (window_) window_->appendLogLine(line);
}

void QtHost::pumpEvents() {
  // Once per ~15 ms keeps the window alive without letting a 100,000-line log spend its
  // time in the event loop.
  if (sincePump_.elapsed() < 15) return;
  if (window_) window_->flushLog();
  QApplication::processEvents();
  sincePump_.restart();
}

Answer QtHost::message(const Text& text, Buttons buttons, Icon icon) {
  const DialogScope scope(parent());
  QMessageBox box(parent());
  box.setWindowTitle(BoxTitle());
  box.setText(toQString(text));
  box.setIcon(QtIcon(icon));
  SetButtons(box, buttons);
  return FromQt(box.exec(), buttons);
}

std::optional<Text> QtHost::inputBox(const Text& prompt, const Text& title, const Text& answer) {
  const DialogScope scope(parent());
  QString value = toQString(answer);
  for (;;) {
    bool ok = false;
    value = QInputDialog::getText(parent(), title.empty() ? BoxTitle() : toQString(title), toQString(prompt), QLineEdit::Normal, value, &ok);
    if (!ok) return std::nullopt;
    if (auto text = fromQString(value)) return text;
    RefuseForeignText(parent(), QString::fromUtf8("Введённый текст"));
  }
}

QString QtFilter(const Text& windowsFilter) {
  const QStringList parts = toQString(windowsFilter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    // "*.*" means every file on Windows; elsewhere it would demand a dot in the name.
    for (QString& p : patterns)
      if (p.trimmed() == "*.*") p = "*";
    const qsizetype paren = description.indexOf('(');
    if (paren >= 0) description = description.left(paren).trimmed();
    filters << description + " (" + patterns.join(' ') + ")";
  }
  return filters.join(";;");
}

QString WithFilterExtension(const QString& name, const QString& qtFilter) {
  // "Файл перевода (*.txt *.log)" gives ".txt"; "Все файлы (*)" gives nothing.
  const qsizetype open = qtFilter.lastIndexOf('(');
  const QString patterns = open < 0 ? qtFilter : qtFilter.mid(open + 1).chopped(1);
  const QString first = patterns.split(' ', Qt::SkipEmptyParts).value(0);
  if (!first.startsWith("*.") || first.size() < 3 || first.contains('?') || first.indexOf('*', 1) >= 0) return name;
  if (QFileInfo(name).fileName().contains('.')) return name;
  return name + first.mid(1);
}

std::vector<Text> QtHost::chooseFiles(const FileRequest& request) {
  const DialogScope scope(parent());
  QFileDialog dialog(parent(), toQString(request.title), toQString(request.fileName), QtFilter(request.filter));
  const bool save = request.kind == FileRequest::Kind::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (save)
    dialog.setFileMode(QFileDialog::AnyFile);
  else
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  QStringList chosen;
  while (dialog.exec() == QDialog::Accepted) {
    chosen = dialog.selectedFiles();
    if (!save || chosen.isEmpty()) break;
    // A name typed without an extension gets the one of the chosen filter, or the filter
    // would hide the file just saved.
    QString& name = chosen.front();
    name = WithFilterExtension(name, dialog.selectedNameFilter());
    if (!QFileInfo::exists(name) || ConfirmReplace(parent(), name)) break;
    // No: back to the dialog, as its own question does.
    dialog.selectFile(QFileInfo(name).fileName());
    chosen.clear();
  }
  std::vector<Text> names;
  for (const QString& name : chosen) {
    if (name.isEmpty()) continue;
    auto text = fromQString(name);
    if (!text) {
      // The program's files are named in Windows-1251; a name it cannot write down
      // would open some other file later.
      RefuseForeignText(parent(), QString::fromUtf8("Имя файла ") + name);
      return {};
    }
    names.push_back(*text);
  }
  return names;
}

void QtHost::progress(Bar bar, const ProgressState& state) {
  if (window_) window_->showProgress(bar, state);
}

void QtHost::closeWindow(Window window) {
  if (window_) window_->closeSideWindow(window);
}

void QtHost::setMainCaption(const Text& caption) {
  if (window_) window_->setCaption(caption);
}

std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) {
  const DialogScope scope(parent);
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, initial, parent);
  if (!ok) return std::nullopt;
  return font;
}
