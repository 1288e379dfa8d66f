#include "registry/reg_import.h"

#include <algorithm>

#include "core/text.h"
#include "platform/error_message.h"
#include "registry/registry_names.h"
#include "registry/registry_paths.h"

namespace sw::reg {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RootKey;

std::string KeyTarget(RootKey root, std::string_view keyPath) {
  std::string text(RootKeyName(root));
  if (!keyPath.empty()) {
    text += "\\" + std::string(keyPath);
  }
  return text;
}

// The import of one file: the key the value lines go to, and what came of each line.
class Importer {
 public:
  Importer(platform::Registry& registry, ImportMode mode, ImportOutcome& outcome)
      : registry_(registry), mode_(mode), outcome_(outcome) {}

  void Key(const RegFileEntry& entry) {
    key_.reset();
    keyError_.reset();
    keyRoot_ = entry.root;
    keyPath_ = entry.keyPath;
    if (entry.deletesKey) {
      DeleteKey(entry);  // the lines up to the next key line are unreadable: no key to go to
      return;
    }
    auto root = registry_.OpenRoot(entry.root);
    const bool existed = root && (*root)->Open(entry.keyPath, RegAccess::Read).has_value();
    auto key = root ? (*root)->Create(entry.keyPath) : Result<std::unique_ptr<RegKey>>(root.error());
    if (!key) {
      keyError_ = key.error();
      Note(KeyTarget(entry.root, entry.keyPath), key.error());
      return;
    }
    key_ = std::move(*key);
    outcome_.written += existed ? 0 : 1;
  }

  void Value(const RegFileEntry& entry) {
    const std::string target = ValueTarget(entry.root, entry.keyPath, *entry.valueName);
    if (!key_) {
      Note(target, keyError_.value_or(Error(Errc::InvalidHandle)));  // its key could not be made
      return;
    }
    auto current = key_->Query(*entry.valueName);
    const bool present = current.has_value();
    if (entry.value) {
      if (present && current->type == entry.value->type && current->data == entry.value->data) {
        ++outcome_.unchanged;
        return;
      }
      if (present && mode_ == ImportMode::KeepLaterChanges) {
        Keep(target);
        return;
      }
      Count(target, key_->Set(*entry.valueName, entry.value->type, entry.value->data));
      return;
    }
    if (!present) {
      ++outcome_.unchanged;
      return;
    }
    if (mode_ == ImportMode::KeepLaterChanges) {
      Keep(target);
      return;
    }
    Count(target, key_->DeleteValue(*entry.valueName));
  }

 private:
  // "[-ROOT\path]": the key with everything below it; what is not there is as good as gone.
  // A key directly below a root (Software, SYSTEM) is never deleted, whatever a file says.
  void DeleteKey(const RegFileEntry& entry) {
    const std::string target = KeyTarget(entry.root, entry.keyPath);
    const auto last = entry.keyPath.rfind('\\');
    if (last == std::string::npos) {
      outcome_.notWritten.push_back(ImportNote{target, "a key directly below a root is never deleted", false});
      return;
    }
    auto root = registry_.OpenRoot(entry.root);
    auto parent = root ? (*root)->Open(std::string_view(entry.keyPath).substr(0, last), RegAccess::ReadWrite)
                       : Result<std::unique_ptr<RegKey>>(root.error());
    if (!parent) {
      if (!IsNotFound(parent.error())) {
        Note(target, parent.error());
      }
      return;
    }
    const Status removed = RemoveKeyTree(**parent, std::string_view(entry.keyPath).substr(last + 1));
    if (removed) {
      ++outcome_.written;
    } else if (!IsNotFound(removed.error())) {
      Note(target, removed.error());
    }
  }

  void Count(const std::string& target, const Status& status) {
    if (status) {
      ++outcome_.written;
    } else {
      Note(target, status.error());
    }
  }

  void Keep(const std::string& target) {
    outcome_.keptLaterChanges.push_back(ImportNote{target, "changed since; left as it is", false});
  }

