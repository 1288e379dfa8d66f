#include "app/settings_file.h"

#include <gtest/gtest.h>

#include "support/file_fixture.h"

namespace sw::app {
namespace {

TEST(SettingsFile, ReadsLanguageCounterAndAlerts) {
  const Settings settings = ParseSettings("2\r\n17\r\nY\r\n");
  EXPECT_EQ(settings.languageText, "2");
  EXPECT_EQ(settings.languageIndex, 2);
  EXPECT_EQ(settings.backupCounter, 17);
  EXPECT_TRUE(settings.alerts);
  EXPECT_EQ(SettingsFileText(settings), "2\r\n17\r\nY\r\n");
}

TEST(SettingsFile, AlertsAreOnOnlyForACapitalY) {
  EXPECT_FALSE(ParseSettings("1\r\n0\r\ny\r\n").alerts);
  EXPECT_FALSE(ParseSettings("1\r\n0\r\nYes\r\n").alerts);
  EXPECT_TRUE(ParseSettings("1\n5\nY").alerts) << "bare line feeds and a last line without an ending";
}

TEST(SettingsFile, AnythingMalformedGivesEnglishAndCounterZero) {
  for (const char* text : {"", "0\r\n", "0\r\n9\r\n", "x\r\n9\r\nY\r\n", "0\r\n9z\r\nY\r\n",
                           "0\r\n99999999999\r\nY\r\n", "\r\n9\r\nY\r\n"}) {
    const Settings settings = ParseSettings(text);
    EXPECT_EQ(settings.languageText, "1") << text;
    EXPECT_EQ(settings.languageIndex, 1) << text;
    EXPECT_EQ(settings.backupCounter, 0) << text;
    EXPECT_FALSE(settings.alerts) << text;
  }
}

TEST(SettingsFile, KeepsTheLanguageLineAsWritten) {
  // A language without a table still loads; the window falls back to English later.
  const Settings settings = ParseSettings("4\r\n3\r\nN\r\n");
  EXPECT_EQ(settings.languageIndex, 4);
  EXPECT_EQ(SettingsFileText(settings), "4\r\n3\r\nN\r\n");
}

class SettingsFileOnDisk : public test::FileFixture {};

TEST_F(SettingsFileOnDisk, SavesThreeLinesAndLoadsThemBack) {
  const std::string folder = At("program");
  ASSERT_TRUE(files().CreateFolders(folder));
  EXPECT_EQ(LoadSettings(files(), folder).backupCounter, 0) << "a missing file gives the defaults";
  Settings settings;
  settings.languageText = "0";
  settings.languageIndex = 0;
  settings.backupCounter = 42;
  settings.alerts = true;
  ASSERT_TRUE(SaveSettings(files(), folder, settings));
  EXPECT_EQ(test::ReadFileBytes(Host("program/language.txt")), "0\r\n42\r\nY\r\n");
  const Settings loaded = LoadSettings(files(), folder);
  EXPECT_EQ(loaded.languageIndex, 0);
  EXPECT_EQ(loaded.backupCounter, 42);
  EXPECT_TRUE(loaded.alerts);
}

}  // namespace
}  // namespace sw::app
