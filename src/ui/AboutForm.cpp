#include "ui/AboutForm.h"

#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/FormParts.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"

AboutForm::AboutForm(const Workspace& ws, QWidget* parent) : QDialog(parent) {
  setObjectName("AboutForm");
  setWindowTitle(QString::fromUtf8("Tarvello About"));
  setModal(true);
  auto* text = new QTextEdit(this);
  text->setObjectName("myTextBox");
  // The credits are to read, not to edit; each line is centred like a title page.
  text->setReadOnly(true);
  text->setPlainText(toQString(ws.AboutText).replace("\r\n", "\n"));
  text->selectAll();
  text->setAlignment(Qt::AlignHCenter);
  text->moveCursor(QTextCursor::Start);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("Command1");
  ok->setFixedSize(Twips(975), Twips(375));
  ok->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(Twips(120), Twips(120), Twips(120), Twips(180));
  layout->setSpacing(Twips(105));
  layout->addWidget(text, 1);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  setTabOrder(ok, text);
  ok->setFocus();
  // The credits are read whole, without scrolling.
  const QFontMetrics metrics(text->font());
  const QStringList lines = text->toPlainText().split('\n');
  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  const int margins = 2 * (text->frameWidth() + static_cast<int>(text->document()->documentMargin())) + 4;
  text->setMinimumSize(widest + margins, static_cast<int>(lines.size()) * metrics.lineSpacing() + margins);
  KeepCaptionVisible(this);
  resize(Twips(4590), Twips(3195));
  // OK hides the box; the next "About" shows the same one.
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
