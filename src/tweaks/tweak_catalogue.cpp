#include "tweaks/tweak_catalogue.h"

#include <array>

#include "registry/windows_version.h"

namespace sw::tweaks {
namespace {

constexpr unsigned kNt2000Xp = kWinNt | kWin2000 | kWinXp;
constexpr unsigned k9xMe = kWin95 | kWin98 | kWinMe;
constexpr unsigned kAllButNt = kWin95 | kWin98 | kWinMe | kWin2000 | kWinXp;

constexpr std::string_view kNeedsRebooting = "This task needs rebooting after applying.";
constexpr std::string_view kItNeedsRebooting = "It needs rebooting after applying.";

// The texts are the page's own, typing slips included: they are what users of earlier versions know.
constexpr std::array<CatalogueEntry, 50> kCatalogue = {{
    {"Enable Automatic Boot Disk Optimization", kOptimization, kWinXp, kGreen,
     "This will enable Windows XP optimizes the the disks on startup. It needs rebooting after applying."},
    {"Increase File System Caching Memory", kOptimization, kNt2000Xp, kRed,
     "This will increase memory to be used for I/O operations. It needs rebooting after applying."},
    {"Control the System Cache", kOptimization, kNt2000Xp, kYellow,
     "This will cause system prefer system cache working set rather then processes working set. It needs rebooting "
     "after applying."},
    {"Improve Core System Performance", kOptimization, kNt2000Xp, kYellow,
     "This will disable system paging to speed-up processing. It needs rebooting after applying."},
    {"Force Windows to Unload DLLs from Memory", kOptimization, kAllSystems, kGreen,
     "This will force system to free resources of DLL files from memory after their completion. It needs rebooting "
     "after applying."},
    {"Optimize Virtual Memory for WinXP/NT/2000", kOptimization, kNt2000Xp, kGreen,
     "This will optimize virtual memory space allocated."},
    {"Terminate Idle Tasks", kOptimization, kWinXp, kGreen,
     "REGULAR TASK: This frees up idle tasks running in the background so that WindowsXP can execute programs "
     "faster.It forces any pending idle tasks to be executed immediately. It can take upto 15 minutes for idle tasks "
     "to complete."},
    {"Speed up shutdown process", kOptimization, kWin98 | kWinMe, kGreen, kNeedsRebooting},
    {"Disable Write Behind Caching", kOptimization, k9xMe | kWinXp, kGreen, kNeedsRebooting},
    {"Reduce fragmentation of disks", kOptimization, k9xMe, kGreen, kNeedsRebooting},
    {"Repair the Taskbar", kMiscellaneous, kAllSystems, kRed,
     "REGULAR TASK: If the taskbar is not visible or corrupt, this task fixes the problem. This task needs rebooting "
     "after applying."},
    {"Force Windows to Use the Classic Desktop", kMiscellaneous, kAllSystems, kRed, kNeedsRebooting},
    {"Disable CD Burning", kMiscellaneous, kWinXp, kYellow, kItNeedsRebooting},
    {"Enable Font Smoothing", kMiscellaneous, kAllSystems, kGreen, kNeedsRebooting},
    {"Optimize Broadband Cable Modem and DSL Connections", kInternetAccelerator, kWin2000 | kWinXp, kYellow,
     kItNeedsRebooting},
    {"Optimize Internet Connection Speed for Win9x/ME", kInternetAccelerator, k9xMe, kYellow, kNeedsRebooting},
    {"Optimize Maximum Transmission Unit Size for WinNT/2000/XP", kInternetAccelerator, kNt2000Xp, kGreen,
     kItNeedsRebooting},
    {"Speed up menu display", kOptimization, kWinXp, kGreen, kItNeedsRebooting},
    {"Enable prefetcher", kOptimization, kWinXp, kYellow,
     "This will decrease the boot time but double and increase the performance of your XP. It needs rebooting after "
     "applying."},
    {"Increase application timeout", kMiscellaneous, kWinXp, kYellow, kItNeedsRebooting},
    {"Remove Task Scheduler", kOptimization, kWin98, kYellow,
     "This will stop loading task manager after every boot.This task needs rebooting after applying."},
    {"Disable Windows Animation", kOptimization, kWin98, kGreen, kNeedsRebooting},
    {"Repair and Optimize Icons Cache", kMiscellaneous, kAllSystems, kGreen, kNeedsRebooting},
    {"Increase DNS Cache", kInternetAccelerator, kWin2000 | kWinXp, kYellow,
     "When connected to a web site, IP resolver data sent from server, is stored in a local data cache, so that when "
     "visiting web site more than once, its location is not asked everytime. This task will optimize this cache."},
    {"Increase CPU priority to real-time", kOptimization, kWin98 | kWinMe | kWin2000 | kWinXp, kYellow,
     "This task boosts dramatically CPU priority for receiving higher performance."},
    {"Speed up internet explorer browsing", kInternetAccelerator, kAllSystems, kGreen,
     "This task disables an extra scan time for scheduled tasks related to shared folders across the network"},
    {"Fix copy, move, send to in popup menus", kMiscellaneous, kAllSystems, kGreen,
     "In some versions of Windows, one or more of these entries are missing in popup menus. This task will fix the "
     "problem."},
    {"Clear history of folders in common dialog boxes", kCleaning, kAllSystems, kGreen, ""},
    {"Clear history of files in common dialog boxes", kCleaning, kAllSystems, kGreen, ""},
    {"Clear `Find Files` history", kCleaning, kWin95 | kWin98, kGreen, ""},
    {"Clear `Find Computer` history", kCleaning, kWin95 | kWin98, kGreen, ""},
    {"Clear history of items used in named text box on dialog boxes", kCleaning, kAllSystems, kGreen, ""},
    {"Clear history of printer ports searched", kCleaning, kAllSystems, kGreen, ""},
    {"Clear history of recent documents opened from start menu", kCleaning, kAllSystems, kGreen, ""},
    {"Clear history of commands typed in run entry of start menu", kCleaning, kAllSystems, kYellow, ""},
    {"Clear history of wallpaper", kCleaning, kAllSystems, kGreen, ""},
    {"Clear history of Paint", kCleaning, kAllSystems, kGreen, ""},
    {"Clear history of Wordpad", kCleaning, kAllSystems, kGreen, ""},
    {"Clear history of layout settings of windows", kCleaning, kAllSystems, kRed, ""},
    {"Clear history of Media Player", kCleaning, kAllSystems, kYellow, ""},
    {"Clear history Imaging program", kCleaning, kAllSystems, kYellow, ""},
    {"Clear history of Telnet", kCleaning, kAllButNt, kRed, ""},
    {"Clear history of RegEdit", kCleaning, kAllButNt, kGreen, ""},
    {"Clear history of mapped network drives", kCleaning, kAllSystems, kGreen, ""},
    {"Clear history of URLs in Netscape", kCleaning, kAllSystems, kGreen, ""},
    {"Clear history of Search Assistant", kCleaning, kWinNt | kWinMe | kWin2000 | kWinXp, kGreen, ""},
    {"Clear history of files in Microsoft Management Console", kCleaning, kAllSystems, kYellow, ""},
    {"Clear history of phone numbers in Messenger", kCleaning, kAllSystems, kYellow, ""},
    {"Clear history of URLs in internet explorer", kCleaning, kAllSystems, kGreen, ""},
    {"Clear download location history of Internet Explorer", kCleaning, kAllButNt, kYellow, ""},
}};

struct NamedCode {
  std::string_view name;
  unsigned code;
};

constexpr std::array<NamedCode, 4> kCategories = {{
    {"Optimization", kOptimization},
    {"Cleaning", kCleaning},
    {"Internet Accelerator", kInternetAccelerator},
    {"Miscellaneous", kMiscellaneous},
}};

constexpr std::array<NamedCode, 6> kSystems = {{
    {"Windows 95", kWin95},
    {"Windows 98", kWin98},
    {"Windows NT", kWinNt},
    {"Windows ME", kWinMe},
    {"Windows 2000", kWin2000},
    {"Windows XP", kWinXp},
}};

// EditionID values by their beginning: "Enterprise", "EnterpriseS" (the long-term
// servicing channel), "IoTEnterprise"; "Education". Home ("Core...") and Pro
// ("Professional...", Pro Education included) have no flag of their own.
constexpr std::array<NamedCode, 3> kEditionIds = {{
    {"Enterprise", kEnterprise},
    {"IoTEnterprise", kEnterprise},
    {"Education", kEducation},
}};

}  // namespace

std::span<const CatalogueEntry> TweakCatalogue() {
  return kCatalogue;
}

const CatalogueEntry* FindCatalogueEntry(std::string_view title) {
  for (const auto catalogue : {TweakCatalogue(), Windows10Catalogue()}) {
    for (const auto& entry : catalogue) {
      if (entry.title == title) {
        return &entry;
      }
    }
  }
  return nullptr;
}

std::string_view CategoryName(int category) {
  for (const auto& row : kCategories) {
    if (static_cast<int>(row.code) == category) {
      return row.name;
    }
  }
  return {};
}

unsigned SystemFlagOf(const platform::VersionRecord& version, const platform::SystemProfile& profile) {
  if (profile.Windows10OrLater()) {
    return profile.server ? 0 : profile.Windows11() ? kWin11 : kWin10;
  }
  const std::string_view name = reg::FixedVersionName(version);
  for (const auto& row : kSystems) {
    if (!name.empty() && row.name == name) {
      return row.code;
    }
  }
  return 0;
}

OfferedOn OfferedOnSystem(const platform::VersionRecord& version, const platform::SystemProfile& profile) {
  OfferedOn system{SystemFlagOf(version, profile), profile.build};
  for (const auto& row : kEditionIds) {
    if (std::string_view(profile.edition).starts_with(row.name)) {
      system.flags |= row.code;
    }
  }
  return system;
}

bool IsOffered(unsigned systems, std::uint32_t minimumBuild, const OfferedOn& system) {
  const unsigned editions = systems & kEditions;
  return (systems & ~kEditions & system.flags) != 0 && (editions == 0 || (editions & system.flags) != 0) &&
         system.build >= minimumBuild;
}

}  // namespace sw::tweaks
