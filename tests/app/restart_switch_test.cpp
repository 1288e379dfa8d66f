#include "app/restart_switch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/command_ids.h"

namespace sw::app {
namespace {

// The parameters are split as the elevated copy's command line will be.
std::vector<std::string> Split(const std::string& parameters) {
  std::vector<std::string> words;
  for (std::size_t at = 0; at < parameters.size();) {
    const std::size_t blank = std::min(parameters.find(' ', at), parameters.size());
    words.push_back(parameters.substr(at, blank - at));
    at = blank + 1;
  }
  return words;
}

TEST(RestartSwitch, TheElevatedCopyReadsBackTheProcessAndThePage) {
  const RestartRequest sent{4294967295U, kCmdAdvanced};
  const auto read = ParseRestart(Split(RestartParameters(sent)));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->processId, sent.processId);
  EXPECT_EQ(read->pageCommand, sent.pageCommand);
}

TEST(RestartSwitch, OtherStartsAreNoRestartAndAStrangePageOpensTheFilesPage) {
  EXPECT_FALSE(ParseRestart({}).has_value());
  EXPECT_FALSE(ParseRestart({"-splash"}).has_value());
  EXPECT_FALSE(ParseRestart({"-restarted", "12"}).has_value()) << "the page is part of the switch";
  EXPECT_FALSE(ParseRestart({"-restarted", "x12", "100"}).has_value());
  EXPECT_FALSE(ParseRestart({"-restarted", "-1", "100"}).has_value());
  EXPECT_FALSE(ParseRestart({"-RESTARTED", "12", "100"}).has_value()) << "switches are compared exactly";
  EXPECT_EQ(ParseRestart({"-restarted", "12", "402"})->pageCommand, kCmdDosyalar) << "Stop is no page";
  EXPECT_EQ(ParseRestart({"-restarted", "12", "page"})->pageCommand, kCmdDosyalar);
}

}  // namespace
}  // namespace sw::app
