#include "files/junk_locations.h"

#include <array>
#include <string_view>

namespace sw::files {
namespace {

using namespace std::chrono_literals;
using C = JunkCategory;

// Chromium browsers keep one profile folder per person ("Default", "Profile 1", ...) below
// their user data folder, with the caches inside; the shader caches are shared.
struct ChromiumBrowser {
  std::string_view name;
  std::string_view process;
  std::string_view userData;
};
constexpr std::array<ChromiumBrowser, 3> kChromiumBrowsers{{
    {"Chrome", "chrome.exe", R"(%LOCALAPPDATA%\Google\Chrome\User Data)"},
    {"Edge", "msedge.exe", R"(%LOCALAPPDATA%\Microsoft\Edge\User Data)"},
    {"Brave", "brave.exe", R"(%LOCALAPPDATA%\BraveSoftware\Brave-Browser\User Data)"},
}};
constexpr std::string_view kChromiumProfiles = "Default|Profile *";
constexpr std::array<std::string_view, 3> kProfileCaches{R"(Cache\Cache_Data)", "Code Cache", "GPUCache"};
constexpr std::array<std::string_view, 2> kSharedCaches{"ShaderCache", "GrShaderCache"};

// What a browser keeps of the user's own: sign-ins, cookies, history, passwords, bookmarks,
// open tabs, site data and settings. None of it is in a cache folder; the list guards
// against a cache path that ever leads there.
const std::vector<std::string> kBrowserKeep{
    "Cookies",     "Cookies-journal", "History",        "History-journal", "Login Data",    "Login Data-journal",
    "Bookmarks",   "Preferences",     "Secure Preferences", "Sessions",    "Current Session", "Current Tabs",
    "Last Session", "Last Tabs",      "Local Storage",  "Network",         "Local State",   "Web Data",
    "places.sqlite", "cookies.sqlite", "logins.json",   "key4.db",         "sessionstore.jsonlz4",
};

std::vector<JunkLocation> MakeKnownLocations() {
  std::vector<JunkLocation> rows;
  const auto add = [&rows](JunkLocation row) { rows.push_back(std::move(row)); };

  // The Recycle Bin: the user's own part of it on every fixed drive. From Vista on it holds
  // pairs of "$I..." (where the file came from) and "$R..." (the file, or a whole folder),
  // each pair one row; anything else there (desktop.ini, a link someone put there) is no
  // deleted file. Up to XP the user's part of RECYCLER; the Recycled folder of Windows 95 to
  // ME is searched by the drive walk (junk_search.cpp).
  add({.category = C::kRecycleBin,
       .folder = R"({drive}$Recycle.Bin\{sid})",
       .names = {"$I*", "$R*"},
       .wholeFolders = {"$R*"},
       .subfolders = false,
       .items = true});
  add({.category = C::kRecycleBin,
       .generations = kOnWindowsNt,
       .folder = R"({drive}RECYCLER\{sid})",
       .keep = {"desktop.ini"}});

  // Programs' temporary files, once nobody has written them for a day; the folders stay, and
  // so does the low-integrity temporary folder of protected-mode programs.
  add({.category = C::kTemporaryFolders, .folder = "%TEMP%", .keep = {"Low"}, .minAge = 24h});
  add({.category = C::kTemporaryFolders, .folder = R"(%WINDIR%\Temp)", .minAge = 24h});

  for (const ChromiumBrowser& browser : kChromiumBrowsers) {
    const std::string userData(browser.userData);
    for (const std::string_view cache : kProfileCaches) {
      add({.category = C::kBrowserCaches,
           .folder = userData + "\\" + std::string(kChromiumProfiles) + "\\" + std::string(cache),
           .keep = kBrowserKeep,
           .browser = std::string(browser.name),
           .process = std::string(browser.process)});
    }
    for (const std::string_view cache : kSharedCaches) {
      add({.category = C::kBrowserCaches,
           .folder = userData + "\\" + std::string(cache),
           .keep = kBrowserKeep,
           .browser = std::string(browser.name),
           .process = std::string(browser.process)});
    }
  }
  // Firefox keeps its cache below the local application data, apart from the profile itself
  // (in %APPDATA%), which is never walked.
  add({.category = C::kBrowserCaches,
       .folder = R"(%LOCALAPPDATA%\Mozilla\Firefox\Profiles\*\cache2)",
       .keep = kBrowserKeep,
       .browser = "Firefox",
       .process = "firefox.exe"});

  add({.category = C::kCrashDumps, .folder = R"(%LOCALAPPDATA%\CrashDumps)", .subfolders = false});
  add({.category = C::kCrashDumps, .folder = R"(%WINDIR%\Minidump)", .names = {"*.dmp"}, .subfolders = false});
  add({.category = C::kCrashDumps, .folder = "%WINDIR%", .names = {"MEMORY.DMP"}, .subfolders = false});

  for (const std::string_view store : {"%LOCALAPPDATA%", "%PROGRAMDATA%"}) {
    for (const std::string_view reports : {"ReportArchive", "ReportQueue"}) {
      add({.category = C::kErrorReports,
           .folder = std::string(store) + R"(\Microsoft\Windows\WER\)" + std::string(reports)});
    }
  }

  add({.category = C::kThumbnails,
       .folder = R"(%LOCALAPPDATA%\Microsoft\Windows\Explorer)",
       .names = {"thumbcache_*.db"},
       .subfolders = false});

  // The update database beside it (DataStore) is not junk and is not named here.
  add({.category = C::kWindowsUpdate, .folder = R"(%WINDIR%\SoftwareDistribution\Download)", .elevatedOnly = true});
  return rows;
}

}  // namespace

const std::vector<JunkLocation>& KnownJunkLocations() {
  static const std::vector<JunkLocation> rows = MakeKnownLocations();
  return rows;
}

const std::vector<std::string>& NeverEnteredFolders() {
  static const std::vector<std::string> names{"Windows.old",  "$Windows.~BT",              "$Windows.~WS",
                                              "$WinREAgent", "System Volume Information", "WinSxS"};
  return names;
}

const std::vector<std::string>& DriveWalkSkippedFolders() {
  static const std::vector<std::string> names{"$Recycle.Bin"};
  return names;
}

}  // namespace sw::files
