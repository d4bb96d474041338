#pragma once
// The translation editor on the real main window and a scripted host: keys and text
// are sent as the keyboard sends them, dialogs are answered from the host's queues.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include "MainGuiBench.h"
#include "ui/EditForm.h"
#include "ui/FindForm.h"
#include "ui/QtText.h"

struct EditorGuiBench : MainGuiBench {
  QPointer<EditForm> editor;

  explicit EditorGuiBench(std::vector<Text> lines) {
    ws.PerevodArray = std::move(lines);
    ws.PerevodLoaded = true;
    ws.PerevodFileName = dir.file("game.txt");
    ws.ExtendedLogs = "NO";
  }
  ~EditorGuiBench() {
    if (editor) delete editor.data();
  }

  EditForm* open() {
    editor = new EditForm(ws, form.get());
    editor->show();
    QApplication::processEvents();
    return editor;
  }
  template <typename T>
  T* get(const char* name) const {
    T* w = editor->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QListWidget* list() const { return get<QListWidget>("PerevodList"); }
  QLineEdit* field() const { return get<QLineEdit>("TranslationBox"); }
  QLineEdit* address() const { return get<QLineEdit>("AddressInROM"); }
  QString label(const char* name) const { return get<QLabel>(name)->text(); }
  QAction* action(const char* name) const { return editor->findChild<QAction*>(name); }

  static void key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
  }
  // Each character as a key carrying its text, so Cyrillic goes in as typed.
  static void type(QWidget* w, const QString& text) {
    for (QChar c : text) key(w, c.toUpper().unicode(), Qt::NoModifier, QString(c));
  }
  void listKey(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) { key(list(), k, mods); }
  // Makes `row` the current line as a click would.
  void select(int row) { list()->setCurrentRow(row); }
  void startEdit(int row) {
    select(row);
    listKey(Qt::Key_Return);
  }
  void clearField() {
    key(field(), Qt::Key_End);
    key(field(), Qt::Key_Home, Qt::ShiftModifier);
    key(field(), Qt::Key_Backspace);
  }
  void commit() { key(field(), Qt::Key_Return); }
  QString fieldText() const { return field()->text(); }
  Text entry(size_t i) const { return ws.PerevodArray.at(i); }
  QString item(int row) const { return list()->item(row)->text(); }
};

inline std::vector<Text> NumberedLines(int n, int first = 1000) {
  std::vector<Text> lines;
  for (int i = 0; i < n; ++i) lines.push_back(std::to_string(first + i) + " line" + std::to_string(i));
  return lines;
}
