// The dumper, transposition and shifted-insertion windows, offscreen: their controls,
// what they open with, what their fields do to each other, and that their buttons reach
// the operations.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "support/TestFiles.h"
#include "ui/DumperForm.h"
#include "ui/ShiftedPutForm.h"
#include "ui/TransponForm.h"
#include "workspace/CharTable.h"
#include "workspace/Files.h"
#include "workspace/Rom.h"
#include "workspace/Settings.h"

namespace {

template <typename T>
T* Find(QWidget& form, const char* name) {
  T* child = form.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

QString Utf(const char* text) {
  return QString::fromUtf8(text);
}

// The caption of the label that names a field.
QString LabelOf(QWidget& form, QWidget* field) {
  for (QLabel* label : form.findChildren<QLabel*>())
    if (label->buddy() == field) return label->text();
  return QString();
}

void Type(QLineEdit* field, const char* text) {
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  QTest::keyClicks(field, text);
}

struct ToolBench : TestBench {
  void putRom(const std::string& image) {
    ws.RomImage = image;
    DiscardRomWork(ws);
    ws.RomLoaded = true;
  }
};

TEST(DumperForm, OpensWithItsControlsAndTheRememberedFields) {
  ToolBench t;
  t.ws.DumperINILine = "";
  DumperForm fresh(t.ws);
  EXPECT_EQ(fresh.windowTitle(), "Dumper");
  EXPECT_EQ(Find<QLineEdit>(fresh, "fldStartAddr")->text(), "1");
  EXPECT_EQ(Find<QLineEdit>(fresh, "fldEndAddr")->text(), "16384");
  EXPECT_EQ(Find<QLineEdit>(fresh, "fldLineSize")->text(), "70");
  EXPECT_EQ(Find<QLineEdit>(fresh, "fldDumpLen")->text(), "");
  EXPECT_EQ(LabelOf(fresh, Find<QLineEdit>(fresh, "fldDumpLen")), Utf("Сколько точно дампить в байтах"));
  EXPECT_TRUE(Find<QCheckBox>(fresh, "CheckDoEncode")->isChecked());
  EXPECT_EQ(Find<QCheckBox>(fresh, "CheckDoEncode")->text(), Utf("Укодировать неизвестные символы в <$+hex+>"));
  EXPECT_EQ(Find<QPushButton>(fresh, "Command1")->text(), "RUN");
  EXPECT_EQ(Find<QPushButton>(fresh, "ExitBtn")->text(), Utf("Закрыть"));

  t.ws.DumperINILine = "&H200,900";  // a short line leaves the rest as it starts
  DumperForm remembered(t.ws);
  EXPECT_EQ(Find<QLineEdit>(remembered, "fldStartAddr")->text(), "&H200");
  EXPECT_EQ(Find<QLineEdit>(remembered, "fldEndAddr")->text(), "900");
  EXPECT_EQ(Find<QLineEdit>(remembered, "fldLineSize")->text(), "70");
}

TEST(DumperForm, LengthSetsTheEndAndRunDumpsAndRemembers) {
  ToolBench t;
  t.putRom(std::string(300, 'a'));
  ApplyTableText(t.ws, "61=a\r\n");
  t.ws.TableLoaded = true;
  t.ws.ReportFileName = t.dir.file("dump.txt");
  DumperForm form(t.ws);
  Type(Find<QLineEdit>(form, "fldStartAddr"), "1");
  Type(Find<QLineEdit>(form, "fldDumpLen"), "100");
  EXPECT_EQ(Find<QLineEdit>(form, "fldEndAddr")->text(), "101");
  Type(Find<QLineEdit>(form, "fldLineSize"), "50");
  QTest::mouseClick(Find<QPushButton>(form, "Command1"), Qt::LeftButton);
  EXPECT_EQ(ReadBytes(t.dir.path() / "dump.txt"),
            "1 " + std::string(50, 'a') + "\r\n51 " + std::string(50, 'a') + "\r\n101 a\r\n");
  EXPECT_EQ(t.ws.DumperINILine, "1,101,50");
}

TEST(DumperForm, ExitClosesTheWindow) {
  ToolBench t;
  QPointer<DumperForm> form = new DumperForm(t.ws);
  form->show();
  QTest::mouseClick(Find<QPushButton>(*form, "ExitBtn"), Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(form.isNull());  // the next opening reads the settings again
}

TEST(TransponForm, OpensWithItsControlsAndTheRememberedFields) {
  ToolBench t;
  t.ws.TransponINILine = "";
  TransponForm fresh(t.ws);
  EXPECT_EQ(fresh.windowTitle(), Utf("Транспонирование (части) ROM"));
  EXPECT_EQ(Find<QLineEdit>(fresh, "StartBlockAddr")->text(), "&HEA2DF0");
  EXPECT_EQ(Find<QLineEdit>(fresh, "TilesInRowFld")->text(), "31");
  EXPECT_EQ(Find<QLineEdit>(fresh, "TilesInColFld")->text(), "31");
  EXPECT_EQ(LabelOf(fresh, Find<QLineEdit>(fresh, "TilesInColFld")), Utf("Сколько тайлов В КОЛОНКЕ"));
  EXPECT_TRUE(Find<QRadioButton>(fresh, "TileFormatBpp_0")->isChecked());
  EXPECT_EQ(Find<QRadioButton>(fresh, "TileFormatBpp_2")->text(), "2BPP (GBC)");
  EXPECT_EQ(Find<QPushButton>(fresh, "DoTransponButt")->text(), "RUN");

  t.ws.TransponINILine = "&H40;7;7;2BPP (GBC)";
  TransponForm remembered(t.ws);
  EXPECT_EQ(Find<QLineEdit>(remembered, "StartBlockAddr")->text(), "&H40");
  EXPECT_EQ(Find<QLineEdit>(remembered, "TilesInColFld")->text(), "7");
  EXPECT_TRUE(Find<QRadioButton>(remembered, "TileFormatBpp_2")->isChecked());

  t.ws.TransponINILine = "&H40;7";
  TransponForm partial(t.ws);
  EXPECT_EQ(Find<QLineEdit>(partial, "TilesInRowFld")->text(), "7");
  EXPECT_EQ(Find<QLineEdit>(partial, "TilesInColFld")->text(), "31");
  EXPECT_TRUE(Find<QRadioButton>(partial, "TileFormatBpp_0")->isChecked());
}

TEST(TransponForm, TheTwoSizeFieldsFollowEachOther) {
  ToolBench t;
  TransponForm form(t.ws);
  auto* row = Find<QLineEdit>(form, "TilesInRowFld");
  auto* col = Find<QLineEdit>(form, "TilesInColFld");
  Type(row, "15");
  EXPECT_EQ(col->text(), "15");
  Type(col, "9");
  EXPECT_EQ(row->text(), "9");
}

TEST(TransponForm, RunTransposesWithTheChosenFormat) {
  ToolBench t;
  std::string rom;
  for (char c : std::string("ABCD")) rom += std::string(8, c);
  t.putRom(rom);
  TransponForm form(t.ws);
  Type(Find<QLineEdit>(form, "StartBlockAddr"), "0");
  Type(Find<QLineEdit>(form, "TilesInRowFld"), "1");
  QTest::mouseClick(Find<QRadioButton>(form, "TileFormatBpp_1"), Qt::LeftButton);
  QTest::mouseClick(Find<QPushButton>(form, "DoTransponButt"), Qt::LeftButton);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(8, 8), std::string(8, 'C'));
  EXPECT_EQ(t.ws.TransponINILine, "&H0;1;1;1BPP");
}

TEST(ShiftedPutForm, OpensWithItsControls) {
  ToolBench t;
  t.ws.LeaveChangesInPerevodAddr = "YES";
  ShiftedPutForm form(t.ws);
  EXPECT_EQ(form.windowTitle(), Utf("Вставка текста перевода со смещением"));
  EXPECT_EQ(Find<QLineEdit>(form, "fldAddToAddr")->text(), "0");
  EXPECT_EQ(Find<QLineEdit>(form, "fldNewAddr")->text(), "");
  EXPECT_TRUE(Find<QCheckBox>(form, "chkLeaveChangesInPerevodAddr")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(form, "CorrectGBAPointersCheck")->isChecked());
  EXPECT_EQ(Find<QPushButton>(form, "Command1")->text(), Utf("Вернуть текст перевода в ROM"));
  EXPECT_EQ(Find<QPushButton>(form, "Command2")->text(), Utf("Поискать поинтеры GBA"));
  t.ws.LeaveChangesInPerevodAddr = "NO";
  ShiftedPutForm unchecked(t.ws);
  EXPECT_FALSE(Find<QCheckBox>(unchecked, "chkLeaveChangesInPerevodAddr")->isChecked());
}

TEST(ShiftedPutForm, NewAddressFillsTheShift) {
  ToolBench t;
  t.ws.PerevodArray = {"1000 Hello", "1006 World"};
  ShiftedPutForm form(t.ws);
  auto* newAddr = Find<QLineEdit>(form, "fldNewAddr");
  auto* shift = Find<QLineEdit>(form, "fldAddToAddr");
  Type(newAddr, "5000");
  EXPECT_EQ(shift->text(), "4000");
  Type(newAddr, "&H1000");
  EXPECT_EQ(shift->text(), "3096");
  Type(newAddr, "10");
  EXPECT_EQ(shift->text(), "-990");
  Type(newAddr, "99999999999");  // past 32 bits: no internal number shows
  EXPECT_EQ(shift->text(), QString::fromUtf8("вне диапазона"));
  Type(newAddr, "10");
  t.ws.PerevodArray = {"nospace"};
  Type(newAddr, "77");
  EXPECT_EQ(shift->text(), "-990");  // a first line without an address leaves the shift alone
}

TEST(ShiftedPutForm, CheckBoxIsTheSettingAndIsSavedAtExit) {
  ToolBench t;
  t.ws.LeaveChangesInPerevodAddr = "NO";
  ShiftedPutForm form(t.ws);
  auto* check = Find<QCheckBox>(form, "chkLeaveChangesInPerevodAddr");
  QTest::mouseClick(check, Qt::LeftButton);
  EXPECT_EQ(t.ws.LeaveChangesInPerevodAddr, "YES");
  WriteSettings(t.ws);
  EXPECT_NE(ReadBytes(NativePath(t.ws.SettingsFilePath)).find("LeaveChangesInPerevodAddr=YES"), std::string::npos);
  QTest::mouseClick(check, Qt::LeftButton);
  EXPECT_EQ(t.ws.LeaveChangesInPerevodAddr, "NO");
}

TEST(ShiftedPutForm, AlignedPointersItemMirrorsTheAlignmentSetting) {
  ToolBench t;
  t.ws.GbaPointerAlignment = "4";
  ShiftedPutForm form(t.ws);
  auto* check = Find<QCheckBox>(form, "chkAlignedGbaPointers");
  EXPECT_EQ(check->text(), QString::fromUtf8("Только выровненные поинтеры GBA"));
  EXPECT_TRUE(check->isChecked());
  QTest::mouseClick(check, Qt::LeftButton);
  EXPECT_EQ(t.ws.GbaPointerAlignment, "1");
  QTest::mouseClick(check, Qt::LeftButton);
  EXPECT_EQ(t.ws.GbaPointerAlignment, "4");
}

TEST(ShiftedPutForm, ButtonsRunTheShiftedInsertionAndThePointerSearch) {
  ToolBench t;
  ShiftedPutForm form(t.ws);
  Find<QCheckBox>(form, "CorrectGBAPointersCheck")->setChecked(true);
  QTest::mouseClick(Find<QPushButton>(form, "Command1"), Qt::LeftButton);
  // No translation: each step refuses in turn, the pointer correction included.
  EXPECT_EQ(t.host.closedWindows, (std::vector<Window>{Window::EditForm, Window::FindForm}));
  const auto notLoaded = std::count(t.host.log.begin(), t.host.log.end(), W("Файл с переводом еще не загружен"));
  EXPECT_EQ(notLoaded, 3);
  const size_t before = t.host.log.size();
  QTest::mouseClick(Find<QPushButton>(form, "Command2"), Qt::LeftButton);
  EXPECT_GT(t.host.log.size(), before);
}

TEST(ShiftedPutForm, PointerKindAndGameBoyTablesReachTheGameBoyOperations) {
  ToolBench t;
  t.ws.GbPointerTables = "";
  ShiftedPutForm gba(t.ws);
  EXPECT_TRUE(Find<QRadioButton>(gba, "optPointerGBA")->isChecked());
  auto* tables = Find<QLineEdit>(gba, "fldGbPointerTables");
  EXPECT_EQ(LabelOf(gba, tables), Utf("Таблицы поинтеров GB (начало-конец;...)"));
  Type(tables, " 5-x ");
  EXPECT_EQ(t.ws.GbPointerTables, "5-x");
  Find<QRadioButton>(gba, "optPointerGB")->click();
  auto* find = Find<QPushButton>(gba, "Command2");
  EXPECT_EQ(find->text(), Utf("Поискать поинтеры GB"));
  // The texts name the chosen kind; the GBA-only alignment is out of play.
  EXPECT_EQ(Find<QCheckBox>(gba, "CorrectGBAPointersCheck")->text(),
            Utf("Проводить автоматическую коррекцию поинтеров GB (в ROM'е)"));
  EXPECT_FALSE(Find<QCheckBox>(gba, "chkAlignedGbaPointers")->isEnabled());
  t.putRom(std::string(64, '\0'));
  t.ws.PerevodArray = {"1 a", "3 b"};
  t.ws.PerevodLoaded = true;
  QTest::mouseClick(find, Qt::LeftButton);
  const Text refusal = W("Таблица поинтеров GB \"5-x\": нужно НАЧАЛО-КОНЕЦ[:БАНК], числа десятичные или &H");
  EXPECT_EQ(t.host.log.back(), refusal);
  // The insertion with Game Boy pointers is refused as a whole, so nothing moves.
  Find<QCheckBox>(gba, "CorrectGBAPointersCheck")->setChecked(true);
  Type(Find<QLineEdit>(gba, "fldAddToAddr"), "4");
  QTest::mouseClick(Find<QPushButton>(gba, "Command1"), Qt::LeftButton);
  EXPECT_EQ(t.host.log.back(), refusal);
  EXPECT_EQ(t.ws.PerevodArray[1], "3 b");

  ShiftedPutForm gb(t.ws);  // tables named: Game Boy pointers are the likely choice
  EXPECT_TRUE(Find<QRadioButton>(gb, "optPointerGB")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(gb, "chkAlignedGbaPointers")->isEnabled());
  Find<QRadioButton>(gb, "optPointerGBA")->click();
  EXPECT_TRUE(Find<QCheckBox>(gb, "chkAlignedGbaPointers")->isEnabled());
  EXPECT_EQ(Find<QCheckBox>(gb, "CorrectGBAPointersCheck")->text(),
            Utf("Проводить автоматическую коррекцию поинтеров GBA (в ROM'е)"));
  EXPECT_EQ(Find<QLineEdit>(gb, "fldGbPointerTables")->text(), "5-x");
}

}  // namespace
