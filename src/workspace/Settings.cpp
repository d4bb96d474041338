#include "workspace/Settings.h"

#include <array>
#include <climits>

#include "workspace/Errors.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"
#include "workspace/TextFile.h"
#include "workspace/TextParts.h"

namespace {

using K = SettingKind;
using WS = Workspace;

const std::array<SettingDef, 52> kDefs = {{
    {"InputRomFileName", K::Path, " 'имя и путь к входному рому", &WS::InputRomFileName},
    {"OutputRomFileName", K::Path, " 'имя и путь к выходному рому", &WS::OutputRomFileName},
    {"IPSFileName", K::Path, " 'имя и путь ко входному IPS", &WS::IPSFileName},
    {"OutputIPSFileName", K::Path, " 'имя и путь к выходному IPS", &WS::OutputIPSFileName},
    {"ReportFileName", K::Path, " 'имя файла отчета (куда вынимаем текст)", &WS::ReportFileName},
    {"PerevodFileName", K::Path, " 'имя файла с переводом", &WS::PerevodFileName},
    {"TableFileName", K::Path, " 'имя и путь к таблице перекодировки (.TBL)", &WS::TableFileName},
    {"HelpFileName", K::Path, " 'имя и путь к файлу справки", &WS::HelpFileName},
    {"NumberOfTextChars", K::Integer, " 'число 'печатных' символов подряд при сканировании ROM'a считать текстом",
     nullptr, &WS::NumberOfTextChars},
    {"FontNameForListBox", K::PlainText, " 'название шрифта для листбокса при редактировании перевода",
     &WS::FontNameForListBox},
    {"FontNameForEditBox", K::PlainText, " 'название шрифта для строки редактирования на окне перевода",
     &WS::FontNameForEditBox},
    {"FontSizeForListBox", K::Integer, " 'размер шрифта для листбокса при редактировании перевода", nullptr,
     &WS::FontSizeForListBox},
    {"FontSizeForEditBox", K::Integer, " 'размер шрифта для строки редактирования на окне перевода", nullptr,
     &WS::FontSizeForEditBox},
    {"ExtendedLogs", K::UntrimmedYesUnlessNo, " 'показывать расширенную информацию в окне логов", &WS::ExtendedLogs},
    {"magicIterator", K::Integer, " 'число кусочков в волшебном IPS файле", nullptr, &WS::magicIterator},
    {"DoSaveLogsInFile", K::TrimmedText, " 'если не пусто, то это имя и путь к лог файлу (дозаписываем)",
     &WS::DoSaveLogsInFile},
    {"VocabularyFile", K::TrimmedText, " 'файл словаря для убирания мусора из вынутого текста", &WS::VocabularyFile},
    {"TRVocabularyFile", K::TrimmedText, " 'файл словаря для перевода текста по словарю (слово-на-слово)",
     &WS::TRVocabularyFile},
    {"IgnoreTRVocWarnings", K::NoUnlessYes, " 'загружать не одинаковые по длинне слова перевода из словаря?",
     &WS::IgnoreTRVocWarnings},
    {"SkipUnknownTRChars", K::YesUnlessNo,
     " 'ПРОПУСКАТЬ ли символы НЕ найденные в таблице перекодировки? (при возвращении текста в ROM)",
     &WS::SkipUnknownTRChars},
    {"TransponINILine", K::TrimmedUpper,
     " 'параметры транспонирования части ROM, формат = "
     "адрес_начала_блока;тайлов_в_строке;тайлов_в_колонке;режим_BPP",
     &WS::TransponINILine},
    {"UseHEXaddr", K::NoUnlessYes, " 'Использовать ли при вынимании текста из ROM адресацию в HEX (вместо десятичной)",
     &WS::UseHEXaddr},
    {"DumperINILine", K::TrimmedUpper, " 'какие параметры использовались при операции дампа части ROM",
     &WS::DumperINILine},
    {"AddrInTblDumpPrv", K::TrimmedText, " 'адрес начала блока дампа в превьюшке в редакторе таблиц",
     &WS::AddrInTblDumpPrv},
    {"LeaveChangesInPerevodAddr", K::YesUnlessNo,
     " 'Оставить изменения адресов для строк перевода (при вставке текста со сдвигом)", &WS::LeaveChangesInPerevodAddr},
    {"OverwriteOldFile", K::YesUnlessNo,
     " 'перезаписывать ли существующие ромы и файлы переводов или придумывать сохраняемым файлам новые "
     "названия?",
     &WS::OverwriteOldFile},
    {"MakeBAKFiles", K::YesUnlessNo, " 'делать ли из существующих(если пишем поверх) файлов .BAK ?", &WS::MakeBAKFiles},
    // Keys added since; a key that is the tail of another (BPSFileName of
    // OutputBPSFileName) comes first, since every key is found by a plain search.
    {"TextFilesEncoding", K::Utf8UnlessOther, " 'в какой кодировке сохранять текстовые файлы: WINDOWS-1251 или UTF-8",
     &WS::TextFilesEncoding},
    {"ExtendedTables", K::NoUnlessYes,
     " 'расширенные таблицы (многобайтные коды, DTE/MTE, коды конца и переноса строки)?", &WS::ExtendedTables},
    {"BPSFileName", K::Path, " 'имя и путь ко входному BPS", &WS::BPSFileName},
    {"OutputBPSFileName", K::Path, " 'имя и путь к выходному BPS", &WS::OutputBPSFileName},
    {"FixHeaderChecksums", K::NoUnlessYes, " 'исправлять ли контрольные суммы заголовка при каждом сохранении ROM'a?",
     &WS::FixHeaderChecksums},
    {"GbaPointerAlignment", K::FourUnlessOther,
     " 'выравнивание поинтеров GBA: 1 - любое смещение, 4 - только кратное 4", &WS::GbaPointerAlignment},
    {"GbPointerTables", K::TrimmedText, " 'таблицы поинтеров GB: начало-конец[:банк] через точку с запятой",
     &WS::GbPointerTables},
    {"TextFilesReadEncoding", K::ReadEncodingUnlessOther,
     " 'как читать текстовые файлы не в UTF-8: AUTO, UTF-8, WINDOWS-1251, SHIFT-JIS или EUC-JP",
     &WS::TextFilesReadEncoding},
    {"LzVramSafe", K::YesUnlessNo, " 'сжимать LZ77 без копирования с расстояния 1 (безопасно для видеопамяти)?",
     &WS::LzVramSafe},
    {"FreeSpaceByte", K::HexByteOrFF, " 'байт свободного места в ROM (две шестнадцатеричные цифры)",
     &WS::FreeSpaceByte},
    {"FreeSpace", K::TrimmedText, " 'свободное место для сжатых блоков: начало-конец через точку с запятой (с 0)",
     &WS::FreeSpace},
    {"AllowRomGrowth", K::NoUnlessYes, " 'увеличивать ли ROM, если сжатому блоку негде поместиться?",
     &WS::AllowRomGrowth},
    {"RecentFiles1", K::Path, " 'недавний файл (вид|имя и путь), самый новый", &WS::RecentFiles1},
    {"RecentFiles2", K::Path, " 'недавний файл", &WS::RecentFiles2},
    {"RecentFiles3", K::Path, " 'недавний файл", &WS::RecentFiles3},
    {"RecentFiles4", K::Path, " 'недавний файл", &WS::RecentFiles4},
    {"RecentFiles5", K::Path, " 'недавний файл", &WS::RecentFiles5},
    {"RecentFiles6", K::Path, " 'недавний файл", &WS::RecentFiles6},
    {"RecentFiles7", K::Path, " 'недавний файл", &WS::RecentFiles7},
    {"RecentFiles8", K::Path, " 'недавний файл, самый старый", &WS::RecentFiles8},
    {"EmulatorCommand", K::PlainText, " 'команда запуска эмулятора, %f - файл с образом ROM", &WS::EmulatorCommand},
    {"MainFormLeft", K::Integer, " 'главное окно при последнем выходе: левый край, пикселей", nullptr,
     &WS::MainFormLeft},
    {"MainFormTop", K::Integer, " 'главное окно: верхний край", nullptr, &WS::MainFormTop},
    {"MainFormWidth", K::Integer, " 'главное окно: ширина (0 - обычный размер)", nullptr, &WS::MainFormWidth},
    {"MainFormHeight", K::Integer, " 'главное окно: высота (0 - обычный размер)", nullptr, &WS::MainFormHeight},
}};

const char* const kHeader[] = {
    "Это файл параметров для программы Tarvello",
    "в случае ручного исправления значений в данном файле",
    "не забудьте, что после символа 'равно' НЕ ДОЛЖНО быть пробелов",
    "само значение параметра НЕ должно содержать пробелов",
    "признаком окончания значения параметра является пробел+апостров",
    "или пробел или конец строки.",
    "",
    "этот файл автоматически перезаписывается/создается при закрытии программы",
    "если, что не так, просто удалите этот INI файл.",
    "",
};

Text HexByteOrFF(const Text& value) {
  const Text upper = utf8::Upper(value);
  const bool hex = !upper.empty() && upper.size() <= 2 &&
                   upper.find_first_not_of("0123456789ABCDEF") == Text::npos;
  if (!hex) return "FF";
  return upper.size() == 1 ? "0" + upper : upper;
}

void Store(Workspace& ws, const SettingDef& def, const Text& raw) {
  switch (def.kind) {
    case K::Path:
    case K::PlainText: ws.*def.text = raw; break;
    case K::TrimmedText: ws.*def.text = TrimSpaces(raw); break;
    case K::TrimmedUpper: ws.*def.text = utf8::Upper(TrimSpaces(raw)); break;
    case K::Integer: ws.*def.number = ReadDecimal(raw); break;
    case K::YesUnlessNo: ws.*def.text = utf8::Upper(TrimSpaces(raw)) == "NO" ? "NO" : "YES"; break;
    case K::UntrimmedYesUnlessNo: ws.*def.text = utf8::Upper(raw) == "NO" ? "NO" : "YES"; break;
    case K::NoUnlessYes: ws.*def.text = utf8::Upper(TrimSpaces(raw)) == "YES" ? "YES" : "NO"; break;
    case K::Utf8UnlessOther: ws.*def.text = utf8::Upper(TrimSpaces(raw)) == "UTF-8" ? "UTF-8" : "WINDOWS-1251"; break;
    case K::ReadEncodingUnlessOther: {
      const Text v = utf8::Upper(TrimSpaces(raw));
      const bool known = v == "UTF-8" || v == "WINDOWS-1251" || v == "SHIFT-JIS" || v == "EUC-JP";
      ws.*def.text = known ? v : "AUTO";
      break;
    }
    case K::FourUnlessOther: ws.*def.text = TrimSpaces(raw) == "4" ? "4" : "1"; break;
    case K::HexByteOrFF: ws.*def.text = HexByteOrFF(TrimSpaces(raw)); break;
  }
}

void ApplyDefaultOf(Workspace& ws, const SettingDef& def) {
  if (def.text == &WS::EmulatorCommand && ws.EmulatorCommand.empty()) ws.EmulatorCommand = kDefaultEmulatorCommand;
  if (def.number == &WS::NumberOfTextChars && ws.NumberOfTextChars < 1) ws.NumberOfTextChars = 2;
  if (def.number == &WS::magicIterator && ws.magicIterator == 0) ws.magicIterator = 100;
}

}  // namespace

