#pragma once
// The one working state of the program: images, table, translation, dictionaries,
// settings, file names and flags. Every operation is a free function on it.
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "workspace/Cp1251.h"
#include "workspace/EditorState.h"
#include "workspace/Host.h"
#include "workspace/ImageMemory.h"

// The word-for-word dictionary: slots of search text and replacement, of which the
// first `count` are the accepted pairs.
struct TRVocabularyData {
  std::vector<Text> words;
  std::vector<Text> replacements;
  int count = 0;
  bool loaded = false;  // a load accepted at least one pair
};

// The clean-up dictionary: the file's whole content, asked only whether a short text
// occurs anywhere in it.
struct VocabularyData {
  Text text;
  bool loaded = false;  // the content read was not empty
};

// One translation line as a shifted insertion found it, index for index with PerevodArray.
struct GbaPointerEntry {
  Text pointer;      // the 4 bytes pointing at the old address; empty when no pointer can
  Text addressText;  // the characters before the first space
  std::int64_t address = 0;
  Text text;                  // the characters after the first space
  bool hasSeparator = false;  // a line without a space keeps its place and nothing else
};

// What a Game Boy pointer search recorded before the strings moved: each line's address
// then, and the table entries that reached its string. Lines sharing an address share
// the entries of the first of them.
struct GbPointerLine {
  std::int64_t oldAddress = -1;  // -1: a line without a space
  size_t owner = 0;              // the first line with the same old address
  size_t entries = 0;            // entries reaching the string (counted at the owner)
};
struct GbPointerEntry {
  std::int64_t offset = 0;  // of the entry's low byte
  std::uint16_t value = 0;  // the entry as found
  size_t line = 0;          // the owner line it reached
};
struct GbPointerRecord {
  std::vector<GbPointerLine> lines;  // index for index with PerevodArray
  std::vector<GbPointerEntry> entries;
};

struct Workspace;

// The working copy of the ROM (RomWorkImage) that modifying operations write and a ROM save
// writes, reached only through workspace/Rom.h. Between a commit (or a load) and the next
// write it is RomImage itself and holds only a spare buffer, so a load copies nothing and
// an operation that only reads never pays for a copy.
class RomWorkCopy {
 public:
  RomWorkCopy() = default;
  RomWorkCopy(RomWorkCopy&& other) noexcept { *this = std::move(other); }
  RomWorkCopy& operator=(RomWorkCopy&& other) noexcept {
    bytes_.swap(other.bytes_);
    own_ = std::exchange(other.own_, false);
    return *this;
  }
  RomWorkCopy(const RomWorkCopy&) = default;
  RomWorkCopy& operator=(const RomWorkCopy&) = default;

 private:
  friend std::string_view RomWorkImage(const Workspace& ws);
  friend RomBytes& StartRomWork(Workspace& ws);
  friend RomBytes& ContinueRomWork(Workspace& ws);
  friend RomBytes& RomWorkBuffer(Workspace& ws);
  friend void DiscardRomWork(Workspace& ws);
  friend void AdoptRomWorkImage(Workspace& ws);
  friend void LoadRom(Workspace& ws);

  RomBytes bytes_;
  bool own_ = false;  // false: the copy is RomImage; bytes_ is a spare buffer
};

// An entry of an extended table that the 256 one-character cells cannot hold: a code of
// several bytes, a text of several characters, an end or a line-break code.
enum class EntryKind : std::uint8_t { Normal, End, Break };
struct TableEntry {
  Text code;  // 1 to 8 bytes, in ROM order
  Text text;  // empty for an end or line-break code without text
  EntryKind kind = EntryKind::Normal;
  bool operator==(const TableEntry&) const = default;
};

struct Workspace {
  explicit Workspace(Host& h) : host(&h) {}

  Host* host;

  // ROM
  RomBytes RomImage;    // as loaded and as last committed; readers use this one
  RomWorkCopy RomWork;  // modifying operations write here, then commit it whole
  // The file's bytes as loaded (read them through RomOriginalImage()). Copy on write: until
  // a commit first changes RomImage, the original is RomImage itself and this holds only
  // a spare buffer, so a load copies nothing for it.
  RomBytes RomOriginalBytes;
  bool RomOriginalShared = true;
  Text InputRomFileName;
  Text OutputRomFileName;
  bool RomLoaded = false;
  bool RomChanged = false;

  // IPS patch
  Text IpsImage;
  Text IPSFileName;
  Text OutputIPSFileName;
  bool IpsLoaded = false;
  bool IpsChanged = false;

  // BPS patch
  Text BPSFileName;
  Text OutputBPSFileName;

