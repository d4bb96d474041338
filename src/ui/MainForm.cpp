#include "ui/MainForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "ui/AboutForm.h"
#include "ui/HelpForm.h"
#include "ui/MainFormCommands.h"
#include "ui/QtText.h"
#include "workspace/Log.h"
#include "workspace/OpenedFiles.h"

namespace {

// The window's outer height never goes below this (frame, caption and menu included).
constexpr int kMinOuterHeight = Twips(1840);

}  // namespace

MainForm::MainForm(Workspace& ws, QWidget* parent) : QMainWindow(parent), ws_(ws), menu_(MainMenuEntries()) {
  setObjectName("MainForm");
  auto* central = new QWidget(this);
  auto* layout = new QGridLayout(central);
  layout->setContentsMargins(Twips(120), 0, Twips(90), Twips(180));
  layout->setHorizontalSpacing(0);
  layout->setVerticalSpacing(Twips(105));

  exitButton_ = new QPushButton(QString::fromUtf8("Выход"), central);
  exitButton_->setObjectName("ExitButton");
  exitButton_->setFixedSize(Twips(975), Twips(375));
  exitButton_->setAutoDefault(false);

  progressBar_ = new QProgressBar(central);
  progressBar_->setObjectName("ProgressBar1");
  progressBar_->setFixedHeight(Twips(255));
  progressBar_->setTextVisible(false);
  // The bar keeps its strip when hidden, so the log does not jump when it appears.
  QSizePolicy keep = progressBar_->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  progressBar_->setSizePolicy(keep);
  progressBar_->hide();

  // The log is the program's report; the user reads and copies it, but does not write it.
  logText_ = new QPlainTextEdit(central);
  logText_->setObjectName("LogText");
  logText_->setReadOnly(true);
  logText_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  logText_->setMinimumSize(Twips(975), Twips(250));
  // A resize re-wraps the lines and moves the bar on its own, keeping the top line in
  // place: while the pane settles, only the user's scrolling says where the pane stays.
  QScrollBar* logBar = logText_->verticalScrollBar();
  connect(logBar, &QScrollBar::valueChanged, this, [this, logBar](int value) {
    if (!logSettling_) logAtEnd_ = value == logBar->maximum();
  });
  connect(logBar, &QScrollBar::rangeChanged, this, [this, logBar](int, int max) {
    if (logAtEnd_) logBar->setValue(max);
  });
  logText_->installEventFilter(this);

  layout->addWidget(progressBar_, 0, 0);
  layout->addWidget(logText_, 1, 0);
  layout->addWidget(exitButton_, 2, 0, Qt::AlignRight);
  layout->setRowStretch(1, 1);
  setCentralWidget(central);
  setTabOrder(exitButton_, logText_);
  exitButton_->setFocus();

  // Start-up may already have logged (a settings file it could not read).
  if (!ws_.LogText.empty()) logText_->setPlainText(toQString(ws_.LogText).replace("\r\n", "\n"));
  connect(exitButton_, &QPushButton::clicked, this, &MainForm::requestExit);
  buildMenus();
  buildRecentFilesMenu();
  setAcceptDrops(true);
  setCaption(ws_.VersionText);
  syncOptionChecks();
  resize(Twips(9225), Twips(3795) + menuBar()->sizeHint().height());
  applyRememberedGeometry();
}

void MainForm::applyRememberedGeometry() {
  if (ws_.MainFormWidth <= 0 || ws_.MainFormHeight <= 0) return;
  const QRect wanted(ws_.MainFormLeft, ws_.MainFormTop, ws_.MainFormWidth, ws_.MainFormHeight);
  // A place on a screen that is no longer there would hide the window.
  const QScreen* screen = QGuiApplication::screenAt(wanted.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect room = screen ? screen->availableGeometry() : wanted;
  resize(std::min(wanted.width(), room.width()), std::min(wanted.height(), room.height()));
  move(std::clamp(wanted.x(), room.left(), std::max(room.left(), room.right() - width() + 1)),
       std::clamp(wanted.y(), room.top(), std::max(room.top(), room.bottom() - height() + 1)));
}

void MainForm::rememberGeometry() {
  // The size the window has when it is neither maximized nor minimized.
  const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : QRect(pos(), size());
  if (normal.width() <= 0 || normal.height() <= 0) return;
  ws_.MainFormLeft = normal.x();
  ws_.MainFormTop = normal.y();
  ws_.MainFormWidth = normal.width();
  ws_.MainFormHeight = normal.height();
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == logText_ && event->type() == QEvent::Resize && !logSettling_) {
    logSettling_ = true;
    QTimer::singleShot(0, this, [this] {
      logSettling_ = false;
      QScrollBar* bar = logText_->verticalScrollBar();
      if (logAtEnd_) bar->setValue(bar->maximum());
    });
  }
  return QMainWindow::eventFilter(watched, event);
}

