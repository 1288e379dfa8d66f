// The search for leftovers: what starts the program or points at it (shortcuts, Run values,
// scheduled tasks).

#include <algorithm>
#include <map>

#include "core/text.h"
#include "core/win_path.h"
#include "platform/error_message.h"
#include "registry/registry_data.h"
#include "uninstall/leftover_names.h"
#include "uninstall/leftover_scan_state.h"
#include "uninstall/leftover_search.h"

namespace sw::uninstall {
namespace {

constexpr std::string_view kRunKeys[] = {R"(Microsoft\Windows\CurrentVersion\Run)",
                                         R"(Microsoft\Windows\CurrentVersion\RunOnce)"};

// "Product Agent.lnk" and "agent.exe" are named "Product Agent" and "agent".
std::string_view Stem(std::string_view path) {
  const std::string_view name = FileNameOf(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

Certainty Weakest(Certainty a, Certainty b) {
  return a == Certainty::Likely || b == Certainty::Likely ? Certainty::Likely : Certainty::Sure;
}

}  // namespace

std::optional<Judgement> LeftoverScan::JudgeStart(const std::string& program, std::string_view name,
                                                  std::string_view what) {
  if (!IsAbsoluteDrivePath(program)) {
    return std::nullopt;  // a program the system looks for on its path: nobody's in particular
  }
  for (const std::string& folder : sureFolders_) {
    if (IsInside(program, folder)) {
      return Judgement{Certainty::Sure, std::string(what) + " in the install folder"};
    }
  }
  for (const std::string& folder : likelyFolders_) {
    if (IsInside(program, folder)) {
      return Judgement{Certainty::Likely, std::string(what) + " in a folder named after the product"};
    }
  }
  if (!platform_.files->Exists(program) && (NamedAfter(name, forms_) || NamedAfter(Stem(program), forms_))) {
    return Judgement{Certainty::Likely, std::string(what) + " that is gone, named after the product"};
  }
  return std::nullopt;
}

void LeftoverScan::FindShortcuts() {
  // Shortcuts by their folder, so that a folder of the program's shortcuts goes whole.
  std::map<std::string, std::vector<Leftover>> byFolder;
  std::vector<std::string> placeFolders;
  for (const FoundShortcut& shortcut : ListShortcuts(platform_, places_, &sink_)) {
    if (Offered(shortcut.path)) {
      continue;
    }
    const bool recorded = std::any_of(snapshot_.shortcuts.begin(), snapshot_.shortcuts.end(),
                                      [&](const std::string& path) { return PathsEqual(path, shortcut.path); });
    const auto judgement = recorded ? std::optional(Judgement{Certainty::Sure, "shortcut into the install folder, "
                                                                               "recorded before the uninstall"})
                                    : JudgeStart(shortcut.target, Stem(shortcut.path), "shortcut to a file");
    if (!judgement) {
      continue;
    }
    Leftover leftover;
    leftover.kind = LeftoverKind::Shortcut;
    leftover.certainty = judgement->certainty;
    leftover.reason = judgement->reason + " (in " + shortcut.place + ")";
    leftover.path = shortcut.path;
    leftover.bytes = shortcut.bytes;
    leftover.files = 1;
    const std::string folder(ParentPathOf(shortcut.path));
    byFolder[PathsEqual(folder, shortcut.placeFolder) ? std::string() : ToUpperText(folder)].push_back(leftover);
  }
  for (auto& [folder, shortcuts] : byFolder) {
    const std::vector<Leftover> loose = shortcuts;
    if (!folder.empty()) {
      // Offered before the folder is judged, so that the folder counts them as the program's.
      for (Leftover& shortcut : shortcuts) {
        Add(shortcut);
      }
      const std::string path(ParentPathOf(shortcuts.front().path));
      Certainty certainty = Certainty::Sure;
      for (const Leftover& shortcut : shortcuts) {
        certainty = Weakest(certainty, shortcut.certainty);
      }
      if (HoldsOnlyOffered(path) &&
          OfferFolder(path, certainty, "Start menu folder holding only the program's shortcuts", false)) {
        continue;
      }
      std::erase_if(outcome_.leftovers, [&](const Leftover& added) {
        return added.kind == LeftoverKind::Shortcut && PathsEqual(ParentPathOf(added.path), path);
      });
    }
    for (const Leftover& shortcut : loose) {
      Add(shortcut);
    }
  }
}

void LeftoverScan::FindRunValues() {
  for (const RegistryPlace& software : SoftwareKeys(*platform_.registry)) {
    for (const std::string_view run : kRunKeys) {
      const RegistryPlace place = Below(software, run);
      const auto key = OpenPlace(*platform_.registry, place);
      if (!key) {
        continue;
      }
      for (std::uint32_t i = 0;; ++i) {
        auto value = key->ValueAt(i);
        if (!value) {
          break;
        }
        if (value->value.type != platform::kRegSz && value->value.type != platform::kRegExpandSz) {
          continue;
        }
        const std::string program = ProgramOfCommand(reg::DecodeRegString(value->value.data), *platform_.system);
        if (const auto judgement = JudgeStart(program, value->name, "starts a program")) {
          Leftover leftover;
          leftover.kind = LeftoverKind::RunValue;
          leftover.certainty = judgement->certainty;
          leftover.reason = judgement->reason + " at logon";
          leftover.key = place;
          leftover.valueName = value->name;
          Add(std::move(leftover));
        }
      }
    }
  }
}

void LeftoverScan::FindTasks() {
  if (!platform_.tasks) {
    outcome_.tasksProblem = "this system offers no scheduled tasks";
    return;
  }
  auto tasks = platform_.tasks->List();
  if (!tasks) {
    outcome_.tasksProblem = "the Task Scheduler could not be read: " + platform::ErrorMessage(tasks.error());
    return;
  }
  for (const platform::ScheduledTask& task : *tasks) {
    std::optional<Judgement> strongest;
    for (const std::string& program : task.programs) {
      const auto judgement =
          JudgeStart(ProgramOfCommand(program, *platform_.system), platform::TaskNameOf(task.path), "runs a program");
      if (judgement && (!strongest || judgement->certainty == Certainty::Sure)) {
        strongest = judgement;
      }
    }
    if (strongest) {
      Leftover leftover;
      leftover.kind = LeftoverKind::ScheduledTask;
      leftover.certainty = strongest->certainty;
      leftover.reason = strongest->reason;
      leftover.path = task.path;
      Add(std::move(leftover));
    }
  }
}

}  // namespace sw::uninstall
