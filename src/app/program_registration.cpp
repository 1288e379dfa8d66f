#include "app/program_registration.h"

#include "core/product.h"
#include "core/text.h"
#include "core/win_path.h"
#include "platform/error_message.h"
#include "registry/registry_names.h"
#include "registry/registry_object.h"

namespace sw::app {

bool WriteProgramPath(platform::Registry& registry, std::string_view exePath) {
  reg::RegistryObject key(registry, platform::RootKey::CurrentUser);
  return key.OpenKey(std::string(kProductRegistryKey) + "\\Program", true) && key.WriteString(kPathValue, exePath);
}

platform::RootKey AutoRunRoot(const platform::SystemProfile& profile) {
  return profile.elevated && !profile.Modern() ? platform::RootKey::LocalMachine : platform::RootKey::CurrentUser;
}

AutoRunOutcome RegisterAutoRun(platform::Registry& registry, platform::RootKey root, std::string_view programDir) {
  reg::RegistryObject run(registry, root);
  AutoRunOutcome outcome;
  if (run.OpenKey(kRunKey, true)) {
    if (run.ValueExists(kAutoRunValue)) {
      return outcome;
    }
    outcome.written = run.WriteString(kAutoRunValue, AddTrailingBackslash(programDir) + "sweepwise.exe");
  }
  if (!outcome.written) {
    outcome.error = "The autorun value " + std::string(reg::RootKeyName(root)) + std::string(kRunKey) + "\\" +
                    std::string(kAutoRunValue) + " could not be written: " + platform::ErrorMessage(run.LastError());
  }
  return outcome;
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
