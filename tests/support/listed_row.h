#pragma once
// A row of the Files Cleaning page for a file a test placed, as a Find lists it: its size,
// time and identity read through its own handle now. For tests of the deletion that do not
// want a whole Find.

#include <gtest/gtest.h>

#include <string>

#include "files/file_row.h"
#include "files/listed_object.h"

namespace sw::test {

inline ResultRow ListedRow(platform::FileSystem& files, platform::System& system, const std::string& path,
                           files::JunkCategory category = files::JunkCategory::kTemporaryFiles) {
  files::FileFacts facts;
  facts.category = category;
  const auto seen = files::ObserveObject(files, path);
  EXPECT_TRUE(seen.has_value()) << path << " does not open as a listed file";
  if (seen) {
    facts.object = *seen;
  }
  const std::size_t slash = path.rfind('\\');
  return files::MakeFileRow(path.substr(0, slash + 1), path.substr(slash + 1), facts, files::kImageFile, system);
}

}  // namespace sw::test
