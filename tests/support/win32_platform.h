#pragma once
// The real Win32 services for the Wine tests, with the system facts a test chooses: its own
// program folder, and (for the deletion tests) a user without administrator rights, so that
// the batch's RunOnce value goes to the test user's own hive.

#include <memory>
#include <string>

#include "core/text.h"
#include "platform/platform.h"
#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "registry/registry_paths.h"
#include "support/overridden_system.h"

namespace sw::test {

inline platform::Platform Win32TestPlatform(const std::string& programFolder, bool admin) {
  platform::Platform platform;
  platform.registry = std::make_unique<platform::win32::Win32Registry>();
  platform.files = std::make_unique<platform::win32::Win32FileSystem>();
  auto system = std::make_unique<OverriddenSystem>(programFolder);
  system->admin = admin;
  platform.system = std::move(system);
  platform.processes = std::make_unique<platform::win32::Win32Processes>();
  platform.shell = std::make_unique<platform::win32::Win32Shell>();
  platform.folders = platform::PortableFolders(programFolder);
  return platform;
}

// A deletion's RunOnce entry would run the test's batch at the prefix's next start: it goes
// when it names the batch of `programFolder` (its path quoted).
inline void RemoveTestRunOnce(platform::Registry& registry, const std::string& programFolder) {
  constexpr const char* kRunOnce = R"(Software\Microsoft\Windows\CurrentVersion\RunOnce\Sweepwise)";
  const auto batch = reg::RegReadString(registry, platform::RootKey::CurrentUser, kRunOnce);
  if (batch && EqualsNoCase(*batch, "\"" + programFolder + "\\clean.bat\"")) {
    (void)reg::RegDeleteValueAt(registry, platform::RootKey::CurrentUser, kRunOnce);
  }
}

}  // namespace sw::test
