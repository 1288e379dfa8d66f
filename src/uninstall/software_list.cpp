#include "uninstall/software_list.h"

#include "registry/registry_paths.h"

namespace sw::uninstall {
namespace {

using platform::RegAccess;

// The subkey names of one source's uninstall key; none when it does not open.
std::vector<std::string> EntryNames(platform::Registry& registry, const SoftwareSource& source) {
  auto root = registry.OpenRootView(source.root, source.view);
  if (!root) {
    return {};
  }
  auto key = (*root)->Open(kUninstallKey, RegAccess::Read);
  return key ? reg::EnumerateNames(**key, reg::NameKind::SubKeys) : std::vector<std::string>{};
}

}  // namespace

void ListSoftware(platform::Platform& platform, EngineSink& sink, const ListOptions& options,
                  const std::function<void(const SoftwareEntry& entry, const std::string& hiddenReason)>& found) {
  // Up to XP the list shows every entry with a name, as it always has; from Vista on it
  // leaves out what the system's own list leaves out.
  const bool hideAsTheSystem = platform::Describe(platform).Modern();
  std::vector<std::pair<SoftwareSource, std::vector<std::string>>> sources;
  std::size_t total = 0;
  for (const SoftwareSource& source : SoftwareSources(platform)) {
    sources.emplace_back(source, EntryNames(*platform.registry, source));
    total += sources.back().second.size();
  }
  sink.SetProgress(0);
  sink.SetProgressMax(total);
  for (const auto& [source, names] : sources) {
    for (const auto& name : names) {
      const auto entry = ReadSoftwareEntry(*platform.registry, EntrySource{source, name});
      if (!entry || entry->displayName.empty()) {
        continue;
      }
      const std::string hidden = hideAsTheSystem ? HiddenReason(*entry) : std::string();
      if (!hidden.empty() && !options.includeHidden) {
        continue;
      }
      if (sink.ShouldStop()) {
        return;
      }
      found(*entry, hidden);
    }
  }
}

void FindSoftware(platform::Platform& platform, EngineSink& sink) {
  ListSoftware(platform, sink, ListOptions{}, [&](const SoftwareEntry& entry, const std::string&) {
    sink.AddRow(SoftwareRow(entry, *platform.system));
  });
}

}  // namespace sw::uninstall
