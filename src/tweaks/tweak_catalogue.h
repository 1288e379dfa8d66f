#pragma once
// The fixed catalogues of the Advanced page: the fifty tweaks of Windows 95 to XP, and the
// settings of Windows 10 and 11, each with its category (the tab it is listed on), the
// systems it is offered on and its risk colour. What each tweak changes is in
// tweak_actions.h, keyed by the same title.

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/system_profile.h"

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
inline constexpr unsigned kWin10 = 64;
inline constexpr unsigned kWin11 = 128;
inline constexpr unsigned kWin10And11 = kWin10 | kWin11;
// Editions, for a setting that only some editions honour; a set without edition flags is
// offered on every edition.
inline constexpr unsigned kEnterprise = 256;
inline constexpr unsigned kEducation = 512;
inline constexpr unsigned kEditions = kEnterprise | kEducation;

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
  // The first build that honours the setting (Windows 10 and 11); 0 for any.
  std::uint32_t minimumBuild = 0;
};

// The fifty tweaks in the order the page lists them.
std::span<const CatalogueEntry> TweakCatalogue();

// The settings of Windows 10 and 11, listed after the fifty.
std::span<const CatalogueEntry> Windows10Catalogue();

// The catalogue entry of `title` in either catalogue, or null.
const CatalogueEntry* FindCatalogueEntry(std::string_view title);

// "Optimization", "Cleaning", "Internet Accelerator", "Miscellaneous"; empty for another code.
std::string_view CategoryName(int category);

// The flag of the system the version numbers name: Windows 95 to XP by the numbers of their
// version record, Windows 10 and 11 by the build (a server edition is neither); 0 for any
// other system, which no tweak is offered on. The words of the registry's ProductName play
// no part: they differ between builds and languages.
unsigned SystemFlagOf(const platform::VersionRecord& version, const platform::SystemProfile& profile);

// What decides which rows are offered here: the system's flag with its edition's, and its build.
struct OfferedOn {
  unsigned flags = 0;
  std::uint32_t build = 0;
};
[[nodiscard]] OfferedOn OfferedOnSystem(const platform::VersionRecord& version, const platform::SystemProfile& profile);

// Whether a row for `systems` (and from `minimumBuild` on) is offered on `system`.
[[nodiscard]] bool IsOffered(unsigned systems, std::uint32_t minimumBuild, const OfferedOn& system);

}  // namespace sw::tweaks
