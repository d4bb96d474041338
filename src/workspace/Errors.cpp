#include "workspace/Errors.h"

#include <cerrno>

namespace {

// Every errno a file operation of ours can meet has its Russian words; the number
// follows them in the error line anyway.
Text Describe(int err) {
  switch (err) {
    case ENOENT: return W("файл или путь не найден");
    case ENOTDIR: return W("путь не найден");
    case EACCES:
    case EPERM: return W("нет доступа");
    case EROFS: return W("диск только для чтения");
    case ENOSPC: return W("нет места на диске");
    case EDQUOT: return W("превышена квота диска");
    case EFBIG: return W("файл слишком велик");
    case EISDIR: return W("это папка, а не файл");
    case EIO: return W("ошибка ввода-вывода");
    case ENAMETOOLONG: return W("слишком длинное имя");
    case ELOOP: return W("слишком много ссылок по пути (ссылка на саму себя?)");
    case EXDEV: return W("файл на другом диске");
    case EEXIST: return W("файл уже существует");
    case ENOTEMPTY: return W("папка не пуста");
    case EBUSY:
    case ETXTBSY: return W("файл занят");
    case EMFILE:
    case ENFILE: return W("слишком много открытых файлов");
    case EMLINK: return W("слишком много ссылок на файл");
    case ENOMEM: return W("недостаточно памяти");
    case EINVAL: return W("недопустимое имя или действие");
    case EAGAIN: return W("файл временно недоступен");
    case ENXIO:
    case ENODEV: return W("устройство недоступно");
    case EPIPE: return W("канал закрыт");
    case ENOTSUP: return W("файловая система этого не умеет");
    case ESTALE: return W("файл на сетевом диске больше недоступен");
    case EINTR: return W("операция прервана");
    default: return W("системная ошибка");
  }
}

}  // namespace

OperationError FileError(int err, const Text& path) {
  return OperationError(err, Describe(err) + ": " + path, err == ENOENT || err == ENOTDIR);
}
