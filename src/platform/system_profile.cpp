#include "platform/system_profile.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace sw::platform {
namespace {

constexpr std::string_view kCurrentVersionKey = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion)";

// A string value of the CurrentVersion key as ASCII text ("22631", "Professional"): one
// UTF-16 code unit each, up to the terminating zero or the first character beyond ASCII.
// Empty when it cannot be read.
std::string CurrentVersionText(Registry& registry, std::string_view name) {
  auto root = registry.OpenRoot(RootKey::LocalMachine);
  if (!root) {
    return {};
  }
  auto key = (*root)->Open(kCurrentVersionKey, RegAccess::Read);
  if (!key) {
    return {};
  }
  const auto value = (*key)->Query(name);
  if (!value || (value->type != kRegSz && value->type != kRegExpandSz)) {
    return {};
  }
  std::string text;
  for (std::size_t i = 0;
       i + 1 < value->data.size() && value->data[i + 1] == 0 && value->data[i] != 0 && value->data[i] < 0x80; i += 2) {
    text.push_back(static_cast<char>(value->data[i]));
  }
  return text;
}

// CurrentBuildNumber (REG_SZ, "22631"); 0 when it cannot be read.
std::uint32_t RegistryBuild(Registry& registry) {
  const std::string digits = CurrentVersionText(registry, "CurrentBuildNumber");
  std::uint32_t build = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), build);
  return error == std::errc() && end == digits.data() + digits.size() ? build : 0;
}

}  // namespace

WindowsGeneration GenerationOf(const VersionRecord& version) {
  if (version.platformId != kPlatformNt) {
    return WindowsGeneration::Windows9x;
  }
  return version.major >= 6 ? WindowsGeneration::Modern : WindowsGeneration::WindowsNt;
}

SystemProfile DescribeSystem(System& system, Registry& registry) {
  const VersionRecord version = system.Version();
  SystemProfile profile;
  profile.generation = GenerationOf(version);
  profile.build = version.build;
  if (profile.Modern()) {
    profile.build = std::max(profile.build, RegistryBuild(registry));
  }
  if (profile.Modern()) {
    profile.edition = CurrentVersionText(registry, "EditionID");
    profile.server = profile.edition.starts_with("Server");
  }
  profile.elevated = system.IsAdmin();
  return profile;
}

}  // namespace sw::platform
