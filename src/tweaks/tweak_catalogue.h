#pragma once
// The fixed catalogue of the Advanced page: fifty tweaks, each with its category (the tab it
// is listed on), the systems it is offered on and its risk colour. What each tweak changes is
// in tweak_actions.h, keyed by the same title.

#include <span>
#include <string_view>

namespace sw::tweaks {

// Category codes; the names are also the captions of the first four tabs.
inline constexpr int kOptimization = 1;
inline constexpr int kCleaning = 2;
inline constexpr int kInternetAccelerator = 4;
inline constexpr int kMiscellaneous = 8;

// Flags of the systems a tweak is offered on.
inline constexpr unsigned kWin95 = 1;
inline constexpr unsigned kWin98 = 2;
inline constexpr unsigned kWinNt = 4;
inline constexpr unsigned kWinMe = 8;
inline constexpr unsigned kWin2000 = 16;
inline constexpr unsigned kWinXp = 32;
inline constexpr unsigned kAllSystems = kWin95 | kWin98 | kWinNt | kWinMe | kWin2000 | kWinXp;

// Risk colours: the row's image index in the page's image list.
inline constexpr int kGreen = 0;
inline constexpr int kYellow = 1;
inline constexpr int kRed = 2;

struct CatalogueEntry {
  std::string_view title;
  int category = kOptimization;
  unsigned systems = 0;
  int risk = kGreen;
  std::string_view description;  // may be empty
};

// The fifty tweaks in the order the page lists them.
std::span<const CatalogueEntry> TweakCatalogue();

// The catalogue entry of `title`, or null.
const CatalogueEntry* FindCatalogueEntry(std::string_view title);

// "Optimization", "Cleaning", "Internet Accelerator", "Miscellaneous"; empty for another code.
std::string_view CategoryName(int category);

// The flag of the system `WindowsVersionName` names ("Windows 98", ...); 0 for any other name,
// which no tweak is offered on.
unsigned SystemFlagOf(std::string_view windowsVersionName);

}  // namespace sw::tweaks
