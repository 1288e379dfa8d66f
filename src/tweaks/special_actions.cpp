#include "tweaks/special_actions.h"

#include <algorithm>

#include "core/text.h"
#include "registry/registry_paths.h"

namespace sw::tweaks {
namespace {

using platform::RootKey;

constexpr std::string_view kMemoryManagementKey = R"(SYSTEM\CurrentControlSet\Control\Session Manager\Memory Management)";
constexpr std::string_view kTcpipAdapters = R"(SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Adapters)";

std::vector<std::string> Names(platform::Registry& registry, std::string_view keyPath, reg::NameKind kind) {
  auto root = registry.OpenRoot(RootKey::LocalMachine);
  if (!root) {
    return {};
  }
  auto key = (*root)->Open(keyPath, platform::RegAccess::Read);
  return key ? reg::EnumerateNames(**key, kind) : std::vector<std::string>{};
}

// The strings of a multi-string, empty ones left out.
std::vector<std::string> StringsOf(std::string_view multiString) {
  std::vector<std::string> strings;
  std::size_t start = 0;
  while (start <= multiString.size()) {
    const std::size_t end = std::min(multiString.find('\0', start), multiString.size());
    if (end > start) {
      strings.emplace_back(multiString.substr(start, end - start));
    }
    start = end + 1;
  }
  return strings;
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The path of one paging-file entry "path initial maximum"; an entry without its two sizes
// is a path alone (a paging file the system sizes itself).
std::string_view PagingFilePath(std::string_view entry) {
  entry = Trimmed(entry);
  const auto last = entry.rfind(' ');
  const auto secondLast = last == std::string_view::npos ? last : entry.rfind(' ', last - 1);
  if (secondLast == std::string_view::npos) {
    return entry;
  }
  return Trimmed(entry.substr(0, secondLast));
}

// The first adapter below Enum\Root\Net described as the dial-up adapter; empty when none.
std::string DialUpAdapter(platform::Registry& registry) {
  for (const auto& name : Names(registry, R"(Enum\Root\Net)", reg::NameKind::SubKeys)) {
    const auto description =
        reg::RegReadString(registry, RootKey::LocalMachine, R"(Enum\Root\Net\)" + name + R"(\DeviceDesc)");
    if (description && EqualsNoCase(*description, "Dial-Up Adapter")) {
      return name;
    }
  }
  return {};
}

// The adapter's TCP/IP binding ("MSTCP\0000"); empty when it has none.
std::string TcpBinding(platform::Registry& registry, const std::string& adapter) {
  if (adapter.empty()) {
    return {};
  }
  for (const auto& name : Names(registry, R"(Enum\Root\Net\)" + adapter + R"(\Bindings)", reg::NameKind::Values)) {
    if (name.starts_with("MSTCP")) {
      return name;
    }
  }
  return {};
}

RegistryChange StringChange(std::string keyPath, std::string name, std::string value) {
  return RegistryChange{
      RootKey::LocalMachine, std::move(keyPath), std::move(name), ChangeType::String, std::move(value), {}, true};
}

}  // namespace

std::string IdleTasksCommand(platform::System& system) {
  return "\"" + system.ExpandEnvironment(R"(%SystemRoot%\System32\rundll32.exe)") + "\" advapi32.dll,ProcessIdleTasks";
}

std::string OptimizedPagingFiles(std::string_view pagingFiles) {
  std::string optimized;
  for (const auto& entry : StringsOf(pagingFiles)) {
    const std::string_view path = PagingFilePath(entry);
    if (!path.empty()) {
      optimized.append(path).append(" 382 382").push_back('\0');
    }
  }
  return optimized;
}

Result<bool> OptimizePagingFile(TweakPass& pass) {
  platform::Registry& registry = *pass.platform().registry;
  const auto current =
      reg::RegReadMultiString(registry, RootKey::LocalMachine, std::string(kMemoryManagementKey) + "\\PagingFiles");
  const std::string optimized = OptimizedPagingFiles(current.value_or(""));
  if (optimized.empty()) {
    // No paging file to size: an entry without a file would be no paging file at all.
    return pass.toBeApplied();
  }
  return pass.Change(RegistryChange{RootKey::LocalMachine,
                                    "\\" + std::string(kMemoryManagementKey) + "\\",
                                    "PagingFiles",
                                    ChangeType::MultiString,
                                    optimized,
                                    {},
                                    true});
}

Result<bool> TerminateIdleTasks(TweakPass& pass) {
  if (!pass.toBeApplied()) {
    return false;  // nothing shows that idle tasks ran, so it is always offered
  }
  EngineSink& sink = pass.sink();
  sink.BeginBusy("Terminating all idle tasks.\rThis may take upto 15 minutes.");
  sink.ProcessMessages();
  sink.ShowStatus("Terminating all idle tasks...");
  // The run may take many minutes: the window goes on repainting and answering meanwhile.
  const bool started =
      pass.platform().processes->ExecuteProgram(IdleTasksCommand(*pass.platform().system), /*hidden=*/true,
                                                /*wait=*/true, [&sink] { sink.ProcessMessagesNow(); });
  sink.ShowStatus("Done.");
  sink.EndBusy();
  if (!started) {
    pass.NoteNotDone();
  }
  return true;
}

Result<bool> OptimizeDialUpAdapter(TweakPass& pass) {
  platform::Registry& registry = *pass.platform().registry;
  const std::string binding = TcpBinding(registry, DialUpAdapter(registry));
  if (pass.toBeApplied() && Trimmed(binding).empty()) {
    pass.Warn("Cannot " + std::string(pass.title()) + ", because no Dial-Up Modem found.");
  }
  const std::string driver =
      binding.empty() ? std::string()
                      : reg::RegReadString(registry, RootKey::LocalMachine, R"(Enum\Network\)" + binding + R"(\Driver)")
                            .value_or("");
  if (driver.empty()) {
    // Without a driver the key would be the Class key of every device: nothing is written.
    return pass.toBeApplied();
  }
  const std::string key = R"(\System\CurrentControlSet\Services\Class\)" + driver + "\\";
  if (auto mtu = pass.Change(StringChange(key, "MaxMTU", "576")); !mtu) {
    return mtu.error();
  }
  return pass.Change(StringChange(key, "MaxMSS", "536"));
}

Result<bool> OptimizeAdapterMtu(TweakPass& pass) {
  platform::Registry& registry = *pass.platform().registry;
  const auto adapters = Names(registry, kTcpipAdapters, reg::NameKind::SubKeys);
  if (pass.toBeApplied() && adapters.empty()) {
    pass.Warn("Cannot " + std::string(pass.title()) + ", because no appopriate Adapter found.");
  }
  Result<bool> result = false;
  for (const auto& adapter : adapters) {
    const auto interfaces = reg::RegReadMultiString(registry, RootKey::LocalMachine,
                                                    std::string(kTcpipAdapters) + "\\" + adapter + "\\IpConfig");
    // Each string names an interface key below Services; an empty one would name Services itself.
    for (const auto& interfaceKey : StringsOf(interfaces.value_or(""))) {
      result = pass.Change(RegistryChange{RootKey::LocalMachine,
                                          R"(\SYSTEM\CurrentControlSet\Services\)" + interfaceKey + "\\",
                                          "MTU",
                                          ChangeType::Dword,
                                          "576",
                                          {},
                                          true});
      if (!result) {
        return result;
      }
    }
  }
  return result;
}

}  // namespace sw::tweaks