MainForm::~MainForm() {
  // QWidget's destructor deletes the log pane after this object's own part is gone; the
  // pane's last layout (its focus leaving) must not reach the members here.
  logText_->verticalScrollBar()->disconnect(this);
  logText_->removeEventFilter(this);
}

void MainForm::buildMenus() {
  std::vector<QMenu*> open;  // the menu of each level that the next items go into
  const std::vector<MenuEntry>& entries = menu_;
  for (size_t i = 0; i < entries.size(); ++i) {
    const MenuEntry& e = entries[i];
    const QString caption = QString::fromUtf8(e.caption);
    open.resize(static_cast<size_t>(e.level));
    const bool submenu = i + 1 < entries.size() && entries[i + 1].level > e.level;
    if (submenu) {
      QMenu* menu = e.level == 0 ? menuBar()->addMenu(caption) : open.back()->addMenu(caption);
      menu->setObjectName(e.name);
      menu->menuAction()->setObjectName(e.name);
      open.push_back(menu);
      continue;
    }
    QAction* action = open.back()->addAction(caption);
    action->setObjectName(e.name);
    action->setEnabled(e.enabled);
    if (e.option) {
      action->setCheckable(true);
      optionItems_[action] = &e;
    }
    if (!e.run) continue;
    connect(action, &QAction::triggered, this, [this, &e] { runCommand([this, &e] { e.run(*this, W(e.caption)); }); });
  }
}

void MainForm::buildRecentFilesMenu() {
  auto* file = findChild<QMenu*>("menuFile");
  QAction* exit = findChild<QAction*>("menuExit");
  if (!file) return;
  recentFiles_ = new QMenu(QString::fromUtf8("Недавние файлы"), file);
  recentFiles_->setObjectName("menuRecentFiles");
  recentFiles_->menuAction()->setObjectName("menuRecentFiles");
  file->insertMenu(exit, recentFiles_);
  // Made anew each time it opens, never while one of its items is still running.
  connect(recentFiles_, &QMenu::aboutToShow, this, &MainForm::syncRecentFiles);
  syncRecentFiles();
}

void MainForm::syncRecentFiles() {
  if (!recentFiles_) return;
  recentFiles_->clear();
  const std::vector<RecentFile> files = RecentFiles(ws_);
  static const char* const kKinds[] = {"ROM", "Таблица", "Перевод"};
  for (size_t i = 0; i < files.size(); ++i) {
    const RecentFile& f = files[i];
    const QString caption = QStringLiteral("&%1 %2: %3")
                                .arg(i + 1)
                                .arg(QString::fromUtf8(kKinds[static_cast<int>(f.kind)]), toQString(f.path));
    QAction* action = recentFiles_->addAction(caption);
    action->setObjectName(QStringLiteral("menuRecentFile%1").arg(i + 1));
    connect(action, &QAction::triggered, this,
            [this, f] { runCommand([this, f] { OpenFileOfKind(*this, f.kind, f.path); }); });
  }
}

void MainForm::syncOptionChecks() {
  for (auto& [action, entry] : optionItems_) action->setChecked(ws_.*entry->option == entry->checkedValue);
}

bool MainForm::runCommand(const std::function<void()>& command) {
  if (busy_) return false;
  setBusy(true);
  try {
    command();
  } catch (...) {
    // Operations report their own failures; this is the last net under a window's code.
    LogOperationError(ws_);
  }
  syncOptionChecks();
  refreshCaption();
  flushLog();
  if (!exiting_) setBusy(false);
  if (exitPending_) requestExit();
  return true;
}

void MainForm::setBusy(bool busy) {
  busy_ = busy;
  menuBar()->setEnabled(!busy);
  exitButton_->setEnabled(!busy);
  emit busyChanged(busy);
}

void MainForm::requestExit() {
  if (exiting_) return;
  if (busy_) {
    exitPending_ = true;
    return;
  }
  exitPending_ = false;
  exiting_ = true;
  rememberGeometry();
  setBusy(true);
  emit exitRequested();
}

