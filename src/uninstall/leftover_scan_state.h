#pragma once
// The search for leftovers from the inside: one object per search, its steps in three files
// (leftover_scan.cpp: folders; leftover_scan_starts.cpp: shortcuts, Run values and tasks;
// leftover_scan_registry.cpp: keys, file types and the entry).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uninstall/leftover_others.h"
#include "uninstall/leftover_places.h"
#include "uninstall/leftover_scan.h"

namespace sw::uninstall {

// How sure a find is, and why, in the words of its row.
struct Judgement {
  Certainty certainty = Certainty::Likely;
  std::string reason;
};

class LeftoverScan {
 public:
  LeftoverScan(platform::Platform& platform, const LeftoverSnapshot& snapshot, EngineSink& sink);

  LeftoverScanOutcome Run();

 private:
  // leftover_scan.cpp
  void FindEntryFolders();
  void FindNamedFolders();
  void FindEmptyParents();
  // Offers the folder unless a rule forbids it (named in passedOver); false when not offered.
  bool OfferFolder(const std::string& folder, Certainty certainty, std::string reason, bool whenEmpty);
  [[nodiscard]] bool Offered(std::string_view folder) const;
  // Whether the folder holds nothing but offered folders and shortcuts (and the shell's
  // desktop.ini).
  [[nodiscard]] bool HoldsOnlyOffered(const std::string& folder);
  // Why the folder must not be offered, or empty.
  [[nodiscard]] std::string WhyNotOffered(const std::string& folder);
  void PassOver(std::string_view what, std::string_view why);

  // leftover_scan_starts.cpp
  void FindShortcuts();
  void FindRunValues();
  void FindTasks();
  // How sure it is that something starting `program`, named `name`, is the program's.
  [[nodiscard]] std::optional<Judgement> JudgeStart(const std::string& program, std::string_view name,
                                                    std::string_view what);

  // leftover_scan_registry.cpp
  void FindKeys();
  void FindFileTypes();
  void FindEntry();
  bool OfferKey(const RegistryPlace& place, LeftoverKind kind, Judgement judgement, bool whenEmpty);
  [[nodiscard]] bool KeyOffered(const RegistryPlace& place) const;

  void Add(Leftover leftover);
  [[nodiscard]] bool Stopped();

  platform::Platform& platform_;
  const LeftoverSnapshot& snapshot_;
  EngineSink& sink_;
  LeftoverPlaces places_;
  InstalledOthers others_;
  std::vector<std::string> forms_;           // the program's names no other program goes by
  std::vector<std::string> publisherForms_;
  std::vector<std::string> sureFolders_;     // proven the program's: the entry's, gone or not
  std::vector<std::string> likelyFolders_;   // offered by their names
  LeftoverScanOutcome outcome_;
};

}  // namespace sw::uninstall
