#include "uninstall/leftover_scan.h"

#include <algorithm>

#include "core/text.h"
#include "core/win_path.h"
#include "uninstall/leftover_names.h"
#include "uninstall/leftover_scan_state.h"
#include "uninstall/leftover_tree.h"

namespace sw::uninstall {
namespace {

bool HasFiles(const Leftover& leftover) {
  return leftover.kind == LeftoverKind::Folder || leftover.kind == LeftoverKind::Shortcut;
}

}  // namespace

LeftoverScan::LeftoverScan(platform::Platform& platform, const LeftoverSnapshot& snapshot, EngineSink& sink)
    : platform_(platform),
      snapshot_(snapshot),
      sink_(sink),
      places_(ResolvePlaces(platform)),
      others_(platform, snapshot.clues.entry, places_),
      publisherForms_(PublisherForms(snapshot.clues.publisher)) {
  const LeftoverClues& clues = snapshot.clues;
  for (std::string& form : ProductNameForms(clues.displayName, clues.version, clues.publisher)) {
    // A name two programs go by proves nothing: what it names may be the other one's.
    if (const std::string other = others_.WhoIsNamed(form); !other.empty()) {
      PassOver("the name " + form, "it is also the name of " + other);
    } else {
      forms_.push_back(std::move(form));
    }
  }
}

LeftoverScanOutcome LeftoverScan::Run() {
  sink_.ShowStatus("Looking for what " + snapshot_.clues.displayName + " left behind...");
  const std::vector<void (LeftoverScan::*)()> steps{
      &LeftoverScan::FindEntryFolders, &LeftoverScan::FindNamedFolders, &LeftoverScan::FindShortcuts,
      &LeftoverScan::FindEmptyParents, &LeftoverScan::FindKeys,         &LeftoverScan::FindRunValues,
      &LeftoverScan::FindTasks,        &LeftoverScan::FindFileTypes,    &LeftoverScan::FindEntry};
  sink_.SetProgressMax(steps.size());
  for (std::size_t step = 0; step < steps.size() && !Stopped(); ++step) {
    (this->*steps[step])();
    sink_.SetProgress(step + 1);
  }
  return std::move(outcome_);
}

bool LeftoverScan::Stopped() {
  outcome_.stopped = outcome_.stopped || sink_.ShouldStop();
  return outcome_.stopped;
}

void LeftoverScan::Add(Leftover leftover) {
  leftover.program = snapshot_.clues.displayName;
  outcome_.leftovers.push_back(std::move(leftover));
}

void LeftoverScan::PassOver(std::string_view what, std::string_view why) {
  outcome_.passedOver.push_back(std::string(what) + ": " + std::string(why));
}

void LeftoverScan::FindEntryFolders() {
  const LeftoverClues& clues = snapshot_.clues;
  sureFolders_ = snapshot_.folders;
  for (const std::string& folder : EntryFolders(clues, places_)) {
    if (std::none_of(sureFolders_.begin(), sureFolders_.end(),
                     [&](const std::string& known) { return IsInside(folder, known); })) {
      sureFolders_.push_back(folder);
    }
  }
  // A folder another program's entry points into is not proven this program's, gone or not.
  std::erase_if(sureFolders_, [&](const std::string& folder) {
    const std::string theirs = others_.WhyTheirs(folder);
    if (!theirs.empty()) {
      PassOver(folder, theirs);
    }
    return !theirs.empty();
  });
  for (const std::string& folder : sureFolders_) {
    std::string reason = PathsEqual(folder, clues.installLocation) ? "the install folder named by the entry"
                         : !clues.displayIcon.empty() && IsInside(clues.displayIcon, folder)
                             ? "the folder of the entry's icon"
                             : "the folder of the entry's uninstaller";
    std::size_t before = 0;
    std::size_t still = 0;
    for (const std::string& file : snapshot_.files) {
      if (IsInside(file, folder)) {
        ++before;
        still += platform_.files->Exists(file) ? 1 : 0;
      }
    }
    if (before > 0) {
      reason += "; " + std::to_string(still) + " of its " + std::to_string(before) +
                " files from before the uninstall are still there";
    }
    (void)OfferFolder(folder, Certainty::Sure, std::move(reason), false);
  }
}

void LeftoverScan::FindNamedFolders() {
  for (const ProgramPlace& place : places_.programPlaces) {
    for (const std::string& form : forms_) {
      (void)OfferFolder(JoinPath(place.folder, form), Certainty::Likely, "named after the product in " + place.name,
                        false);
      for (const std::string& publisher : publisherForms_) {
        (void)OfferFolder(JoinPath(JoinPath(place.folder, publisher), form), Certainty::Likely,
                          "named after the product in the publisher's folder in " + place.name, false);
      }
    }
  }
}

// The folder that held only an offered folder (the publisher's, as a rule) goes too, once
// what was in it has gone; one holding anything else stays.
void LeftoverScan::FindEmptyParents() {
  std::vector<std::string> offered;
  for (const Leftover& leftover : outcome_.leftovers) {
    if (HasFiles(leftover) && !leftover.onlyWhenEmpty) {
      offered.push_back(leftover.path);
    }
  }
  for (const std::string& folder : offered) {
    const std::string parent(ParentPathOf(folder));
    if (parent.empty() || Offered(parent) || !WhyClosed(places_, parent).empty()) {
      continue;
    }
    const bool publishers = std::any_of(publisherForms_.begin(), publisherForms_.end(),
                                        [&](const std::string& form) { return EqualsNoCase(FileNameOf(parent), form); });
    if (!HoldsOnlyOffered(parent)) {
      if (publishers) {
        PassOver(parent, "the publisher's folder holds more than this program's");
      }
      continue;
    }
    (void)OfferFolder(parent, Certainty::Likely,
                      publishers ? "the publisher's folder, with nothing else in it"
                                 : "the folder that held " + std::string(FileNameOf(folder)) + ", with nothing else in it",
                      true);
  }
}

bool LeftoverScan::HoldsOnlyOffered(const std::string& folder) {
  auto reader = platform_.files->ListFolder(folder, platform::FolderDetail::Kinds);
  if (!reader) {
    return false;
  }
  platform::FolderEntry entry;
  while ((*reader)->Next(entry)) {
    if (!entry.IsFolder() && EqualsNoCase(entry.name, "desktop.ini")) {
      continue;  // the shell's own note of how to show the folder
    }
    if (entry.IsReparsePoint() || !Offered(JoinPath(folder, entry.name))) {
      return false;
    }
  }
  return true;
}

bool LeftoverScan::Offered(std::string_view path) const {
  return std::any_of(outcome_.leftovers.begin(), outcome_.leftovers.end(), [&](const Leftover& leftover) {
    return HasFiles(leftover) &&
           (leftover.onlyWhenEmpty ? PathsEqual(path, leftover.path) : IsInside(path, leftover.path));
  });
}

std::string LeftoverScan::WhyNotOffered(const std::string& folder) {
  if (std::string closed = WhyClosed(places_, folder); !closed.empty()) {
    return closed;
  }
  if (ReachedThroughLink(*platform_.files, folder)) {
    return "it is reached through a link";
  }
  return others_.WhyTheirs(folder);
}

bool LeftoverScan::OfferFolder(const std::string& folder, Certainty certainty, std::string reason, bool whenEmpty) {
  const std::string path = ResolvedDrivePath(folder);
  if (Offered(path)) {
    return false;
  }
  const auto entry = platform_.files->EntryOf(path);
  if (!entry) {
    return false;  // not there: nothing left
  }
  if (!entry->IsFolder()) {
    return false;
  }
  if (const std::string why = entry->IsReparsePoint() ? "it is a link" : WhyNotOffered(path); !why.empty()) {
    PassOver(path, why);
    return false;
  }
  const TreeContents contents = ListTree(*platform_.files, path, &sink_);
  Leftover leftover;
  leftover.kind = LeftoverKind::Folder;
  leftover.certainty = certainty;
  leftover.reason = std::move(reason);
  leftover.path = path;
  leftover.onlyWhenEmpty = whenEmpty;
  leftover.bytes = contents.bytes;
  leftover.files = contents.files.size();
  leftover.links = contents.kept.size();
  if (!whenEmpty) {
    // What lies inside goes with it: finds made before it are not rows of their own.
    std::erase_if(outcome_.leftovers,
                  [&](const Leftover& inside) { return HasFiles(inside) && IsInside(inside.path, path); });
  }
  if (certainty == Certainty::Likely) {
    likelyFolders_.push_back(path);
  }
  Add(std::move(leftover));
  return true;
}

LeftoverScanOutcome ScanLeftovers(platform::Platform& platform, const LeftoverSnapshot& snapshot, EngineSink& sink) {
  return LeftoverScan(platform, snapshot, sink).Run();
}

}  // namespace sw::uninstall
