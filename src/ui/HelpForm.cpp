#include "ui/HelpForm.h"

#include <QEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/FormParts.h"
#include "ui/MainForm.h"
#include "workspace/Dialogs.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/RtfReader.h"

HelpForm::HelpForm(Workspace& ws, QWidget* parent) : QWidget(parent, Qt::Window), ws_(ws) {
  setObjectName("HelpForm");
  setAttribute(Qt::WA_DeleteOnClose);
  CloseOnEscape(this);
  setWindowTitle(QString::fromUtf8("Tarvello Подсказка"));
  helpText_ = new QTextBrowser(this);
  helpText_->setObjectName("HelpText");
  helpText_->setOpenExternalLinks(false);
  helpText_->installEventFilter(this);
  closeButton_ = new QPushButton(QString::fromUtf8("Закрыть"), this);
  closeButton_->setObjectName("CloseButton");
  closeButton_->setFixedSize(Twips(975), Twips(375));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(Twips(15), Twips(120), Twips(30), Twips(75));
  layout->setSpacing(Twips(105));
  layout->addWidget(helpText_, 1);
  layout->addWidget(closeButton_, 0, Qt::AlignHCenter);
  setTabOrder(closeButton_, helpText_);
  closeButton_->setFocus();
  // Room for the close button and a few words of the guide under the full caption.
  setMinimumHeight(Twips(3000));
  KeepCaptionVisible(this);
  resize(Twips(8085), Twips(5730));
  connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
}

bool HelpForm::loadHelpFile() {
  if (!CheckFileExists(ws_, ws_.HelpFileName, W("Файл справки (tarvellohelp.rtf)"))) return false;
  try {
    const std::string html = HelpFileToHtml(ReadWholeFile(ws_.HelpFileName));
    helpText_->setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
    return true;
  } catch (...) {
    LogOperationError(ws_);
    return false;
  }
}

bool HelpForm::eventFilter(QObject* watched, QEvent* event) {
  // The guide is always entered at its beginning.
  if (watched == helpText_ && event->type() == QEvent::FocusIn) {
    QTextCursor start = helpText_->textCursor();
    start.movePosition(QTextCursor::Start);
    helpText_->setTextCursor(start);
  }
  return QWidget::eventFilter(watched, event);
}
