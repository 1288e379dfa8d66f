#pragma once
// The native benchmark tree: FILES files of one byte in FILES/10 folders, two levels of 100
// branches below ROOT, one in a hundred a junk name; kept for the next run.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

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

// Makes the tree below `root` unless a complete one is there already.
inline void EnsureBenchData(const std::filesystem::path& root, int files) {
  if (std::filesystem::exists(root / "complete")) {
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  std::filesystem::remove_all(root);
  GenerateBenchData(root, files);
  std::ofstream(root / "complete") << files;
  std::printf("generated %d files in %.1f s\n", files,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace sw::bench
