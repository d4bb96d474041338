#include <gtest/gtest.h>

#include "support/TestFiles.h"
#include "workspace/Files.h"
#include "workspace/Settings.h"

namespace {

struct SettingsBench : TestBench {
  void read(const std::string& bytes) {
    WriteBytes(dir.path() / "tarvello.ini", bytes);
    ReadSettings(ws);
    ApplyStartupDefaults(ws, FromNativePath(dir.path()));
  }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t p; (p = text.find("\r\n", from)) != std::string::npos; from = p + 2)
    lines.push_back(text.substr(from, p - from));
  EXPECT_EQ(from, text.size()) << "every line ends with CR LF";
  return lines;
}

TEST(ReadSettings, MissingFileGivesTheDefaultsAndIsCreated) {
  TestBench t;
  EXPECT_EQ(t.ws.SettingsFilePath, t.dir.file("tarvello.ini"));
  ReadSettings(t.ws);
  ApplyStartupDefaults(t.ws, FromNativePath(t.dir.path()));
  EXPECT_TRUE(std::filesystem::exists(t.dir.path() / "tarvello.ini"));
  for (auto field : {&Workspace::ExtendedLogs, &Workspace::SkipUnknownTRChars, &Workspace::LeaveChangesInPerevodAddr,
                     &Workspace::OverwriteOldFile, &Workspace::MakeBAKFiles})
    EXPECT_EQ(t.ws.*field, "YES");
  EXPECT_EQ(t.ws.UseHEXaddr, "NO");
  EXPECT_EQ(t.ws.IgnoreTRVocWarnings, "NO");
  EXPECT_EQ(t.ws.NumberOfTextChars, 2);
  EXPECT_EQ(t.ws.magicIterator, 100);
  EXPECT_EQ(t.ws.HelpFileName, t.dir.file("tarvellohelp.rtf"));
  EXPECT_EQ(t.ws.InputRomFileName, "");

  WriteSettings(t.ws);
  const auto lines = Lines(cp1251::ToUtf8(ReadBytes(t.dir.path() / "tarvello.ini")));  // a Windows-1251 file
  ASSERT_EQ(lines.size(), 62u);
  EXPECT_EQ(lines[0], W("Это файл параметров для программы Tarvello"));
  EXPECT_EQ(lines[6], "");
  EXPECT_EQ(lines[9], "");
  EXPECT_EQ(lines[10], W("InputRomFileName= 'имя и путь к входному рому"));
  EXPECT_EQ(lines[18].rfind("NumberOfTextChars=2 '", 0), 0u);
  EXPECT_EQ(lines[36], W("MakeBAKFiles=YES 'делать ли из существующих(если пишем поверх) файлов .BAK ?"));
  // The keys added since keep their defaults' behaviour and follow the first 27.
  EXPECT_EQ(lines[37].rfind("TextFilesEncoding=WINDOWS-1251 '", 0), 0u);
  EXPECT_EQ(lines[38].rfind("ExtendedTables=NO '", 0), 0u);
  EXPECT_EQ(lines[39].rfind("BPSFileName= '", 0), 0u);
  EXPECT_EQ(lines[41].rfind("FixHeaderChecksums=NO '", 0), 0u);
  EXPECT_EQ(lines[42].rfind("GbaPointerAlignment=1 '", 0), 0u);
  EXPECT_EQ(lines[57].rfind("EmulatorCommand=mgba-qt %f '", 0), 0u);
  EXPECT_EQ(lines[60].rfind("MainFormWidth=0 '", 0), 0u);
  EXPECT_EQ(lines[44].rfind("TextFilesReadEncoding=AUTO '", 0), 0u);
  EXPECT_EQ(lines[45].rfind("LzVramSafe=YES '", 0), 0u);
  EXPECT_EQ(lines[46].rfind("FreeSpaceByte=FF '", 0), 0u);
  EXPECT_EQ(lines[48].rfind("AllowRomGrowth=NO '", 0), 0u);
}

TEST(GetSettingValue, CutsAtTheCommentThenASpaceThenTheLineEnd) {
  const Text file = W("InputRomFileName=C:/My Games/rom.gb 'имя и путь к входному рому\r\n");
  EXPECT_EQ(GetSettingValue(file, "InputRomFileName="), "C:/My Games/rom.gb");
  EXPECT_EQ(GetSettingValue("A=b c\r\n", "A="), "b");
  EXPECT_EQ(GetSettingValue("A=bc\r\n", "A="), "bc");
  EXPECT_EQ(GetSettingValue("A=bc", "A="), "");
  EXPECT_EQ(GetSettingValue("", "A="), "");
  EXPECT_EQ(GetSettingValue("B=1 '\r\n", "A="), "");
  // The first occurrence wins, wherever it stands.
  EXPECT_EQ(GetSettingValue("xA=1 '\r\nA=2 '\r\n", "A="), "1");
}

