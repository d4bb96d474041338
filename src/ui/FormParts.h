#pragma once
// The labelled fields and named buttons the tool windows are made of.
#include <QString>

#include "workspace/Cp1251.h"

class QGridLayout;
class QLineEdit;
class QPushButton;
class QWidget;

// A field named `name` with its caption on a new row of `grid`.
QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const QString& text);
QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const Text& text);
QLineEdit* AddField(QWidget* form, QGridLayout* grid, const char* name, const char* label, const char* text);
QPushButton* AddButton(QWidget* form, const char* name, const char* caption);
