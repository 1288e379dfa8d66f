#include "registry/registry_clean.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "core/language.h"
#include "history/history_log.h"
#include "platform/error_message.h"
#include "registry/reg_import.h"
#include "registry/registry_names.h"

namespace sw::reg {
namespace {

// A value the removal will delete once the backup is safe.
struct Removal {
  RootKey root;
  std::string keyPath;
  std::string valueName;
};

std::string NumberedName(std::string_view folder, std::string_view base, unsigned counter) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03X", counter);
  return std::string(folder) + "\\" + std::string(base) + digits + ".reg";
}

std::string NotRemoved(const ResultRow& row, Error error) {
  return row.columns[0] + " " + row.columns[1] + ": " + platform::ErrorMessage(error);
}

// Values the user's rights did not let us delete (a machine-wide key of a standard user):
// named, with the system's reason, so that nothing looks removed that was not.
void ReportNotRemoved(EngineSink& sink, const std::vector<std::string>& values) {
  if (values.empty()) {
    return;
  }
  std::string text = std::to_string(values.size()) + " values could not be removed:";
  for (const auto& value : values) {
    text += "\r\n" + value;
  }
  sink.Ask(Message{text, "Error", MessageKind::Error, MessageButtons::Ok});
}

void ReportKeysNotOpened(EngineSink& sink, const std::vector<std::string>& keys) {
  if (keys.empty()) {
    return;
  }
  std::string text;
  for (const auto& key : keys) {
    text += (text.empty() ? "" : "\r\n") + std::string(Text(90)) + " " + key;
  }
  sink.Ask(Message{text, "Error", MessageKind::Error, MessageButtons::Ok});
}

// The history entry of a removal, begun once its backup is on disk and before the first
// value goes: it names the backup that brings the values back, or why nothing can.
history::Entry RemovalEntry(const EngineSink& sink, const std::vector<std::string>& values,
                            const std::string& backupFile) {
  history::Entry entry;
  entry.action = history::Action::RegistryRemoved;
  entry.origin = sink.Origin().empty() ? "Registry Cleaning page" : sink.Origin();
  entry.summary = "Removing " + std::to_string(values.size()) + " registry values";
  entry.count = values.size();
  entry.names = values;
  if (backupFile.empty()) {
    entry.notUndoable = "No backup was asked for.";
  } else {
    entry.backups = {backupFile};
  }
  return entry;
}

}  // namespace

EntryKey SplitEntryCaption(std::string_view caption) {
  EntryKey entry;
  const auto colon = caption.find(':');
  if (colon == std::string_view::npos) {
    entry.keyPath = caption;
  } else {
    entry.rootName = caption.substr(0, colon);
    entry.keyPath = caption.substr(std::min(colon + 2, caption.size()));
  }
  if (!entry.keyPath.starts_with('\\')) {
    entry.keyPath.insert(0, "\\");
  }
  if (entry.rootName == "HKEY_CURRENT_USER") {
    entry.root = RootKey::CurrentUser;
  } else if (entry.rootName == "HKEY_USERS") {
    entry.root = RootKey::Users;
  }
  return entry;
}

void RegBackup::Add(std::string keyLine, std::optional<platform::NamedRegValue> value) {
  entries_.push_back(Entry{std::move(keyLine), std::move(value)});
}

std::optional<RegFileText> RegBackup::RenderAs(RegFileEncoding encoding, platform::System& system) const {
  const bool ansi = encoding == RegFileEncoding::Ansi;
  RegFileText file{{std::string(ansi ? kRegedit4Header : kRegedit5Header)}, encoding};
  for (const auto& entry : entries_) {
    if (ansi && !FitsAnsi(entry.keyLine, system)) {
      return std::nullopt;
    }
    file.lines.push_back(entry.keyLine);
    if (entry.value) {
      auto lines = ValueLines(*entry.value, encoding, DumpLayout::OneLine, system);
      if (!lines) {
        return std::nullopt;
      }
      file.lines.insert(file.lines.end(), lines->begin(), lines->end());
    }
  }
  return file;
}

RegFileText RegBackup::Render(platform::System& system) const {
  auto ansi = RenderAs(RegFileEncoding::Ansi, system);
  return ansi ? std::move(*ansi) : *RenderAs(RegFileEncoding::Unicode, system);  // that form holds every text
}

void BackupRegistryValue(RegBackup& backup, RegistryObject& object, std::string_view rootName, std::string_view keyPath,
                         std::string_view valueName) {
  std::string keyLine = "[" + std::string(rootName) + std::string(keyPath) + "]";
  auto value = object.ReadRaw(valueName);
  if (!value) {
    backup.Add(std::move(keyLine), std::nullopt);
    return;
  }
  backup.Add(std::move(keyLine), platform::NamedRegValue{std::string(valueName), std::move(*value)});
}

Result<std::string> SaveNumberedRegFile(platform::FileSystem& files, platform::System& system, std::string_view folder,
                                        const RegFileText& file, std::string_view base) {
  unsigned counter = 0;
  std::string path = NumberedName(folder, base, counter);
  while (files.Exists(path)) {
    path = NumberedName(folder, base, ++counter);
  }
  if (auto saved = SaveRegFile(files, system, path, file); !saved) {
    return saved.error();
  }
  return path;
}

