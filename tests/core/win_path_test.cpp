#include "core/win_path.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

TEST(WinPath, SplitsDriveAndNames) {
  EXPECT_EQ(DriveLetterOf("c:\\x"), 'C');
  EXPECT_FALSE(DriveLetterOf("\\\\server\\share").has_value());
  EXPECT_TRUE(IsAbsoluteDrivePath("C:/Temp"));
  EXPECT_FALSE(IsAbsoluteDrivePath("C:Temp"));
  EXPECT_EQ(PathComponents("C:\\a\\\\b/c\\"), (std::vector<std::string_view>{"a", "b", "c"}));
  EXPECT_TRUE(PathComponents("C:\\").empty());
}

TEST(WinPath, JoinsWithOneBackslash) {
  EXPECT_EQ(AddTrailingBackslash("C:\\Temp"), "C:\\Temp\\");
  EXPECT_EQ(AddTrailingBackslash("C:\\Temp\\"), "C:\\Temp\\");
  EXPECT_EQ(AddTrailingBackslash(""), "\\");
  EXPECT_EQ(JoinPath("C:\\", "x.tmp"), "C:\\x.tmp");
  EXPECT_EQ(JoinPath("C:\\Temp", "\\x.tmp"), "C:\\Temp\\x.tmp");
}

TEST(WinPath, TakesNamesAndParentsApart) {
  EXPECT_EQ(FileNameOf("C:\\Temp\\a.tmp"), "a.tmp");
  EXPECT_EQ(FileNameOf("C:a.tmp"), "a.tmp");
  EXPECT_EQ(ParentPathOf("C:\\Temp\\a.tmp"), "C:\\Temp");
  EXPECT_EQ(ParentPathOf("C:\\a.tmp"), "C:\\");
  EXPECT_EQ(ParentPathOf("a.tmp"), "");
  EXPECT_TRUE(PathsEqual("c:/temp/A.TMP", "C:\\Temp\\a.tmp"));
  EXPECT_FALSE(PathsEqual("C:\\Temp\\a.tmp", "C:\\Temp\\a.tm"));
}

}  // namespace
}  // namespace sw
