#pragma once
// The border between program text (Windows-1251) and the toolkit's strings.
#include <QString>
#include <optional>

#include "workspace/Cp1251.h"

QString toQString(const Text& text);
// Nothing when the string holds a character the code page lacks.
std::optional<Text> fromQString(const QString& s);
