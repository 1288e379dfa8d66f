#include "files/listed_object.h"

#include "core/win_path.h"

namespace sw::files {
namespace {

// Whether the system's final name of the object is the path it was opened by. The folders on
// the way must match exactly (a folder swapped for a link shows here). A name that ends in a
// dot or a blank is one the system's own path clean-up would change, and Wine names such a
// file by its short alias; the leaf itself cannot mislead (it is no link, and its identity is
// compared with the Find's), so only its folder is compared then.
bool SamePlace(std::string_view final, std::string_view path) {
  const std::string finalPath = ResolvedDrivePath(final);
  const std::string openedPath = ResolvedDrivePath(path);
  if (PathsEqual(finalPath, openedPath)) {
    return true;
  }
  return HasTrimmableEnd(FileNameOf(openedPath)) && PathsEqual(ParentPathOf(finalPath), ParentPathOf(openedPath));
}

// The object as it is now, when it is still one a Find may list: no link, no cloud file,
// reached by the path it was opened by.
std::optional<ObjectFacts> Current(platform::ListedFile& opened, std::string_view path) {
  const auto entry = opened.Describe();
  const auto final = opened.FinalPath();
  if (!entry || entry->IsReparsePoint() || entry->IsCloudPlaceholder() || !final ||
      !SamePlace(*final, path)) {
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
