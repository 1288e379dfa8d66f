#include "files/recycle_bin_items.h"

#include <algorithm>
#include <map>
#include <optional>

#include "core/text.h"
#include "core/win_path.h"

namespace sw::files {
namespace {

// Whether a walk may list or enter an entry at all.
bool Usable(const platform::FolderEntry& entry) {
  return !entry.name.starts_with('.') && !entry.IsReparsePoint() && !entry.IsCloudPlaceholder();
}

// "$I" or "$R", upper-cased, when the name is one of an item's two names.
std::string KindOf(std::string_view name) {
  if (name.size() <= 2 || name[0] != '$') {
    return {};
  }
  const char kind = static_cast<char>(name[1] & ~0x20);  // upper case
  return kind == 'I' || kind == 'R' ? std::string{'$', kind} : std::string();
}

// What a "$R" folder holds, below `base` (the Recycle Bin folder): its files, then its
// folders, the deepest first. False when `visit` ended it.
bool AddContents(platform::FileSystem& files, const std::string& base, const std::string& folder,
                 const LocationVisit& visit, std::vector<BinItem::Partner>& partners) {
  std::vector<std::string> pending{folder};
  std::vector<std::string> folders;
  platform::FolderEntry entry;
  while (!pending.empty()) {
    const std::string current = std::move(pending.back());
    pending.pop_back();
    folders.push_back(current);
    auto reader = files.ListFolder(base + current, platform::FolderDetail::Kinds);
    if (!reader) {
      continue;
    }
    while ((*reader)->Next(entry)) {
      if (!visit(entry)) {
        return false;
      }
      if (!Usable(entry)) {
        continue;
      }
      const std::string name = current + "\\" + entry.name;
      if (entry.IsFolder()) {
        pending.push_back(name);
      } else {
        partners.push_back({name, false, true});
      }
    }
  }
  // Deepest first, the "$R" folder itself (the first) left out: it is the row's own.
  std::stable_sort(folders.begin() + 1, folders.end(), [](const std::string& a, const std::string& b) {
    return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
  });
  for (auto it = folders.begin() + 1; it != folders.end(); ++it) {
    partners.push_back({*it, true, true});
  }
  return true;
}

}  // namespace

std::vector<BinItem> ListBinItems(platform::FileSystem& files, std::string_view folder, const LocationVisit& visit,
                                  bool& completed) {
  completed = true;
  const std::string base = AddTrailingBackslash(folder);
  struct Pair {
    std::optional<platform::FolderEntry> info;
    std::optional<platform::FolderEntry> data;
  };
  std::vector<std::string> order;  // the endings, as the listing first shows each
  std::map<std::string, Pair> pairs;
  auto reader = files.ListFolder(base, platform::FolderDetail::Kinds);
  if (!reader) {
    return {};
  }
  platform::FolderEntry entry;
  while ((*reader)->Next(entry)) {
    if (!visit(entry)) {
      completed = false;
      return {};
    }
    const std::string kind = KindOf(entry.name);
    if (kind.empty() || !Usable(entry) || (kind == "$I" && entry.IsFolder())) {
      continue;
    }
    const std::string ending = ToUpperText(std::string_view(entry.name).substr(2));
    auto [found, added] = pairs.try_emplace(ending);
    if (added) {
      order.push_back(ending);
    }
    (kind == "$I" ? found->second.info : found->second.data) = entry;
  }
  std::vector<BinItem> items;
  for (const std::string& ending : order) {
    const Pair& pair = pairs[ending];
    BinItem item;
    item.entry = pair.data ? *pair.data : *pair.info;
    if (pair.data && pair.data->IsFolder() && !AddContents(files, base, pair.data->name, visit, item.partners)) {
      completed = false;
      return items;
    }
    if (pair.data && pair.info) {
      item.partners.push_back({pair.info->name, false, false});
    }
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace sw::files
