#pragma once
// Shortcuts where there is no shell: a test tells which shortcut files point where; every
// other file is a shortcut the shell could not load.

#include <map>
#include <string>

#include "core/text.h"
#include "platform/shell.h"

namespace sw::platform::host {

class HostShell final : public Shell {
 public:
  std::string ResolveLink(std::string_view path) override {
    const auto it = targets_.find(ToUpperText(path));
    return it == targets_.end() ? std::string(kUnresolvedLink) : it->second;
  }

  void SetLinkTarget(std::string_view shortcut, std::string target) {
    targets_[ToUpperText(shortcut)] = std::move(target);
  }

 private:
  std::map<std::string, std::string> targets_;
};

}  // namespace sw::platform::host
