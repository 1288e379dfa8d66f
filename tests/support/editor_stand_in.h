#pragma once
// The registry editor's import where there is none: "REGEDIT.EXE /s "FILE"" started through
// the recording processes applies FILE to the in-memory registry line by line, as the editor
// would (a file without its header imports nothing). The Wine tests import with the real
// editor; this lets native tests see a restore come back, or not.

#include <string>
#include <string_view>

#include "platform/host/host_system.h"
#include "platform/platform.h"
#include "registry/reg_file.h"

namespace sw::test {

inline void ImportAsTheEditorWould(platform::Platform& platform, std::string_view file) {
  auto loaded = reg::LoadRegFile(*platform.files, *platform.system, file);
  if (!loaded || !*loaded) {
    return;
  }
  const reg::RegFileEntries read = reg::ReadRegFileEntries(**loaded, *platform.system);
  if (!read.header) {
    return;
  }
  for (const auto& entry : read.entries) {
    auto root = platform.registry->OpenRoot(entry.root);
    auto key = root ? (*root)->Create(entry.keyPath) : Result<std::unique_ptr<platform::RegKey>>(root.error());
    if (!key || !entry.valueName) {
      continue;
    }
    if (entry.value) {
      (void)(*key)->Set(*entry.valueName, entry.value->type, entry.value->data);
    } else {
      (void)(*key)->DeleteValue(*entry.valueName);
    }
  }
}

// Makes every start of "REGEDIT.EXE /s "FILE"" import FILE; other programs start and do nothing.
inline void UseEditorStandIn(platform::Platform& platform, platform::host::RecordingProcesses& processes) {
  processes.OnStart([&platform](const platform::host::RecordingProcesses::Start& start) {
    constexpr std::string_view kImport = "REGEDIT.EXE /s \"";
    const std::string& line = start.commandLine;
    if (line.starts_with(kImport) && line.ends_with('"')) {
      ImportAsTheEditorWould(platform, std::string_view(line).substr(kImport.size(), line.size() - kImport.size() - 1));
    }
    return true;
  });
}

}  // namespace sw::test
