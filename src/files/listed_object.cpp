#include "files/listed_object.h"

#include "core/win_path.h"

namespace sw::files {
namespace {

// The object as it is now, when it is still one a Find may list: no link, no cloud file,
// reached by the path it was opened by.
std::optional<ObjectFacts> Current(platform::ListedFile& opened, std::string_view path) {
  const auto entry = opened.Describe();
  const auto final = opened.FinalPath();
  if (!entry || entry->IsReparsePoint() || entry->IsCloudPlaceholder() || !final ||
      !PathsEqual(ResolvedDrivePath(*final), ResolvedDrivePath(path))) {
    return std::nullopt;
  }
  return ObjectFacts{entry->IsFolder() ? 0 : entry->size, entry->lastWrite, opened.Identity(), entry->IsFolder()};
}

}  // namespace

std::optional<ObjectFacts> ObserveObject(platform::FileSystem& files, std::string_view path) {
  auto opened = files.OpenListedFile(path, {});
  if (!opened) {
    return std::nullopt;
  }
  return Current(**opened, path);
}

bool IsListedObject(platform::ListedFile& opened, std::string_view path, const ObjectFacts& seen) {
  const auto now = Current(opened, path);
  return now && *now == seen;
}

}  // namespace sw::files
