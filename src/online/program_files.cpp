#include "online/program_files.h"

#include "core/text.h"

namespace sw::online {

std::optional<std::vector<std::string>> ReadTextLines(platform::Platform& platform, std::string_view path) {
  const auto bytes = platform.files->ReadWhole(path);
  if (!bytes) {
    return std::nullopt;
  }
  const std::string_view raw(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  return SplitLines(platform.system->FromFileText(raw));
}

std::optional<std::string> ReadTextLine(platform::Platform& platform, std::string_view path, std::size_t index) {
  const auto lines = ReadTextLines(platform, path);
  if (!lines || index >= lines->size()) {
    return std::nullopt;
  }
  return (*lines)[index];
}

}  // namespace sw::online
