#include "app/program_registration.h"

#include "core/product.h"
#include "core/text.h"
#include "core/win_path.h"
#include "registry/registry_object.h"

namespace sw::app {

bool WriteProgramPath(platform::Registry& registry, std::string_view exePath) {
  reg::RegistryObject key(registry, platform::RootKey::CurrentUser);
  return key.OpenKey(std::string(kProductRegistryKey) + "\\Program", true) && key.WriteString(kPathValue, exePath);
}

bool RegisterAutoRun(platform::Registry& registry, bool isAdmin, std::string_view programDir) {
  reg::RegistryObject run(registry, isAdmin ? platform::RootKey::LocalMachine : platform::RootKey::CurrentUser);
  if (!run.OpenKey(kRunKey, true) || run.ValueExists(kAutoRunValue)) {
    return false;
  }
  return run.WriteString(kAutoRunValue, AddTrailingBackslash(programDir) + "sweepwise.exe");
}

std::string ApplicationTitle(std::string_view exePath) {
  std::string_view name = exePath.substr(exePath.find_last_of("\\/:") + 1);
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
    name = name.substr(0, dot);
  }
  if (name.empty()) {
    return {};
  }
  // The first letter stays as it is, however many bytes it takes in UTF-8.
  std::size_t first = 1;
  while (first < name.size() && (static_cast<unsigned char>(name[first]) & 0xC0) == 0x80) {
    ++first;
  }
  return std::string(name.substr(0, first)) + ToLowerText(name.substr(first));
}

}  // namespace sw::app