  void Note(const std::string& target, Error error) {
    const bool rights = error.Is(Errc::AccessDenied) && IsMachineWide(keyRoot_, keyPath_);
    outcome_.notWritten.push_back(ImportNote{target, platform::ErrorMessage(error), rights});
  }

  platform::Registry& registry_;
  ImportMode mode_;
  ImportOutcome& outcome_;
  std::unique_ptr<RegKey> key_;
  std::optional<Error> keyError_;
  RootKey keyRoot_ = RootKey::CurrentUser;
  std::string keyPath_;
};

}  // namespace

bool ImportOutcome::NeedsRights() const {
  return std::any_of(notWritten.begin(), notWritten.end(), [](const ImportNote& note) { return note.needsRights; });
}

std::string ValueTarget(RootKey root, std::string_view keyPath, std::string_view valueName) {
  return KeyTarget(root, keyPath) + "\\" + (valueName.empty() ? std::string("(Default)") : std::string(valueName));
}

bool IsMachineWide(RootKey root, std::string_view keyPath) {
  if (root != RootKey::CurrentUser) {
    return true;
  }
  while (keyPath.starts_with('\\')) {
    keyPath.remove_prefix(1);
  }
  constexpr std::string_view kPolicies = "Software\\Policies";
  return keyPath.size() >= kPolicies.size() && EqualsNoCase(keyPath.substr(0, kPolicies.size()), kPolicies) &&
         (keyPath.size() == kPolicies.size() || keyPath[kPolicies.size()] == '\\');
}

ImportOutcome ImportRegEntries(platform::Registry& registry, const RegFileEntries& read, ImportMode mode) {
  ImportOutcome outcome;
  outcome.readable = read.header;
  if (!read.header) {
    return outcome;  // the registry editor imports nothing of such a file either
  }
  Importer importer(registry, mode, outcome);
  for (const RegFileEntry& entry : read.entries) {
    if (entry.valueName) {
      importer.Value(entry);
    } else {
      importer.Key(entry);
    }
  }
  for (const std::size_t line : read.unreadable) {
    outcome.notWritten.push_back(
        ImportNote{"line " + std::to_string(line + 1), "damaged: no registry editor reads it", false});
  }
  return outcome;
}

Result<ImportOutcome> ImportRegFile(platform::Platform& platform, std::string_view path, ImportMode mode) {
  auto loaded = LoadRegFile(*platform.files, *platform.system, path);
  if (!loaded) {
    return loaded.error();
  }
  if (!*loaded) {
    if (!platform.files->FileExists(path)) {
      return Error(Errc::FileNotFound);
    }
    return ImportOutcome{};  // empty: no header
  }
  return ImportRegEntries(*platform.registry, ReadRegFileEntries(**loaded, *platform.system), mode);
}

void AppendNames(std::string& text, const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < names.size() && i < kNamesListed; ++i) {
    text += "\n" + names[i];
  }
  if (names.size() > kNamesListed) {
    text += "\n... and " + std::to_string(names.size() - kNamesListed) + " more.";
  }
}

std::string ImportProblemText(const ImportOutcome& outcome, std::string_view file, bool elevated,
                              std::string_view rightsAdvice) {
  if (!outcome.readable) {
    return std::string(file) +
           " does not begin as a registry file does (\"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"), so "
           "nothing of it was imported.";
  }
  std::string text;
  const auto list = [&](std::string_view heading, const std::vector<ImportNote>& notes) {
    if (notes.empty()) {
      return;
    }
    std::vector<std::string> names;
    for (const ImportNote& note : notes) {
      names.push_back(note.target + ": " + note.reason);
    }
    text += (text.empty() ? "" : "\n\n") + std::string(heading);
    AppendNames(text, names);
  };
  list("These could not be written from " + std::string(file) + ":", outcome.notWritten);
  list("These were changed since and are left as they are:", outcome.keptLaterChanges);
  if (outcome.NeedsRights() && !elevated && !rightsAdvice.empty()) {
    text += "\n\nSome of them need administrator rights. " + std::string(rightsAdvice);
  }
  return text;
}

}  // namespace sw::reg