  // Character table: empty until the first load, then 256 one-character entries.
  std::vector<Text> CharTable;
  std::u32string CharTableLookup;  // the grid: one code point per byte code, 0 for none
  Text TableComments;
  Text TableFileName;
  // Set by a load in the extended mode; then every coding goes through EntryCodec.
  bool TableExtended = false;
  std::vector<TableEntry> TableEntries;  // the entries beyond the cells, in code order
  bool TableLoaded = false;
  bool TableChanged = false;

  // Translation: one empty element means there is none.
  std::vector<Text> PerevodArray{Text()};
  Text PerevodFileName;
  Text ReportFileName;
  bool PerevodLoaded = false;
  bool PerevodChanged = false;
  // What a shifted insertion recorded of each translation line before moving it.
  std::vector<GbaPointerEntry> GbaPointerTable;
  GbPointerRecord GbPointerMap;  // what BuildGbPointerTable found

  // Dictionaries
  TRVocabularyData TRVocabulary;
  Text TRVocabularyFile;
  bool TRVocabularyChanged = false;
  VocabularyData Vocabulary;
  Text VocabularyFile;

  // Settings not listed above, under their key names.
  Text HelpFileName;
  int NumberOfTextChars = 0;
  Text FontNameForListBox;
  Text FontNameForEditBox;
  int FontSizeForListBox = 0;
  int FontSizeForEditBox = 0;
  Text ExtendedLogs;
  int magicIterator = 0;
  Text DoSaveLogsInFile;
  Text IgnoreTRVocWarnings;
  Text SkipUnknownTRChars;
  Text TransponINILine;
  Text UseHEXaddr;
  Text DumperINILine;
  Text AddrInTblDumpPrv;
  Text LeaveChangesInPerevodAddr;
  Text OverwriteOldFile;
  Text MakeBAKFiles;
  // Settings beyond the first 27, each with a default that keeps the behaviour above.
  Text TextFilesEncoding;    // "WINDOWS-1251" or "UTF-8": the encoding of every text file written
  Text TextFilesReadEncoding;  // "AUTO", "UTF-8", "WINDOWS-1251", "SHIFT-JIS" or "EUC-JP": what files not in UTF-8 are
  Text ExtendedTables;       // "YES": tables with multi-byte codes and multi-character entries
  Text FixHeaderChecksums;   // "YES": every SaveRom fixes the header checksums first
  Text GbaPointerAlignment;  // "1" or "4": the file-offset alignment of GBA pointers searched
  Text GbPointerTables;      // "START-END[:BANK];...": the Game Boy pointer tables named
  Text LzVramSafe;           // "YES": packed LZ77 never copies from distance 1
  Text FreeSpaceByte;        // two hexadecimal digits: the byte that marks free ROM space
  Text FreeSpace;            // "START-END;...": where grown compressed blocks may go
  Text AllowRomGrowth;       // "YES": a block that finds no room grows the ROM
  // The last files loaded by name, newest first, each "KIND|path" (workspace/OpenedFiles.h).
  Text RecentFiles1, RecentFiles2, RecentFiles3, RecentFiles4, RecentFiles5, RecentFiles6, RecentFiles7, RecentFiles8;
  Text EmulatorCommand;  // "Запустить в эмуляторе": the program and its words, %f the image
  // The main window's place and size in pixels at the last exit; a width or height of 0
  // leaves the window at its design size.
  int MainFormLeft = 0;
  int MainFormTop = 0;
  int MainFormWidth = 0;
  int MainFormHeight = 0;

  // Program texts
  Text VersionText;
  Text AboutText;
  Text SettingsFilePath;

  // Table generator
  Text GenCodeMap;
  Text GenTableFileName;

  // The log pane's whole text.
  Text LogText;
  // Raised by MarkNotDone (workspace/Log.h) each time an operation stops without doing its
  // work; callers compare it before and after an operation.
  unsigned NotDoneCount = 0;
  // Files read as UTF-8 whose hint about Windows-1251 saves was logged already.
  std::vector<Text> Utf8HintedFiles;

  // The translation editor's state, which outlives its window.
  EditorState Editor;
};

// Debian's mGBA, which the README's run command installs.
inline constexpr char kDefaultEmulatorCommand[] = "mgba-qt %f";

// The program's start: one empty translation line, the settings path in `cwd`, the
// version and credits texts and every setting at its default. Reading the settings
// file is the caller's next step.
void InitWorkspace(Workspace& ws, const Text& cwd);
// The defaults that start-up applies after the settings have been read.
void ApplyStartupDefaults(Workspace& ws, const Text& cwd);
