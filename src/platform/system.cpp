#include "platform/system.h"

#include "core/unicode.h"

namespace sw::platform {

std::string System::ToFileText(std::string_view utf8) {
  auto ansi = ToAnsi(utf8);
  return ansi ? std::move(*ansi) : std::string(utf8);
}

std::string System::FromFileText(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : FromAnsi(bytes);
}

}  // namespace sw::platform
