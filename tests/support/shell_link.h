#pragma once
// Shortcuts made by the shell's own link object, for the tests that run under Wine.

#include <string>

namespace sw::test {

// Saves a shortcut at `shortcut` pointing at `target`; a failure fails the calling test.
void MakeShortcut(const std::string& shortcut, const std::string& target);

}  // namespace sw::test
