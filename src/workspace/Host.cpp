#include "workspace/Host.h"

std::tm Host::localTime() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

Answer NullHost::message(const Text&, Buttons buttons, Icon) { return DefaultAnswer(buttons); }

Answer DefaultAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel: return Answer::Cancel;
    case Buttons::YesNo: return Answer::No;
    case Buttons::YesNoCancel: return Answer::No;
  }
  return Answer::Cancel;
}
