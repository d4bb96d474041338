#include "workspace/Errors.h"

#include <cerrno>
#include <cstring>

namespace {

Text Describe(int err) {
  switch (err) {
    case ENOENT: return W("файл или путь не найден");
    case ENOTDIR: return W("путь не найден");
    case EACCES:
    case EPERM: return W("нет доступа");
    case EROFS: return W("диск только для чтения");
    case ENOSPC: return W("нет места на диске");
    case EDQUOT: return W("превышена квота диска");
    case EISDIR: return W("это папка, а не файл");
    case EIO: return W("ошибка ввода-вывода");
    case ENAMETOOLONG: return W("слишком длинное имя");
    case EEXIST: return W("файл уже существует");
    case EBUSY: return W("файл занят");
    case EMFILE:
    case ENFILE: return W("слишком много открытых файлов");
    default: return W(std::strerror(err));
  }
}

}  // namespace

OperationError FileError(int err, const Text& path) {
  return OperationError(err, Describe(err) + ": " + path, err == ENOENT || err == ENOTDIR);
}
