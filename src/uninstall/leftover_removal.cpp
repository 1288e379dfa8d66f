#include "uninstall/leftover_removal.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <unordered_set>

#include "backup/backup_file.h"
#include "core/text.h"
#include "core/win_path.h"
#include "platform/error_message.h"
#include "registry/reg_export.h"
#include "registry/registry_clean.h"
#include "registry/registry_paths.h"
#include "uninstall/leftover_tree.h"

namespace sw::uninstall {
namespace {

using Json = nlohmann::json;
using platform::RegAccess;

// The key `path` below the root itself (no view: the path is this program's own view's).
Result<std::unique_ptr<platform::RegKey>> OpenKeyAt(platform::Registry& registry, platform::RootKey root,
                                                    std::string_view path, RegAccess access) {
  auto rootKey = registry.OpenRoot(root);
  if (!rootKey) {
    return rootKey.error();
  }
  return (*rootKey)->Open(path, access);
}

bool IsFileKind(LeftoverKind kind) {
  return kind == LeftoverKind::Folder || kind == LeftoverKind::Shortcut;
}

bool IsKeyKind(LeftoverKind kind) {
  return kind == LeftoverKind::RegistryKey || kind == LeftoverKind::FileType || kind == LeftoverKind::UninstallEntry;
}

// A chosen leftover on its way out: what of it was saved, and whether anything stopped it.
struct Pending {
  const Leftover* leftover = nullptr;
  std::vector<std::string> files;
  std::vector<std::string> folders;  // inner ones first, the leftover's own last
  std::uint64_t bytes = 0;
  std::string ownPath;  // a key's path as this program's own view reaches it
  std::string why;      // why it stays; empty while it may go
};

class Removal {
 public:
  Removal(platform::Platform& platform, EngineSink& sink) : platform_(platform), sink_(sink) {}

  LeftoverRemovalOutcome Run(const std::vector<Leftover>& chosen, std::string_view origin);

 private:
  void Gather(Pending& pending);
  bool SaveFiles(std::vector<Pending>& all);
  bool SaveKeys(std::vector<Pending>& all);
  bool SaveManifest(std::vector<Pending>& all);
  void Remove(Pending& pending, const std::unordered_set<std::string>& stored);
  [[nodiscard]] std::string NextFree(std::string_view base, std::string_view extension) const;

