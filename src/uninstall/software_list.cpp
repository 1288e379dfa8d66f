#include "uninstall/software_list.h"

#include <algorithm>
#include <optional>

#include "core/language.h"
#include "core/product.h"
#include "registry/registry_object.h"

namespace sw::uninstall {
namespace {

using reg::RegistryObject;

struct SoftwareEntry {
  std::string displayName;
  std::string command;
};

std::string SubKeyPath(std::string_view name) {
  return "\\" + std::string(kUninstallKey) + "\\" + std::string(name);
}

// A value that is not there reads as empty; one of another type spoils the whole entry.
std::optional<std::string> ReadTextValue(RegistryObject& object, std::string_view name) {
  auto text = object.ReadString(name);
  if (text) {
    return std::move(*text);
  }
  if (text.error().Is(Errc::FileNotFound)) {
    return std::string();
  }
  return std::nullopt;
}

std::optional<SoftwareEntry> ReadEntry(RegistryObject& object, std::string_view name) {
  if (!object.OpenKey(SubKeyPath(name), false)) {
    return std::nullopt;  // gone since the names were taken, or not ours to open
  }
  auto displayName = ReadTextValue(object, "DisplayName");
  auto command = ReadTextValue(object, "UninstallString");
  if (!displayName || !command) {
    return std::nullopt;
  }
  return SoftwareEntry{std::move(*displayName), std::move(*command)};
}

ResultRow SoftwareRow(const SoftwareEntry& entry, std::string_view subKey) {
  ResultRow row;
  row.columns = {entry.displayName, std::string(kInstalledSoftware), entry.command, ""};
  row.image = kSoftwareImage;
  row.checked = false;
  row.hidden = subKey;
  return row;
}

void Notify(EngineSink& sink, std::string text, MessageKind kind) {
  sink.Ask(Message{std::move(text), std::string(kProductName), kind, MessageButtons::Ok});
}

// A name as enumeration gives it never holds a backslash; one that does (or an empty one)
// would name another key than the entry's own, the uninstall key itself for "".
bool IsEntryKeyName(std::string_view name) {
  return !name.empty() && name.find('\\') == std::string_view::npos;
}

class Uninstaller {
 public:
  Uninstaller(platform::Platform& platform, EngineSink& sink)
      : platform_(platform), sink_(sink), root_(UninstallRoot(*platform.system)) {}

  UninstalledEntry Run(const ResultRow& row);

 private:
  bool Start(const std::string& command);
  bool RemoveKey(const std::string& name);

  platform::Platform& platform_;
  EngineSink& sink_;
  platform::RootKey root_;
};

UninstalledEntry Uninstaller::Run(const ResultRow& row) {
  UninstalledEntry entry{row.columns[0], row.hidden, row.columns[2]};
  Notify(sink_, UninstallNotice(entry.title), MessageKind::Information);
  entry.started = Start(entry.command);
  if (!entry.started) {
    Notify(sink_,
           "The uninstaller of " + entry.title + " could not be started:\r\n" +
               (entry.command.empty() ? std::string("its entry names no uninstall command") : entry.command),
           MessageKind::Warning);
  }
  sink_.ProcessMessagesNow();
  // Cleaned up whatever became of the uninstaller: that is what keeps a failed or
  // half-done removal out of the list of installed software.
  entry.keyRemoved = RemoveKey(entry.key);
  if (entry.keyRemoved) {
    Notify(sink_, std::string(Text(88)), MessageKind::Information);
  }
  return entry;
}

bool Uninstaller::Start(const std::string& command) {
  if (command.empty()) {
    return false;
  }
  return platform_.processes->ExecuteProgram(command, /*hidden=*/false, /*wait=*/true,
                                             [this] { sink_.ProcessMessagesNow(); });
}

// True only when the key was still there and is gone now: an uninstaller that removed its
// own entry leaves nothing for us to repair.
bool Uninstaller::RemoveKey(const std::string& name) {
  if (!IsEntryKeyName(name)) {
    return false;
  }
  RegistryObject object(*platform_.registry, root_);
  return object.DeleteKey(SubKeyPath(name));
}

}  // namespace

platform::RootKey UninstallRoot(platform::System& system) {
  return system.IsAdmin() ? platform::RootKey::LocalMachine : platform::RootKey::CurrentUser;
}

std::string UninstallNotice(std::string_view title) {
  const std::string product(kProductName);
  return "Now, " + product + " launches uninstaller for " + std::string(title) + ".\r" +
         "In case of uninstall failure, " + product + " will then clean the system from `" + std::string(title) + "`";
}

std::string EntryText(platform::Platform& platform, std::string_view subkey, std::string_view valueName) {
  RegistryObject object(*platform.registry, UninstallRoot(*platform.system));
  if (!object.OpenKey(SubKeyPath(subkey), false)) {
    return {};
  }
  return ReadTextValue(object, valueName).value_or(std::string());
}

void FindSoftware(platform::Platform& platform, EngineSink& sink) {
  RegistryObject object(*platform.registry, UninstallRoot(*platform.system));
  std::vector<std::string> names;
  if (object.OpenKey("\\" + std::string(kUninstallKey), false)) {
    names = object.GetKeyNames();
  }
  sink.SetProgress(0);
  sink.SetProgressMax(names.size());
  for (const auto& name : names) {
    const auto entry = ReadEntry(object, name);
    if (!entry || entry->displayName.empty()) {
      continue;
    }
    if (sink.ShouldStop()) {
      return;
    }
    sink.AddRow(SoftwareRow(*entry, name));
  }
}

bool UninstallOutcome::AllStarted() const {
  return std::all_of(entries.begin(), entries.end(), [](const UninstalledEntry& entry) { return entry.started; });
}

UninstallOutcome UninstallSoftware(std::vector<ResultRow>& list, platform::Platform& platform, EngineSink& sink) {
  UninstallOutcome outcome;
  Uninstaller uninstaller(platform, sink);
  std::size_t i = 0;
  while (i < list.size()) {
    if (!list[i].checked) {
      ++i;
      continue;
    }
    outcome.entries.push_back(uninstaller.Run(list[i]));
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    sink.RowsChanged();
  }
  return outcome;
}

}  // namespace sw::uninstall
