#include "uninstall/software_sources.h"

#include <algorithm>

#include "core/text.h"
#include "registry/registry_names.h"

namespace sw::uninstall {
namespace {

using platform::RegView;
using platform::RootKey;

struct SourceName {
  std::string_view name;
  SoftwareSource source;
};

// The short names of the sources, longest first so that "HKLM64" is not taken for "HKLM".
constexpr std::array<SourceName, 6> kSourceNames{{
    {"HKLM64", {RootKey::LocalMachine, RegView::Bits64}},
    {"HKLM32", {RootKey::LocalMachine, RegView::Bits32}},
    {"HKCU64", {RootKey::CurrentUser, RegView::Bits64}},
    {"HKCU32", {RootKey::CurrentUser, RegView::Bits32}},
    {"HKLM", {RootKey::LocalMachine, RegView::Own}},
    {"HKCU", {RootKey::CurrentUser, RegView::Own}},
}};

}  // namespace

platform::RootKey UninstallRoot(platform::System& system) {
  return system.IsAdmin() ? RootKey::LocalMachine : RootKey::CurrentUser;
}

std::vector<SoftwareSource> SoftwareSources(platform::Platform& platform) {
  if (!platform::Describe(platform).Modern()) {
    return {SoftwareSource{UninstallRoot(*platform.system), RegView::Own}};
  }
  return DistinctSources(*platform.registry, {kModernSources.begin(), kModernSources.end()});
}

std::vector<SoftwareSource> DistinctSources(platform::Registry& registry, const std::vector<SoftwareSource>& sources) {
  std::vector<SoftwareSource> distinct;
  std::vector<std::pair<RootKey, std::string>> seen;
  for (const SoftwareSource& source : sources) {
    auto path = registry.OwnViewPath(source.root, source.view, kUninstallKey);
    if (path) {
      const bool again = std::any_of(seen.begin(), seen.end(), [&](const auto& known) {
        return known.first == source.root && EqualsNoCase(known.second, *path);
      });
      if (again) {
        continue;
      }
      seen.emplace_back(source.root, std::move(*path));
    }
    // A key that is not there lists nothing, but a later view may still be another key.
    distinct.push_back(source);
  }
  return distinct;
}

std::string EntryKeyPath(const EntrySource& entry) {
  return std::string(kUninstallKey) + "\\" + entry.subkey;
}

std::string SourceId(const EntrySource& entry) {
  for (const SourceName& name : kSourceNames) {
    if (name.source == entry.source) {
      return std::string(name.name) + "\\" + entry.subkey;
    }
  }
  return std::string(reg::RootKeyName(entry.source.root)) + "\\" + entry.subkey;
}

std::optional<EntrySource> ParseSourceId(std::string_view id) {
  const auto separator = id.find('\\');
  if (separator == std::string_view::npos || separator + 1 == id.size() ||
      id.find('\\', separator + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view prefix = id.substr(0, separator);
  for (const SourceName& name : kSourceNames) {
    if (EqualsNoCase(prefix, name.name)) {
      return EntrySource{name.source, std::string(id.substr(separator + 1))};
    }
  }
  return std::nullopt;
}

std::string_view ViewName(platform::RegView view) {
  switch (view) {
    case RegView::Bits64: return "64-bit";
    case RegView::Bits32: return "32-bit";
    case RegView::Own: return "";
  }
  return "";
}

}  // namespace sw::uninstall