  platform::Platform& platform_;
  EngineSink& sink_;
  LeftoverRemovalOutcome outcome_;
  reg::RegFileText regFile_;
};

std::string Removal::NextFree(std::string_view base, std::string_view extension) const {
  // A backup that exists is never overwritten: its number is passed over.
  for (int counter = 1;; ++counter) {
    std::string path = platform_.folders.data + "\\" + std::string(base) + std::to_string(counter) +
                       std::string(extension);
    if (!platform_.files->Exists(path)) {
      return path;
    }
  }
}

void Removal::Gather(Pending& pending) {
  const Leftover& leftover = *pending.leftover;
  platform::FileSystem& files = *platform_.files;
  if (IsFileKind(leftover.kind)) {
    // Looked at again now: what was a folder at the search may have become a link since.
    if (ReachedThroughLink(files, leftover.path)) {
      pending.why = "it is (or lies behind) a link now";
      return;
    }
    const auto entry = files.EntryOf(leftover.path);
    if (!entry) {
      pending.why = IsNotFound(entry.error()) ? "it is gone already" : platform::ErrorMessage(entry.error());
      return;
    }
    if (!entry->IsFolder()) {
      pending.files.push_back(leftover.path);
      pending.bytes = entry->size;
      return;
    }
    TreeContents tree = ListTree(files, leftover.path, &sink_);
    for (TreeItem& item : tree.files) {
      pending.bytes += item.entry.size;
      pending.files.push_back(std::move(item.path));
    }
    for (TreeItem& item : tree.folders) {
      pending.folders.push_back(std::move(item.path));
    }
    pending.folders.push_back(leftover.path);
  } else if (IsKeyKind(leftover.kind) || leftover.kind == LeftoverKind::RunValue) {
    auto path = platform_.registry->OwnViewPath(leftover.key.root, leftover.key.view, leftover.key.path);
    if (!path) {
      pending.why = IsNotFound(path.error()) ? "it is gone already" : platform::ErrorMessage(path.error());
      return;
    }
    pending.ownPath = std::move(*path);
  }
}

bool Removal::SaveFiles(std::vector<Pending>& all) {
  std::vector<std::string> list;
  for (const Pending& pending : all) {
    if (pending.why.empty()) {
      list.insert(list.end(), pending.files.begin(), pending.files.end());
    }
  }
  if (list.empty()) {
    return true;
  }
  sink_.ShowStatus("Backing up the leftover files");
  backup::TBackupFile archive(*platform_.files, *platform_.system, &sink_);
  archive.CompressionLevel = backup::clFastest;
  archive.RestoreFullPath = true;
  outcome_.archive = NextFree("zq", ".bck");
  if (!archive.Backup(list, outcome_.archive)) {
    outcome_.problem = "The backup " + outcome_.archive + " could not be written. Nothing was removed.";
    return false;
  }
  std::unordered_set<std::string> stored;
  for (const std::string& path : archive.StoredFiles()) {
    stored.insert(ToLowerText(path));
  }
  // A file the archive does not hold (it could not be read) stays, and so does its leftover.
  for (Pending& pending : all) {
    for (const std::string& file : pending.files) {
      if (pending.why.empty() && stored.count(ToLowerText(file)) == 0) {
        pending.why = file + " could not be backed up";
      }
    }
  }
  return true;
}

// The key's lines of a .reg file, in the Unicode form every part of the backup shares.
void AppendPart(reg::RegFileText& file, reg::RegFileText part, platform::System& system) {
  reg::ConvertToUnicode(part, system);
  file.lines.insert(file.lines.end(), part.lines.begin() + (part.lines.empty() ? 0 : 1), part.lines.end());
}

bool Removal::SaveKeys(std::vector<Pending>& all) {
  regFile_.encoding = reg::RegFileEncoding::Unicode;
  regFile_.lines = {std::string(reg::kRegedit5Header)};
  for (Pending& pending : all) {
    const Leftover& leftover = *pending.leftover;
    if (!pending.why.empty() || pending.ownPath.empty()) {
      continue;
    }
    if (IsKeyKind(leftover.kind)) {
      AppendPart(regFile_, reg::ExportKeyTreeFile(platform_, leftover.key.root, pending.ownPath), *platform_.system);
      continue;
    }
    // A Run value alone: the rest of its key is not this program's, and must not come back
    // as it was now when the removal is undone.
    auto key = OpenKeyAt(*platform_.registry, leftover.key.root, pending.ownPath, RegAccess::Read);
    auto value = key ? (*key)->Query(leftover.valueName) : Result<platform::RegValue>(key.error());
    if (!value) {
      pending.why = IsNotFound(value.error()) ? "it is gone already" : platform::ErrorMessage(value.error());
      continue;
    }
    const auto lines = reg::ValueLines(platform::NamedRegValue{leftover.valueName, *value}, reg::RegFileEncoding::Unicode,
                                       reg::DumpLayout::Wrapped, *platform_.system);
    if (!lines) {
      pending.why = "a .reg file cannot hold its data exactly";
      continue;
    }
    regFile_.lines.emplace_back();
    regFile_.lines.push_back(reg::KeyLine(leftover.key.root, pending.ownPath));
    regFile_.lines.insert(regFile_.lines.end(), lines->begin(), lines->end());
  }
  if (regFile_.lines.size() == 1) {
    return true;
  }
  regFile_.lines.emplace_back();
  auto saved = reg::SaveNumberedRegFile(*platform_.files, *platform_.system, platform_.folders.data, regFile_,
                                        "leftovers");
  if (!saved) {
    outcome_.problem = "The backup of the keys could not be written to " + platform_.folders.data + " (" +
                       platform::ErrorMessage(saved.error()) + "). Nothing was removed.";
    return false;
  }
  outcome_.regFile = std::move(*saved);
  return true;
}

bool Removal::SaveManifest(std::vector<Pending>& all) {
  Json folders = Json::array();
  Json files = Json::array();
  Json tasks = Json::array();
  for (Pending& pending : all) {
    if (!pending.why.empty()) {
      continue;
    }
    for (const std::string& folder : pending.folders) {
      folders.push_back(folder);
    }
    // The archive keeps its paths in lower case; the names as they were give the undo
    // back each file's own.
    for (const std::string& file : pending.files) {
      files.push_back(file);
    }
    if (pending.leftover->kind == LeftoverKind::ScheduledTask) {
      auto xml = platform_.tasks->Definition(pending.leftover->path);
      if (!xml) {
        pending.why = IsNotFound(xml.error()) ? "it is gone already" : platform::ErrorMessage(xml.error());
        continue;
      }
      tasks.push_back({{"path", pending.leftover->path}, {"xml", *xml}});
    }
  }
  if (folders.empty() && files.empty() && tasks.empty()) {
    return true;
  }
  outcome_.manifest = NextFree("leftovers", ".json");
  const std::string text = Json{{"folders", folders}, {"files", files}, {"tasks", tasks}}.dump(1);
  if (const Status written = platform_.files->ReplaceWhole(outcome_.manifest, AsBytes(text)); !written) {
    outcome_.problem = "The backup " + outcome_.manifest + " could not be written (" +
                       platform::ErrorMessage(written.error()) + "). Nothing was removed.";
    return false;
  }
  return true;
}

// Deletes the key `path` below the root of `place`, with everything below it.
Status RemoveKey(platform::Registry& registry, const RegistryPlace& place, std::string_view path) {
  const std::size_t last = path.rfind('\\');
  auto root = registry.OpenRoot(place.root);
  if (!root) {
    return root.error();
  }
  if (last == std::string_view::npos) {
    return reg::RemoveKeyTree(**root, path);
  }
  auto parent = (*root)->Open(path.substr(0, last), RegAccess::ReadWrite);
  if (!parent) {
    return parent.error();
  }
  return reg::RemoveKeyTree(**parent, path.substr(last + 1));
}

void Removal::Remove(Pending& pending, const std::unordered_set<std::string>& stored) {
  const Leftover& leftover = *pending.leftover;
  platform::FileSystem& files = *platform_.files;
  std::string failure;
  if (IsFileKind(leftover.kind)) {
    for (const std::string& file : pending.files) {
      // Each file is deleted only when it is the one saved and nothing on its way has become
      // a link since the folder was listed.
      if (stored.count(ToLowerText(file)) == 0 || ReachedThroughLink(files, file)) {
        failure = file + " was not saved, or lies behind a link now";
        continue;
      }
      if (const Status removed = files.RemoveFile(file); removed) {
        ++outcome_.files;
      } else if (!IsNotFound(removed.error())) {
        failure = file + ": " + platform::ErrorMessage(removed.error());
      }
    }
    for (const std::string& folder : pending.folders) {
      if (const Status removed = files.RemoveFolder(folder); !removed && !IsNotFound(removed.error())) {
        // A link kept inside, or a file that could not go: the folder stays with it.
        failure = folder + " is not empty";
      }
    }
  } else if (IsKeyKind(leftover.kind)) {
    if (const Status removed = RemoveKey(*platform_.registry, leftover.key, pending.ownPath);
        !removed && !IsNotFound(removed.error())) {
      failure = platform::ErrorMessage(removed.error());
    }
  } else if (leftover.kind == LeftoverKind::RunValue) {
    auto key = OpenKeyAt(*platform_.registry, leftover.key.root, pending.ownPath, RegAccess::ReadWrite);
    const Status removed = key ? (*key)->DeleteValue(leftover.valueName) : Status(key.error());
    if (!removed && !IsNotFound(removed.error())) {
      failure = platform::ErrorMessage(removed.error());
    }
  } else if (leftover.kind == LeftoverKind::ScheduledTask) {
    if (const Status removed = platform_.tasks->Remove(leftover.path); !removed && !IsNotFound(removed.error())) {
      failure = platform::ErrorMessage(removed.error());
    }
  }
  if (failure.empty()) {
    outcome_.bytes += pending.bytes;
    outcome_.removed.push_back(leftover);
  } else {
    outcome_.kept.push_back(LeftoverLocation(leftover) + ": " + failure);
  }
}

LeftoverRemovalOutcome Removal::Run(const std::vector<Leftover>& chosen, std::string_view origin) {
  if (!platform_.folders.writable) {
    outcome_.problem = platform_.folders.problem + " Nothing was removed.";
    return outcome_;
  }
  std::vector<Pending> all;
  for (const Leftover& leftover : chosen) {
    Pending pending;
    pending.leftover = &leftover;
    all.push_back(std::move(pending));
  }
  // Folders that go only when emptied by the rest come last, the innermost first.
  std::stable_sort(all.begin(), all.end(), [](const Pending& a, const Pending& b) {
    if (a.leftover->onlyWhenEmpty != b.leftover->onlyWhenEmpty) {
      return !a.leftover->onlyWhenEmpty;
    }
    return a.leftover->onlyWhenEmpty && a.leftover->path.size() > b.leftover->path.size();
  });
  sink_.ShowStatus("Looking at the leftovers to be removed");
  for (Pending& pending : all) {
    Gather(pending);
  }
  if (!SaveFiles(all) || !SaveKeys(all) || !SaveManifest(all)) {
    return outcome_;
  }
  std::vector<std::string> items;
  history::Entry start;
  start.action = history::Action::LeftoversRemoved;
  start.origin = std::string(origin);
  for (const Pending& pending : all) {
    if (pending.why.empty()) {
      items.push_back(LeftoverLocation(*pending.leftover));
    } else {
      outcome_.kept.push_back(LeftoverLocation(*pending.leftover) + ": " + pending.why);
    }
  }
  start.names = items;
  start.count = items.size();
  start.summary = "Removing " + std::to_string(items.size()) + " leftovers of " +
                  (chosen.empty() ? std::string("a program") : chosen.front().program);
  for (const std::string* backup : {&outcome_.archive, &outcome_.regFile, &outcome_.manifest}) {
    if (!backup->empty()) {
      start.backups.push_back(*backup);
    }
  }
  history::HistoryLog log(platform_);
  history::Recording recording(log, start);
  if (recording.Started()) {
    (void)recording.WriteItems(items);
  }

  std::unordered_set<std::string> stored;
  for (const Pending& pending : all) {
    for (const std::string& file : pending.files) {
      stored.insert(ToLowerText(file));
    }
  }
  sink_.ShowStatus("Removing the leftovers");
  for (Pending& pending : all) {
    if (pending.why.empty()) {
      Remove(pending, stored);
    }
  }

  history::Entry& end = recording.entry();
  end.count = outcome_.removed.size();
  end.bytes = outcome_.bytes;
  end.summary = "Removed " + std::to_string(outcome_.removed.size()) + " leftovers of " +
                (chosen.empty() ? std::string("a program") : chosen.front().program);
  if (!outcome_.kept.empty()) {
    end.problem = std::to_string(outcome_.kept.size()) + " stayed: " + outcome_.kept.front();
  }
  (void)recording.Complete(outcome_.kept.empty() ? history::EntryState::Done : history::EntryState::Failed);
  outcome_.historyKey = recording.Key();
  if (auto read = log.Read(); read && recording.Started()) {
    for (const history::Entry& entry : *read) {
      if (entry.key == recording.Key()) {
        outcome_.historyId = entry.id;
      }
    }
  }
  return outcome_;
}

// The registry values of the .reg backup written back through the registry itself: what the
// registry editor's import would do, without a program of its own.
void ImportKeys(platform::Platform& platform, const std::string& path, LeftoverUndoOutcome& outcome) {
  auto file = reg::LoadRegFile(*platform.files, *platform.system, path);
  if (!file || !*file) {
    outcome.problems.push_back(path + " could not be read");
    return;
  }
  const reg::RegFileEntries entries = reg::ReadRegFileEntries(**file, *platform.system);
  for (const reg::RegFileEntry& entry : entries.entries) {
    auto root = platform.registry->OpenRoot(entry.root);
    auto key = root ? (*root)->Create(entry.keyPath) : Result<std::unique_ptr<platform::RegKey>>(root.error());
    if (!key) {
      outcome.problems.push_back(reg::KeyLine(entry.root, entry.keyPath) + ": " +
                                 platform::ErrorMessage(key.error()));
      continue;
    }
    if (entry.valueName && entry.value) {
      if (const Status set = (*key)->Set(*entry.valueName, entry.value->type, entry.value->data); set) {
        ++outcome.values;
      } else {
        outcome.problems.push_back(*entry.valueName + ": " + platform::ErrorMessage(set.error()));
      }
    }
  }
}

// Makes the folders again and registers the tasks again; the files' names as they were.
std::vector<std::string> RestoreManifest(platform::Platform& platform, const std::string& path,
                                         LeftoverUndoOutcome& outcome) {
  auto reader = platform.files->OpenForReading(path, platform::ReadSharing::AllowWriters);
  std::string text;
  if (reader) {
    std::vector<std::uint8_t> buffer(64 * 1024);
    while (auto read = (*reader)->Read(buffer)) {
      if (*read == 0) {
        break;
      }
      text.append(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(*read));
    }
  }
  const Json manifest = Json::parse(text, nullptr, false);
  if (!reader || manifest.is_discarded() || !manifest.is_object()) {
    outcome.problems.push_back(path + " could not be read");
    return {};
  }
  for (const Json& folder : manifest.value("folders", Json::array())) {
    if (folder.is_string() && platform.files->CreateFolders(folder.get<std::string>())) {
      ++outcome.folders;
    }
  }
  for (const Json& task : manifest.value("tasks", Json::array())) {
    const std::string taskPath = task.value("path", "");
    if (const Status registered = platform.tasks->Register(taskPath, task.value("xml", "")); registered) {
      ++outcome.tasks;
    } else {
      outcome.problems.push_back("the task " + taskPath + ": " + platform::ErrorMessage(registered.error()));
    }
  }
  std::vector<std::string> files;
  for (const Json& file : manifest.value("files", Json::array())) {
    if (file.is_string()) {
      files.push_back(file.get<std::string>());
    }
  }
  return files;
}

// A restored file whose name the archive gave in lower case takes its own name again: renamed
// away and back, as a rename to the same name in another case is no rename on every system.
void RestoreNameCase(platform::FileSystem& files, const std::string& name) {
  const std::string aside = name + ".sweepwise-case";
  if (files.RenameFile(name, aside)) {
    (void)files.RenameFile(aside, name);
  }
}

}  // namespace

LeftoverRemovalOutcome RemoveLeftovers(platform::Platform& platform, const std::vector<Leftover>& chosen,
                                       std::string_view origin, EngineSink& sink) {
  return Removal(platform, sink).Run(chosen, origin);
}

LeftoverUndoOutcome UndoLeftoverRemoval(platform::Platform& platform, const history::Entry& entry, EngineSink& sink) {
  LeftoverUndoOutcome outcome;
  // Folders first: the archive's files go back into them, and empty ones come back too.
  std::vector<std::string> names;
  for (const std::string& backup : entry.backups) {
    if (backup.ends_with(".json")) {
      std::vector<std::string> more = RestoreManifest(platform, backup, outcome);
      names.insert(names.end(), more.begin(), more.end());
    }
  }
  for (const std::string& backup : entry.backups) {
    if (backup.ends_with(".bck")) {
      backup::TBackupFile archive(*platform.files, *platform.system, &sink);
      archive.RestoreFullPath = true;
      // What is there again meanwhile is the user's now.
      archive.RestoreMode = backup::rmNoOverwrite;
      const backup::RestoreOutcome restored = archive.Restore(backup, "");
      outcome.files += static_cast<std::uint64_t>(std::max(archive.FilesDone(), 0));
      if (const std::string problem = backup::RestoreProblemText(archive, restored); !problem.empty()) {
        outcome.problems.push_back(backup + ": " + problem);
      }
    } else if (backup.ends_with(".reg")) {
      ImportKeys(platform, backup, outcome);
    }
  }
  for (const std::string& name : names) {
    RestoreNameCase(*platform.files, name);
  }
  return outcome;
}

}  // namespace sw::uninstall
