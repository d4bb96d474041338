#pragma once
// tarvello.ini: file names and options kept between runs, one "key=value 'comment"
// line per setting, each key found by a plain search of the whole file.
#include <span>

#include "workspace/Workspace.h"

enum class SettingKind {
  Path,
  PlainText,
  TrimmedText,
  TrimmedUpper,
  Integer,
  YesUnlessNo,
  UntrimmedYesUnlessNo,  // " NO" stays "YES"
  NoUnlessYes,
  Utf8UnlessOther,  // "UTF-8" after trimming and upper-casing, else "WINDOWS-1251"
  FourUnlessOther,  // "4" after trimming, else "1"
  ReadEncodingUnlessOther,  // one of the read encodings after trimming and upper-casing, else "AUTO"
  HexByteOrFF,              // one or two hexadecimal digits, written as two upper-case ones; else "FF"
};

struct SettingDef {
  const char* key;  // without the "="
  SettingKind kind;
  const char* comment;  // UTF-8, written after the value
  Text Workspace::*text = nullptr;
  int Workspace::*number = nullptr;
};

// The settings in the order the file lists them.
std::span<const SettingDef> SettingDefs();

void ReadSettings(Workspace& ws);
void WriteSettings(Workspace& ws);
Text GetSettingValue(const Text& fileText, const Text& keyWithEquals);

// Reads every setting from a settings file's text, normalised as at start-up.
void ApplySettingsText(Workspace& ws, const Text& fileText);
// Stores one raw value under its key with the normalisation of the settings file;
// false when no setting has that key.
bool SetSetting(Workspace& ws, const Text& key, const Text& rawValue);
// The whole settings file as WriteSettings writes it.
Text SettingsFileText(const Workspace& ws);

// A decimal integer as the settings file reads it: an optional sign, digits up to the
// first other character, none giving 0; clamped to the int range.
int ReadDecimal(std::string_view text);