TEST(ReadSettings, HandEditedLinesAreTakenAsCut) {
  SettingsBench t;
  t.read("UseHEXaddr=YES\r\nDumperINILine=x 'c\r\n");
  EXPECT_EQ(t.ws.UseHEXaddr, "NO");  // the value ran to the next comment
  t.read("DumperINILine=x 'c\r\nUseHEXaddr=YES\r\n");
  EXPECT_EQ(t.ws.UseHEXaddr, "YES");
  t.read("MakeBAKFiles=no '\r\nOverwriteOldFile=0 '\r\nExtendedLogs=no '\r\n");
  EXPECT_EQ(t.ws.MakeBAKFiles, "NO");
  EXPECT_EQ(t.ws.OverwriteOldFile, "YES");
  EXPECT_EQ(t.ws.ExtendedLogs, "NO");
  t.read("NumberOfTextChars=0 '\r\nmagicIterator=-5 '\r\nFontSizeForListBox=12pt '\r\n");
  EXPECT_EQ(t.ws.NumberOfTextChars, 2);
  EXPECT_EQ(t.ws.magicIterator, -5);
  EXPECT_EQ(t.ws.FontSizeForListBox, 12);
  t.read("TransponINILine=  &h100;2;2;4bpp  '\r\nDoSaveLogsInFile=  log.txt '\r\nIgnoreTRVocWarnings=yes '\r\n");
  EXPECT_EQ(t.ws.TransponINILine, "&H100;2;2;4BPP");
  EXPECT_EQ(t.ws.DoSaveLogsInFile, "log.txt");
  EXPECT_EQ(t.ws.IgnoreTRVocWarnings, "YES");
}

TEST(WriteSettings, EveryValueReadsBack) {
  SettingsBench t;
  Workspace& ws = t.ws;
  int n = 0;
  for (const auto& def : SettingDefs()) {
    ++n;
    if (def.number)
      ws.*def.number = 1000 + n;
    else if (def.kind == SettingKind::YesUnlessNo || def.kind == SettingKind::UntrimmedYesUnlessNo)
      ws.*def.text = "NO";
    else if (def.kind == SettingKind::NoUnlessYes)
      ws.*def.text = "YES";
    else if (def.kind == SettingKind::Utf8UnlessOther)
      ws.*def.text = "UTF-8";
    else if (def.kind == SettingKind::FourUnlessOther)
      ws.*def.text = "4";
    else if (def.kind == SettingKind::ReadEncodingUnlessOther)
      ws.*def.text = "SHIFT-JIS";
    else if (def.kind == SettingKind::HexByteOrFF)
      ws.*def.text = "0A";
    else if (def.kind == SettingKind::TrimmedUpper)
      ws.*def.text = W("&H100;ПАПКА ") + utf8::Upper(def.key);
    else
      ws.*def.text = W("/папка с пробелом/") + def.key + ".x";
  }
  WriteSettings(ws);
  const Text written = ReadBytes(t.dir.path() / "tarvello.ini");

  ScriptedHost host2;
  Workspace fresh(host2);
  InitWorkspace(fresh, FromNativePath(t.dir.path()));
  ReadSettings(fresh);
  for (const auto& def : SettingDefs()) {
    if (def.number)
      EXPECT_EQ(fresh.*def.number, ws.*def.number) << def.key;
    else
      EXPECT_EQ(fresh.*def.text, ws.*def.text) << def.key;
  }
  WriteSettings(fresh);
  EXPECT_EQ(ReadBytes(t.dir.path() / "tarvello.ini"), written);
}

TEST(SetSetting, NormalisesLikeTheFile) {
  TestBench t;
  EXPECT_TRUE(SetSetting(t.ws, "UseHEXaddr", "yes"));
  EXPECT_EQ(t.ws.UseHEXaddr, "YES");
  EXPECT_TRUE(SetSetting(t.ws, "NumberOfTextChars", "0"));
  EXPECT_EQ(t.ws.NumberOfTextChars, 2);
  EXPECT_TRUE(SetSetting(t.ws, "magicIterator", "0"));
  EXPECT_EQ(t.ws.magicIterator, 100);
  EXPECT_FALSE(SetSetting(t.ws, "NoSuchKey", "1"));
  const struct {
    const char* key;
    Text Workspace::*field;
    const char* raw;
    const char* stored;
  } kinds[] = {
      {"TextFilesEncoding", &Workspace::TextFilesEncoding, " utf-8 ", "UTF-8"},
      {"TextFilesEncoding", &Workspace::TextFilesEncoding, "utf8", "WINDOWS-1251"},
      {"GbaPointerAlignment", &Workspace::GbaPointerAlignment, " 4", "4"},
      {"GbaPointerAlignment", &Workspace::GbaPointerAlignment, "8", "1"},
      {"ExtendedTables", &Workspace::ExtendedTables, "Yes ", "YES"},
  };
  for (const auto& k : kinds) {
    EXPECT_TRUE(SetSetting(t.ws, k.key, k.raw));
    EXPECT_EQ(t.ws.*k.field, k.stored) << k.key << "=" << k.raw;
  }
}

TEST(ReadDecimal, StopsAtTheFirstNonDigitAndClamps) {
  EXPECT_EQ(ReadDecimal("42abc"), 42);
  EXPECT_EQ(ReadDecimal(""), 0);
  EXPECT_EQ(ReadDecimal("-7"), -7);
  EXPECT_EQ(ReadDecimal("x1"), 0);
  EXPECT_EQ(ReadDecimal("99999999999999999999"), 2147483647);
  EXPECT_EQ(ReadDecimal("-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
