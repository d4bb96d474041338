#include "ui/QtText.h"

#include <QStringView>

QString toQString(const Text& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<Text> fromQString(const QString& s) {
  if (!QStringView(s).isValidUtf16()) return std::nullopt;
  return s.toUtf8().toStdString();
}
