#pragma once
// A row of the Files Cleaning page: file name, folder (with its trailing backslash), size in
// bytes, last-write date and time in the user's formats, and its category in the Type
// column. It also keeps what the Find saw of the file (its category, size and last-write time
// to the tick, and its identity on its volume), so that Delete acts only on the very file
// listed, and on the files that go with it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/file_time.h"
#include "core/result_row.h"
#include "files/junk_categories.h"
#include "platform/file_system.h"
#include "platform/system.h"

namespace sw::files {

inline constexpr int kImageFile = 0;
inline constexpr int kImageBrokenShortcut = 3;

// What the Find saw of one file or folder a row acts on.
struct ObjectFacts {
  std::uint64_t size = 0;
  FileTime lastWrite;
  platform::FileIdentity identity;
  bool folder = false;

  friend bool operator==(const ObjectFacts&, const ObjectFacts&) = default;
};

// A file or folder that goes with a row's own one: a Recycle Bin item's "$I" file beside its
// "$R" file, or what is in a "$R" folder.
struct PartnerFacts {
  std::string name;  // below the row's folder: "$I2K7Q1P.jpg", "$R2K7Q1P\photos\a.jpg"
  ObjectFacts object;
  bool inside = false;  // in the row's own folder: deleted before it

  friend bool operator==(const PartnerFacts&, const PartnerFacts&) = default;
};

// What the Find saw of a listed file.
struct FileFacts {
  JunkCategory category = JunkCategory::kTemporaryFiles;
  ObjectFacts object;
  // The program whose files these are (a browser's "chrome.exe"): while it runs they stay.
  std::string process;
  // In the order they are deleted: what is inside the row's folder (files first, then
  // folders, deepest first) before the row's own, the rest after it.
  std::vector<PartnerFacts> partners;

  friend bool operator==(const FileFacts&, const FileFacts&) = default;
};

// A row: the size shown is that of the row's own file and its partners together.
[[nodiscard]] ResultRow MakeFileRow(const std::string& folder, const std::string& name, const FileFacts& facts,
                                    int image, platform::System& system);

// The facts a row carries; nullopt for a row made elsewhere (without them).
[[nodiscard]] std::optional<FileFacts> FactsOfRow(const ResultRow& row);
void SetFacts(ResultRow& row, const FileFacts& facts);

// The date column of a file row: short date and long time of the local time, the time left
// out at exactly midnight; "-" for a time no calendar date can show.
[[nodiscard]] std::string FileDateText(FileTime lastWriteUtc, platform::System& system);

// The full path of a file row: its folder column followed by its name.
[[nodiscard]] std::string FullPathOfRow(const ResultRow& row);

// The number of a file identity in hexadecimal, 32 digits, as --json shows it; and back into
// `identity` (false, and nothing set, for any other text).
[[nodiscard]] std::string FileNumberText(const platform::FileIdentity& identity);
[[nodiscard]] bool ReadFileNumber(std::string_view text, platform::FileIdentity& identity);

}  // namespace sw::files
