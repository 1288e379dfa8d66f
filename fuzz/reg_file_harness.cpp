#include "reg_file_harness.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/host/host_file_system.h"
#include "platform/host/host_shell.h"
#include "platform/host/host_system.h"
#include "platform/host/memory_registry.h"
#include "registry/reg_export.h"
#include "registry/reg_file.h"
#include "registry/reg_import.h"
#include "registry/registry_paths.h"

namespace sw::fuzz {
namespace {

namespace fs = std::filesystem;
using platform::RootKey;

// Every text survives the Unicode form unchanged: it is the form the program falls back to.
void CheckUnicodeRoundTrip(reg::RegFileText file, platform::System& system) {
  reg::ConvertToUnicode(file, system);
  const reg::RegFileText again = reg::ParseRegFile(reg::RegFileBytes(file, system), system);
  if (again.lines != file.lines || again.encoding != reg::RegFileEncoding::Unicode) {
    std::fprintf(stderr, "the Unicode form does not read back as written\n");
    std::abort();
  }
}

}  // namespace

void RunRegFileCase(std::span<const std::uint8_t> bytes, const fs::path& root) {
  platform::host::HostSystem system;
  const reg::RegFileText file = reg::ParseRegFile(AsText(bytes), system);
  CheckUnicodeRoundTrip(file, system);

  // The export writer adds to whatever an earlier run (or an editor) left in default.reg.
  const fs::path driveC = root / "c";
  fs::create_directories(driveC);
  std::ofstream(driveC / "default.reg", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  platform::Platform platform;
  platform.registry = std::make_unique<platform::host::MemoryRegistry>();
  platform.files = std::make_unique<platform::host::HostFileSystem>(
      std::vector<platform::host::DriveMapping>{{'C', driveC}, {'T', root}}, "T:\\");
  platform.system = std::make_unique<platform::host::HostSystem>();
  platform.shell = std::make_unique<platform::host::HostShell>();
  (void)reg::RegWriteString(*platform.registry, RootKey::CurrentUser, "Software\\A\\Start Page", "caf\xC3\xA9");
  (void)reg::RegWriteString(*platform.registry, RootKey::CurrentUser, "Software\\A\\Zhe", "\xD0\x96");
  // The import of whatever a file says, as Restore and Undo import it.
  (void)reg::ImportRegEntries(*platform.registry, reg::ReadRegFileEntries(file, system), reg::ImportMode::AsTheEditor);
  (void)reg::ExportRegistryKey(platform, RootKey::CurrentUser, "Software\\A", "C:\\default.reg");
  (void)reg::ExportValueDeletion(platform, RootKey::CurrentUser, "Software\\B", "new", "C:\\default.reg");
  fs::remove_all(driveC);
}

}  // namespace sw::fuzz