RegistryCleanOutcome CleanRegistry(const std::vector<ResultRow>& rows, bool backup, platform::Platform& platform,
                                   RegistryObject& object, EngineSink& sink) {
  RegistryCleanOutcome outcome;
  RegBackup backupFile;
  std::vector<Removal> removals;
  sink.SetProgressMax(rows.empty() ? 0 : rows.size() - 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    sink.SetProgress(i);
    sink.ProcessMessages();
    if (!rows[i].checked) {
      continue;
    }
    EntryKey entry = SplitEntryCaption(rows[i].columns[0]);
    object.SetRoot(entry.root);
    if (!object.OpenKey(entry.keyPath, false)) {
      if (object.LastError().Is(Errc::AccessDenied)) {
        outcome.notRemoved.push_back(NotRemoved(rows[i], object.LastError()));
      } else {
        outcome.keysNotOpened.push_back(entry.keyPath);
      }
      continue;
    }
    if (backup) {
      if (!IsWritableName(entry.keyPath) || !IsWritableName(rows[i].columns[1])) {
        outcome.notBackedUp.push_back(rows[i].columns[0] + " " + rows[i].columns[1]);
        continue;  // a backup cannot hold it, so it stays
      }
      BackupRegistryValue(backupFile, object, entry.rootName, entry.keyPath, rows[i].columns[1]);
    }
    removals.push_back(Removal{entry.root, std::move(entry.keyPath), rows[i].columns[1]});
  }
  ReportKeysNotOpened(sink, outcome.keysNotOpened);
  if (!outcome.notBackedUp.empty()) {
    sink.Ask(Message{std::to_string(outcome.notBackedUp.size()) +
                         " values have names a registry file cannot hold; they were not backed up and stay.",
                     "Warning", MessageKind::Warning, MessageButtons::Ok});
  }

  // Only a backup that is complete on disk allows the first deletion.
  if (backup) {
    auto saved = SaveNumberedRegFile(*platform.files, *platform.system, platform.folders.data,
                                     backupFile.Render(*platform.system), "regbackup");
    if (!saved) {
      outcome.backupError = platform::ErrorMessage(saved.error());
      sink.Ask(Message{"The registry backup could not be written (" + outcome.backupError + "). Nothing was deleted.",
                       "Error", MessageKind::Error, MessageButtons::Ok});
      return outcome;
    }
    outcome.backupFile = std::move(*saved);
  }
  std::vector<std::string> targets;
  for (const auto& removal : removals) {
    targets.push_back(ValueTarget(removal.root, std::string_view(removal.keyPath).substr(1), removal.valueName));
  }
  history::HistoryLog log(platform);
  std::optional<history::Recording> recording;
  if (!removals.empty()) {
    recording.emplace(log, RemovalEntry(sink, targets, outcome.backupFile));
    (void)recording->WriteItems(targets);
  }
  for (const auto& removal : removals) {
    object.SetRoot(removal.root);
    if (object.OpenKey(removal.keyPath, false) && object.DeleteValue(removal.valueName)) {
      ++outcome.removed;
    } else if (!IsNotFound(object.LastError())) {
      // A value already gone is as good as removed; one we may not delete is reported.
      outcome.notRemoved.push_back(std::string(RootKeyName(removal.root)) + "\\" + removal.keyPath + " " +
                                   removal.valueName + ": " + platform::ErrorMessage(object.LastError()));
    }
  }
  object.CloseKey();
  if (recording) {
    history::Entry& entry = recording->entry();
    entry.summary = "Removed " + std::to_string(outcome.removed) + " registry values";
    entry.count = static_cast<std::uint64_t>(outcome.removed);
    for (const auto& value : outcome.notRemoved) {
      entry.problem += (entry.problem.empty() ? "Not removed: " : "; ") + value;
    }
    (void)recording->Complete(outcome.notRemoved.empty() ? history::EntryState::Done : history::EntryState::Failed);
  }
  ReportNotRemoved(sink, outcome.notRemoved);
  return outcome;
}

RegistryCleanOutcome DeleteRegistry(std::vector<ResultRow>& list, bool backup, platform::Platform& platform,
                                    RegistryObject& object, EngineSink& sink) {
  RegistryCleanOutcome outcome;
  if (std::any_of(list.begin(), list.end(), [](const ResultRow& row) { return row.checked; })) {
    if (!Confirm(sink, std::string(Text(74)), "Warning", MessageKind::Warning)) {
      outcome.declined = true;
    } else if (backup && !platform.folders.writable) {
      // Only a backup complete on disk allows a deletion; its folder cannot take one.
      outcome.backupError = platform.folders.problem;
      sink.Ask(
          Message{platform.folders.problem + " Nothing was deleted.", "Error", MessageKind::Error, MessageButtons::Ok});
    } else {
      outcome = CleanRegistry(list, backup, platform, object, sink);
    }
    outcome.asked = true;
  }
  if (outcome.backupError.empty()) {
    list.clear();
  }
  return outcome;
}

}  // namespace sw::reg
