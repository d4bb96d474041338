#include "tools/Emulator.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <utility>

#include "textio/Refusals.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/OpenedFiles.h"
#include "workspace/Rom.h"

extern char** environ;

namespace {

constexpr char kFileMark[] = "%f";

bool IsExecutable(const Text& path) {
  return RegularFileExists(path) && access(NativePath(path).c_str(), X_OK) == 0;
}

// A folder of its own for each run, under the system's temporary folder: nothing the
// user keeps is beside the image, and the emulator's save files land there too.
Text MakeRunFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarvello-XXXXXX";
  if (!mkdtemp(path.data())) throw std::system_error(errno, std::generic_category());
  return FromNativePath(path);
}

// Starts the program and returns at once. A thread of its own waits for the program's
// end, so that it leaves no zombie, and then removes the folder with the image.
void Launch(const Text& program, const std::vector<Text>& args, const Text& folder) {
  std::vector<std::string> words;
  for (const Text& arg : args) words.push_back(NativePath(arg).string());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (const int error = posix_spawn(&pid, NativePath(program).c_str(), nullptr, nullptr, argv.data(), environ))
    throw std::system_error(error, std::generic_category());
  std::thread([pid, dir = NativePath(folder)] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }).detach();
}

Text Joined(const std::vector<Text>& words) {
  Text out;
  for (const Text& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

}  // namespace

std::vector<Text> EmulatorArguments(const Text& command, const Text& file) {
  std::vector<Text> words;
  Text word;
  bool inWord = false, quoted = false;
  for (char c : command) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (c == ' ' && !quoted) {
      if (inWord) words.push_back(std::exchange(word, Text()));
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  bool marked = false;
  for (Text& w : words) {
    for (size_t at = w.find(kFileMark); at != Text::npos; at = w.find(kFileMark, at + file.size())) {
      w.replace(at, 2, file);
      marked = true;
    }
  }
  if (!marked && !words.empty()) words.push_back(file);
  return words;
}

std::optional<Text> FindProgram(const Text& name) {
  if (name.empty()) return std::nullopt;
  if (name.find('/') != Text::npos) return IsExecutable(name) ? std::optional<Text>(name) : std::nullopt;
  const char* path = std::getenv("PATH");
  Text folders = FromNativePath(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
  folders += ":/usr/games";
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(':', start);
    if (end == Text::npos) end = folders.size();
    const Text folder = folders.substr(start, end - start);
    if (const Text candidate = JoinPath(folder.empty() ? "." : folder, name); IsExecutable(candidate)) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

Text EmulatorImageName(const Workspace& ws) {
  const Text& loaded = ws.InputRomFileName;
  if (FileKindOfName(loaded) == FileKind::Rom) return loaded.substr(loaded.find_last_of(kPathSeparator) + 1);
  // Every Game Boy Advance header holds 96h at B2h.
  const std::string_view image = RomWorkImage(ws);
  return image.size() > 0xB2 && static_cast<unsigned char>(image[0xB2]) == 0x96 ? "rom.gba" : "rom.gb";
}

void RunInEmulator(Workspace& ws) {
  if (RefuseWithoutRom(ws)) return;
  const Text& command = ws.EmulatorCommand;
  const std::vector<Text> words = EmulatorArguments(command, Text());
  const Text name = words.empty() ? Text() : words.front();
  const auto program = FindProgram(name);
  if (!program) {
    ShowRefusal(ws, W("Эмулятор не найден: нет программы \"") + name +
                        W("\". Команду запуска задает настройка EmulatorCommand в tarvello.ini (сейчас \"") + command +
                        "\")");
    return;
  }
  Text folder;
  try {
    folder = MakeRunFolder();
    const Text image = JoinPath(folder, EmulatorImageName(ws));
    WriteFileAtomically(image, RomWorkImage(ws));
    const std::vector<Text> args = EmulatorArguments(command, image);
    Launch(*program, args, folder);
    AppendLog(ws, W("Запустили эмулятор: ") + Joined(args));
  } catch (...) {
    LogOperationError(ws);
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(NativePath(folder), ignored);
  }
}
