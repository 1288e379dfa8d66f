#pragma once
// The native benchmark tree: FILES files of one byte in FILES/10 folders, two levels of 100
// branches below ROOT, one in a hundred a junk name, and the places of a Windows 10 user's
// junk with 200 files each; kept for the next run.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace sw::bench {

inline void GenerateBenchData(const std::filesystem::path& root, int files) {
  static constexpr const char* kNames[] = {"readme.txt", "data.bin", "image.png", "notes.doc", "module.dll",
                                           "setup.exe",  "page.htm", "style.css", "script.js", "config.ini"};
  static constexpr const char* kJunk[] = {"old.tmp", "backup.~doc", "help.gid", "dead.lnk"};
  const int folders = std::max(1, files / 10);
  int written = 0;
  for (int f = 0; f < folders; ++f) {
    const auto folder = root / ("branch" + std::to_string(f % 100)) / ("folder" + std::to_string(f));
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 10 && written < files; ++i, ++written) {
      const bool junk = written % 100 == 0;
      const std::string name = junk ? std::string(kJunk[(written / 100) % 4]) : std::string(kNames[i]);
      std::ofstream(folder / (std::to_string(written) + "_" + name)) << "x";
    }
  }
}

// The places of a Windows 10 user's junk below ROOT (as drive C:): temporary folders, two
// Chrome profiles' caches, Firefox's cache, crash dumps, error reports, thumbnails and the
// Recycle Bin, `perPlace` old files each, with the profiles' own files beside the caches.
inline void GenerateWindows10Places(const std::filesystem::path& root, int perPlace) {
  const std::filesystem::path local = root / "Users/ann/AppData/Local";
  const std::vector<std::filesystem::path> places = {
      local / "Temp",
      root / "Windows/Temp",
      local / "Google/Chrome/User Data/Default/Cache/Cache_Data",
      local / "Google/Chrome/User Data/Profile 1/Code Cache/js",
      local / "Google/Chrome/User Data/GrShaderCache",
      local / "Mozilla/Firefox/Profiles/k3x9.default-release/cache2/entries",
      local / "CrashDumps",
      local / "Microsoft/Windows/WER/ReportArchive/AppCrash_x",
      root / "$Recycle.Bin/S-1-5-21-0-0-0-1000",
  };
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(72);
  for (const auto& place : places) {
    std::filesystem::create_directories(place);
    for (int i = 0; i < perPlace; ++i) {
      const auto file = place / ("$R" + std::to_string(i) + ".dat");
      std::ofstream(file) << "x";
      std::filesystem::last_write_time(file, old);
    }
  }
  for (const char* kept : {"Cookies", "History", "Bookmarks", "Login Data"}) {
    std::ofstream(local / "Google/Chrome/User Data/Default" / kept) << "x";
  }
}

// Makes the tree below `root` unless a complete one is there already.
inline void EnsureBenchData(const std::filesystem::path& root, int files) {
  if (std::filesystem::exists(root / "complete")) {
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  std::filesystem::remove_all(root);
  GenerateBenchData(root, files);
  GenerateWindows10Places(root, 200);
  std::ofstream(root / "complete") << files;
  std::printf("generated %d files in %.1f s\n", files,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace sw::bench
