#pragma once
// A fresh folder below the system's temporary folder, removed with everything in it when the
// object goes. Under Wine the temporary folder is inside the sandboxed prefix.

#include <filesystem>
#include <set>
#include <string>

namespace sw::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Every file below `root`, as paths relative to it with "/" between names. Names that end in
// a dot or a blank are listed as they are (the Windows build walks with exact names).
std::set<std::string> FilesBelow(const std::filesystem::path& root);

// UTF-8 text of a path, whatever the platform's narrow encoding.
std::string Utf8Of(const std::filesystem::path& path);
std::filesystem::path PathOfUtf8(const std::string& text);

// Writes `contents` to a file, replacing it.
void WriteFileBytes(const std::filesystem::path& path, std::string_view contents);
std::string ReadFileBytes(const std::filesystem::path& path);

}  // namespace sw::test
