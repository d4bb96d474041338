#include "ui/QtText.h"

QString toQString(const Text& text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char c : text) out.append(QChar(static_cast<char16_t>(cp1251::Decode(static_cast<unsigned char>(c)))));
  return out;
}

std::optional<Text> fromQString(const QString& s) {
  Text out;
  out.reserve(static_cast<size_t>(s.size()));
  for (QChar ch : s) {
    auto byte = cp1251::Encode(ch.unicode());
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}