std::span<const SettingDef> SettingDefs() {
  return kDefs;
}

int ReadDecimal(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  value = negative ? -value : std::min<long long>(value, INT_MAX);
  return static_cast<int>(value);
}

Text GetSettingValue(const Text& fileText, const Text& keyWithEquals) {
  if (fileText.empty() || keyWithEquals.empty()) return Text();
  const auto keyPos = fileText.find(keyWithEquals);
  if (keyPos == Text::npos) return Text();
  const size_t start = keyPos + keyWithEquals.size();
  size_t end = fileText.find(" '", start);
  if (end == Text::npos) end = fileText.find(' ', start);
  if (end == Text::npos) end = fileText.find("\r\n", start);
  if (end == Text::npos) return Text();
  return fileText.substr(start, end - start);
}

void ApplySettingsText(Workspace& ws, const Text& fileText) {
  for (const auto& def : kDefs) Store(ws, def, GetSettingValue(fileText, Text(def.key) + "="));
}

void ReadSettings(Workspace& ws) {
  DecodedTextFile file;
  try {
    if (FileExists(ws.SettingsFilePath))
      file = DecodeTextFile(ReadWholeFile(ws.SettingsFilePath));
    else
      WriteFileAtomically(ws.SettingsFilePath, Text());
  } catch (...) {
    // An unreadable or uncreatable settings file must not stop the start: the program
    // runs on its defaults and says why.
    LogOperationError(ws);
  }
  ApplySettingsText(ws, file.text);
  HintUtf8Saves(ws, ws.SettingsFilePath, file);
}

bool SetSetting(Workspace& ws, const Text& key, const Text& rawValue) {
  for (const auto& def : kDefs) {
    if (key != def.key) continue;
    Store(ws, def, rawValue);
    ApplyDefaultOf(ws, def);
    return true;
  }
  return false;
}

Text SettingsFileText(const Workspace& ws) {
  Text out;
  for (const char* line : kHeader) out += W(line) + "\r\n";
  for (const auto& def : kDefs) {
    out += def.key;
    out += '=';
    out += def.text ? ws.*def.text : Digits(ws.*def.number);
    out += W(def.comment) + "\r\n";
  }
  return out;
}

void WriteSettings(Workspace& ws) {
  try {
    WriteTextFile(ws, ws.SettingsFilePath, SettingsFileText(ws));
  } catch (...) {
    LogOperationError(ws);
  }
}
