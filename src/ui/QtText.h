#pragma once
// The border between program text (UTF-8) and the toolkit's strings.
#include <QString>
#include <optional>

#include "workspace/Cp1251.h"

QString toQString(const Text& text);
// Nothing when the string holds a lone surrogate, which is no character at all.
std::optional<Text> fromQString(const QString& s);
