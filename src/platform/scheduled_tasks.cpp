#include "platform/scheduled_tasks.h"

namespace sw::platform {

std::string_view TaskFolderOf(std::string_view path) {
  const std::size_t last = path.find_last_of('\\');
  if (last == std::string_view::npos || last == 0) {
    return "\\";
  }
  return path.substr(0, last);
}

std::string_view TaskNameOf(std::string_view path) {
  const std::size_t last = path.find_last_of('\\');
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

}  // namespace sw::platform