void MainForm::closeEvent(QCloseEvent* event) {
  requestExit();
  // A close during a command is held back until the command ends and then exits.
  if (exitPending_)
    event->ignore();
  else
    event->accept();
}

void MainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  const int frame = frameGeometry().height() - geometry().height();
  setMinimumHeight(std::max(minimumSizeHint().height(), kMinOuterHeight - frame));
}

void MainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Edits in the tool windows change the workspace outside any command.
  if (event->type() == QEvent::ActivationChange) refreshCaption();
}

void MainForm::setCaption(const Text& caption) {
  caption_ = caption;
  refreshCaption();
}

void MainForm::refreshCaption() {
  const bool unsaved =
      ws_.PerevodChanged || ws_.RomChanged || ws_.IpsChanged || ws_.TableChanged || ws_.TRVocabularyChanged;
  const QString caption = toQString(caption_) + (unsaved ? QStringLiteral(" *") : QString());
  if (windowTitle() != caption) setWindowTitle(caption);
}

namespace {

// The dropped files the window can load, with their kinds, in the order dropped.
std::vector<std::pair<FileKind, Text>> DroppedFiles(const QMimeData* mime) {
  std::vector<std::pair<FileKind, Text>> files;
  if (!mime || !mime->hasUrls()) return files;
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) continue;
    const auto path = fromQString(QFileInfo(url.toLocalFile()).absoluteFilePath());
    if (!path) continue;
    if (const auto kind = FileKindOfName(*path)) files.emplace_back(*kind, *path);
  }
  return files;
}

}  // namespace

void MainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!busy_ && !DroppedFiles(event->mimeData()).empty())
    event->acceptProposedAction();
  else
    event->ignore();
}

void MainForm::dropEvent(QDropEvent* event) {
  const auto files = DroppedFiles(event->mimeData());
  if (files.empty()) return event->ignore();
  event->acceptProposedAction();
  openFiles(files);
}

void MainForm::openFiles(const std::vector<std::pair<FileKind, Text>>& files) {
  for (const auto& [kind, path] : files) runCommand([this, kind, &path] { OpenFileOfKind(*this, kind, path); });
}

void MainForm::appendLogLine(const Text& line) {
  // Lines are shown in batches: one edit of the pane per event-loop pass instead of
  // one per line keeps a 100,000-line log fast.
  if (pendingLog_.isEmpty()) QTimer::singleShot(0, this, &MainForm::flushLog);
  QString text = toQString(line);
  text.replace("\r\n", "\n");
  pendingLog_ << text;
}

void MainForm::flushLog() {
  if (pendingLog_.isEmpty()) return;
  logText_->appendPlainText(pendingLog_.join('\n'));
  pendingLog_.clear();
  // The newest line is the one to see, wherever the user had scrolled.
  logText_->moveCursor(QTextCursor::End);
  logText_->verticalScrollBar()->setValue(logText_->verticalScrollBar()->maximum());
}

void MainForm::showProgress(Bar bar, const ProgressState& state) {
  if (bar == Bar::Editor) {
    if (editorProgress_) editorProgress_(state);
    return;
  }
  progressBar_->setRange(state.min, state.max);
  progressBar_->setValue(state.value);
  progressBar_->setVisible(state.visible);
}

void MainForm::closeSideWindow(Window window) {
  const auto it = sideWindows_.find(window);
  if (it == sideWindows_.end()) return;
  const auto close = it->second;  // the window may unregister itself while closing
  close();
}

void MainForm::showToolWindow(const std::string& name, const std::function<QWidget*(MainForm&)>& make) {
  QPointer<QWidget>& window = toolWindows_[name];
  if (!window) window = make(*this);
  if (!window) return;
  window->show();
  window->raise();
  window->activateWindow();
}

QWidget* MainForm::toolWindow(const std::string& name) const {
  const auto it = toolWindows_.find(name);
  return it == toolWindows_.end() ? nullptr : it->second.data();
}

void MainForm::showHelp() {
  if (!helpForm_) {
    auto* form = new HelpForm(ws_, this);
    // A help file that could not be read leaves no empty window behind: the next
    // command tries the file again.
    if (!form->loadHelpFile()) {
      delete form;
      return;
    }
    helpForm_ = form;
  }
  helpForm_->show();
  helpForm_->raise();
  helpForm_->activateWindow();
}

void MainForm::showAbout() {
  if (!aboutForm_) aboutForm_ = new AboutForm(ws_, this);
  aboutForm_->exec();
}
